#include "tesk_vumo/forms/image_panel_assist_form.h"

#include "form_parts.h"
#include "tesk_vumo/forms/i18n.h"
#include "tesk_vumo/forms/event_guard.h"

#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

namespace tesk_vumo {

ImagePanelAssistForm::ImagePanelAssistForm(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                                           const wxSize& size, long style, const wxString& name)
    : wxFrame(parent, id, i18n::tr("图像辅助工具"), pos, size, style, name)
{
    auto* panel = new wxPanel(this);
    auto* grid = new wxFlexGridSizer(2, 4, 4);
    auto label = [&](const char* text) {
        grid->Add(new wxStaticText(panel, wxID_ANY, i18n::tr(text)), 0, wxALIGN_CENTER_VERTICAL);
    };
    label("缩放");
    ui_zoom_mode = new wxChoice(panel, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                form_parts::zoom_mode_labels());
    grid->Add(ui_zoom_mode, 0, wxEXPAND);
    label("缩放比例");
    ui_zoom_rate = new wxTextCtrl(panel, wxID_ANY, "100");
    grid->Add(ui_zoom_rate, 0, wxEXPAND);
    label("旋转");
    ui_angle = new wxChoice(panel, wxID_ANY, wxDefaultPosition, wxDefaultSize, form_parts::rotation_labels());
    grid->Add(ui_angle, 0, wxEXPAND);
    label("角度");
    ui_angle_degree = new wxTextCtrl(panel, wxID_ANY, "0");
    grid->Add(ui_angle_degree, 0, wxEXPAND);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    ui_button_load = new wxButton(panel, wxID_ANY, i18n::tr("加载"));
    ui_button_save = new wxButton(panel, wxID_ANY, i18n::tr("保存"));
    buttons->Add(ui_button_load, 1, wxRIGHT, 4);
    buttons->Add(ui_button_save, 1);

    auto* main = new wxBoxSizer(wxVERTICAL);
    main->Add(grid, 0, wxEXPAND | wxALL, 8);
    main->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 8);
    panel->SetSizer(main);
    auto* frame_sizer = new wxBoxSizer(wxVERTICAL);
    frame_sizer->Add(panel, 1, wxEXPAND);
    SetSizerAndFit(frame_sizer);
    if (size != wxDefaultSize)
        SetSize(size);

    ui_zoom_mode->Bind(wxEVT_CHOICE, guarded(this, &ImagePanelAssistForm::on_change_zoom_mode, "on_change_zoom_mode"));
    ui_angle->Bind(wxEVT_CHOICE, guarded(this, &ImagePanelAssistForm::on_change_rotation, "on_change_rotation"));
    ui_button_load->Bind(wxEVT_BUTTON, guarded(this, &ImagePanelAssistForm::on_load_image, "on_load_image"));
    ui_button_save->Bind(wxEVT_BUTTON, guarded(this, &ImagePanelAssistForm::on_save_image, "on_save_image"));
    Bind(wxEVT_CLOSE_WINDOW, guarded(this, &ImagePanelAssistForm::on_close, "on_close"));
}

} // namespace tesk_vumo
