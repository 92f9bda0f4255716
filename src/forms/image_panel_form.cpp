#include "tesk_vumo/forms/image_panel_form.h"

#include "form_parts.h"
#include "tesk_vumo/forms/i18n.h"
#include "tesk_vumo/forms/event_guard.h"

#include <wx/sizer.h>
#include <wx/wrapsizer.h>

namespace tesk_vumo {

ImagePanelForm::ImagePanelForm(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                               const wxString& name)
    : wxPanel(parent, id, pos, size, style, name)
{
    auto* main = new wxBoxSizer(wxVERTICAL);
    main->Add(form_parts::create_viewport(this, ui_image, ui_scroll_bar_horizontal, ui_scroll_bar_vertical),
              1, wxEXPAND);

    ui_panel_assist = new wxPanel(this);
    auto* bar = new wxWrapSizer(wxHORIZONTAL);
    ui_zoom_mode = new wxChoice(ui_panel_assist, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                form_parts::zoom_mode_labels());
    ui_zoom_mode->SetSelection(0);
    ui_angle = new wxChoice(ui_panel_assist, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                            form_parts::rotation_labels());
    ui_angle->SetSelection(0);
    ui_checkbox_middle_lines = new wxCheckBox(ui_panel_assist, wxID_ANY, i18n::tr("中心线"));
    ui_checkbox_follow_lines = new wxCheckBox(ui_panel_assist, wxID_ANY, i18n::tr("跟随线"));
    bar->Add(ui_zoom_mode, 0, wxALIGN_CENTER_VERTICAL | wxALL, 2);
    bar->Add(ui_angle, 0, wxALIGN_CENTER_VERTICAL | wxALL, 2);
    bar->Add(ui_checkbox_middle_lines, 0, wxALIGN_CENTER_VERTICAL | wxALL, 2);
    bar->Add(ui_checkbox_follow_lines, 0, wxALIGN_CENTER_VERTICAL | wxALL, 2);
    form_parts::create_readouts(ui_panel_assist, bar, ui_x, ui_y, ui_rgb, ui_width, ui_height);
    ui_button_load = new wxButton(ui_panel_assist, wxID_ANY, i18n::tr("加载"),
                                  wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    ui_button_save = new wxButton(ui_panel_assist, wxID_ANY, i18n::tr("保存"),
                                  wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    ui_button_close_assist = new wxButton(ui_panel_assist, wxID_ANY, i18n::tr("×"),
                                          wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    ui_button_close_assist->SetToolTip(i18n::tr("关闭工具栏"));
    bar->Add(ui_button_load, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 6);
    bar->Add(ui_button_save, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 2);
    bar->Add(ui_button_close_assist, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 2);
    ui_panel_assist->SetSizer(bar);
    main->Add(ui_panel_assist, 0, wxEXPAND);
    SetSizer(main);
    Layout();

    ui_zoom_mode->Bind(wxEVT_CHOICE, guarded(this, &ImagePanelForm::on_change_zoom_mode, "on_change_zoom_mode"));
    ui_angle->Bind(wxEVT_CHOICE, guarded(this, &ImagePanelForm::on_change_rotation, "on_change_rotation"));
    ui_checkbox_middle_lines->Bind(wxEVT_CHECKBOX, guarded(this, &ImagePanelForm::on_show_middle_lines, "on_show_middle_lines"));
    ui_checkbox_follow_lines->Bind(wxEVT_CHECKBOX, guarded(this, &ImagePanelForm::on_show_following_lines, "on_show_following_lines"));
    ui_button_load->Bind(wxEVT_BUTTON, guarded(this, &ImagePanelForm::on_load_image, "on_load_image"));
    ui_button_save->Bind(wxEVT_BUTTON, guarded(this, &ImagePanelForm::on_save_image, "on_save_image"));
    ui_button_close_assist->Bind(wxEVT_BUTTON, guarded(this, &ImagePanelForm::on_close_assist_bar, "on_close_assist_bar"));
    form_parts::route_viewport_mouse(this);
}

} // namespace tesk_vumo
