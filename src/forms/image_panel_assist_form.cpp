#include "tesk_vumo/forms/image_panel_assist_form.h"

#include "form_parts.h"
#include "tesk_vumo/forms/event_guard.h"
#include "tesk_vumo/i18n/i18n.h"

#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

namespace tesk_vumo {

ImagePanelAssistForm::ImagePanelAssistForm(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                                           const wxSize& size, long style, const wxString& name)
    : wxFrame(parent, id, wxEmptyString, pos, size, style, name)
{
    auto* panel = new wxPanel(this);
    auto* grid = new wxFlexGridSizer(2, 4, 4);
    grid->AddGrowableCol(1);
    auto label = [&] {
        auto* text = new wxStaticText(panel, wxID_ANY, wxEmptyString);
        grid->Add(text, 0, wxALIGN_CENTER_VERTICAL);
        labels_.push_back(text);
    };
    label();
    ui_zoom_mode = new wxChoice(panel, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                form_parts::zoom_mode_labels());
    grid->Add(ui_zoom_mode, 0, wxEXPAND);
    label();
    ui_zoom_rate = new wxTextCtrl(panel, wxID_ANY, "100", wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER);
    grid->Add(ui_zoom_rate, 0, wxEXPAND);
    label();
    ui_angle = new wxChoice(panel, wxID_ANY, wxDefaultPosition, wxDefaultSize, form_parts::rotation_labels());
    grid->Add(ui_angle, 0, wxEXPAND);
    label();
    ui_angle_degree = new wxTextCtrl(panel, wxID_ANY, "0", wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER);
    grid->Add(ui_angle_degree, 0, wxEXPAND);
    label();
    levels_row_ = new wxBoxSizer(wxHORIZONTAL);
    ui_levels_low = new wxTextCtrl(panel, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER);
    ui_levels_high = new wxTextCtrl(panel, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER);
    ui_levels_auto = new wxButton(panel, wxID_ANY, "-", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    levels_row_->Add(ui_levels_low, 1, wxRIGHT, 4);
    levels_row_->Add(ui_levels_high, 1, wxRIGHT, 4);
    levels_row_->Add(ui_levels_auto, 0);
    grid->Add(levels_row_, 0, wxEXPAND);
    labels_.back()->Hide();
    levels_row_->ShowItems(false);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    ui_button_load = new wxButton(panel, wxID_ANY, wxEmptyString);
    ui_button_save = new wxButton(panel, wxID_ANY, wxEmptyString);
    buttons->Add(ui_button_load, 1, wxRIGHT, 4);
    buttons->Add(ui_button_save, 1);

    auto* main = new wxBoxSizer(wxVERTICAL);
    main->Add(grid, 0, wxEXPAND | wxALL, 8);
    main->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 8);
    panel->SetSizer(main);
    auto* frame_sizer = new wxBoxSizer(wxVERTICAL);
    frame_sizer->Add(panel, 1, wxEXPAND);
    SetSizer(frame_sizer);
    relabel();
    form_parts::remember_form(this, [this] { relabel(); });
    if (size != wxDefaultSize)
        SetSize(size);

    ui_zoom_mode->Bind(wxEVT_CHOICE, guarded(this, &ImagePanelAssistForm::on_change_zoom_mode, "on_change_zoom_mode"));
    ui_angle->Bind(wxEVT_CHOICE, guarded(this, &ImagePanelAssistForm::on_change_rotation, "on_change_rotation"));
    form_parts::route_text_input(ui_zoom_rate,
                                 guarded(this, &ImagePanelAssistForm::on_change_zoom_rate, "on_change_zoom_rate"));
    form_parts::route_text_input(ui_angle_degree,
                                 guarded(this, &ImagePanelAssistForm::on_change_angle_degree, "on_change_angle_degree"));
    form_parts::route_text_input(ui_levels_low, guarded(this, &ImagePanelAssistForm::on_change_levels, "on_change_levels"),
                                 ui_levels_high);
    form_parts::route_text_input(ui_levels_high, guarded(this, &ImagePanelAssistForm::on_change_levels, "on_change_levels"),
                                 ui_levels_low);
    ui_levels_auto->Bind(wxEVT_BUTTON, guarded(this, &ImagePanelAssistForm::on_auto_levels, "on_auto_levels"));
    ui_button_load->Bind(wxEVT_BUTTON, guarded(this, &ImagePanelAssistForm::on_load_image, "on_load_image"));
    ui_button_save->Bind(wxEVT_BUTTON, guarded(this, &ImagePanelAssistForm::on_save_image, "on_save_image"));
    Bind(wxEVT_CLOSE_WINDOW, guarded(this, &ImagePanelAssistForm::on_close, "on_close"));
}

ImagePanelAssistForm::~ImagePanelAssistForm()
{
    form_parts::forget_form(this);
}

void ImagePanelAssistForm::relabel()
{
    SetTitle(i18n::tr("图像辅助工具"));
    const char* texts[] = {"缩放", "缩放比例", "旋转", "角度", "色阶"};
    for (std::size_t i = 0; i < labels_.size(); ++i)
        labels_[i]->SetLabel(i18n::tr(texts[i]));
    form_parts::relabel_view_controls(ui_zoom_mode, ui_angle, ui_zoom_rate, ui_angle_degree);
    form_parts::relabel_levels_controls(ui_levels_low, ui_levels_high, ui_levels_auto);
    ui_button_load->SetLabel(i18n::tr("加载"));
    ui_button_load->SetToolTip(i18n::tr("加载图片文件"));
    ui_button_save->SetLabel(i18n::tr("保存"));
    ui_button_save->SetToolTip(i18n::tr("把显示的图像（或选区）保存到文件"));
    fit_to_controls();
}

void ImagePanelAssistForm::show_levels_row(bool shown)
{
    if (ui_levels_low->IsShown() == shown)
        return;
    labels_.back()->Show(shown);
    levels_row_->ShowItems(shown);
    fit_to_controls();
}

void ImagePanelAssistForm::fit_to_controls()
{
    // Longer texts of another language need a wider window; the panel
    // remembers the size its old texts needed.
    for (wxWindow* child : GetChildren())
        child->InvalidateBestSize();
    GetSizer()->SetSizeHints(this);
    Fit();
    // A window that keeps its size gets no size event to lay it out anew.
    for (wxWindow* child : GetChildren())
        child->Layout();
}

} // namespace tesk_vumo
