#include "tesk_vumo/panel/image_panel.h"

#include "../forms/form_parts.h"
#include "tesk_vumo/assist/image_panel_assist.h"
#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/common/user_interaction.h"
#include "tesk_vumo/forms/event_guard.h"
#include "tesk_vumo/forms/window_fit_layout.h"

#include <wx/app.h>

namespace tesk_vumo {

ImagePanel::ImagePanel(wxWindow* parent, const wxSize& size)
    : ImagePanel(parent, wxID_ANY, wxDefaultPosition, size)
{
}

ImagePanel::ImagePanel(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                       const wxString& name)
    : ImagePanelForm(on_gui_thread(parent, "ImagePanel"), id, pos, size, style, name),
      ViewerCore(*this, {ui_image, ui_scroll_bar_horizontal, ui_scroll_bar_vertical, ui_x, ui_y, ui_rgb, ui_width,
                         ui_height},
                 SourceMessages::Standard)
{
}

ImagePanel::~ImagePanel()
{
    on_going_to_destroy();
    // The floating windows (an open one, and one closed but not deleted yet)
    // would go with the base window's children, when this panel is no longer
    // whole; their destroy handlers ask it whether they were its window.
    const wxWindowList children = GetChildren();
    for (wxWindow* child : children)
        if (auto* window = dynamic_cast<ImagePanelAssist*>(child))
            window->wxWindowBase::Destroy();
}

bool ImagePanel::Destroy()
{
    require_gui_thread(__func__);
    return put_off_destroy() || ImagePanelForm::Destroy();
}

void ImagePanel::enable_middle_lines(bool enabled)
{
    require_gui_thread(__func__);
    ui_checkbox_middle_lines->SetValue(enabled);
}

void ImagePanel::on_change_zoom_mode(wxCommandEvent&)
{
    require_gui_thread(__func__);
    try {
        const ZoomMode mode = zoom_mode_from_index(ui_zoom_mode->GetSelection());
        show_zoom_mode(mode);
        do_set_zoom_mode(mode);
    } catch (const Error& error) {
        report_handler_error(error);
    }
}

void ImagePanel::on_change_rotation(wxCommandEvent&)
{
    require_gui_thread(__func__);
    try {
        set_rotation(rotation_from_index(ui_angle->GetSelection()));
    } catch (const Error& error) {
        // The choice shows the rotation in force, also when this one was refused.
        ui_angle->SetSelection(static_cast<int>(rotation()));
        report_handler_error(error);
    }
}

namespace {
void select(wxChoice* choice, int item)
{
    if (item >= 0 && static_cast<unsigned>(item) < choice->GetCount())
        choice->SetSelection(item);
}
} // namespace

void ImagePanel::show_zoom_mode(ZoomMode mode)
{
    select(ui_zoom_mode, static_cast<int>(mode));
    show_free_inputs(mode == ZoomMode::ZoomAny, ui_angle->GetSelection() == static_cast<int>(Rotation::DegreeAny));
    if (assist_ && !wxTheApp->IsScheduledForDestruction(assist_.get())) {
        select(assist_->ui_zoom_mode, static_cast<int>(mode));
        assist_->ui_zoom_rate->Enable(mode == ZoomMode::ZoomAny);
    }
}

void ImagePanel::show_rotation(Rotation rotation)
{
    select(ui_angle, static_cast<int>(rotation));
    show_free_inputs(ui_zoom_mode->GetSelection() == static_cast<int>(ZoomMode::ZoomAny),
                     rotation == Rotation::DegreeAny);
    if (assist_ && !wxTheApp->IsScheduledForDestruction(assist_.get())) {
        select(assist_->ui_angle, static_cast<int>(rotation));
        assist_->ui_angle_degree->Enable(rotation == Rotation::DegreeAny);
    }
}

namespace {
// Writing an unchanged text would still make GTK relayout the control.
void show_number(wxTextCtrl* input, double value)
{
    const wxString text = form_parts::number_text(value);
    if (input->GetValue() != text)
        input->ChangeValue(text);
}
} // namespace

void ImagePanel::show_view()
{
    show_number(ui_zoom_rate, zoom_rate() * 100);
    show_number(ui_angle_degree, rotation_degree());
    if (assist_ && !wxTheApp->IsScheduledForDestruction(assist_.get())) {
        show_number(assist_->ui_zoom_rate, zoom_rate() * 100);
        show_number(assist_->ui_angle_degree, rotation_degree());
    }
}

void ImagePanel::on_change_zoom_rate(wxCommandEvent&)
{
    require_gui_thread(__func__);
    apply_typed_zoom_rate(ui_zoom_rate);
}

void ImagePanel::on_change_angle_degree(wxCommandEvent&)
{
    require_gui_thread(__func__);
    apply_typed_angle_degree(ui_angle_degree);
}

void ImagePanel::apply_typed_zoom_rate(wxTextCtrl* input)
{
    require_gui_thread(__func__);
    const wxString text = input->GetValue();
    // Leaving the input unchanged must not refit (nor scroll back).
    if (text == form_parts::number_text(zoom_rate() * 100) && zoom_mode() == ZoomMode::ZoomAny)
        return;
    try {
        const std::optional<double> percent = form_parts::typed_number(text);
        if (!percent)
            throw ValueError("Unsupported Zoom Rate: " + std::string(text.utf8_str()));
        set_zoom_rate(*percent / 100);
    } catch (const Error& error) {
        show_number(input, zoom_rate() * 100);
        report_handler_error(error);
    }
}

void ImagePanel::apply_typed_angle_degree(wxTextCtrl* input)
{
    require_gui_thread(__func__);
    const wxString text = input->GetValue();
    if (text == form_parts::number_text(rotation_degree()) && rotation() == Rotation::DegreeAny)
        return;
    try {
        const std::optional<double> degree = form_parts::typed_number(text);
        if (!degree)
            throw ValueError("Unsupported Rotation Degree: " + std::string(text.utf8_str()));
        set_rotation_degree(*degree);
    } catch (const Error& error) {
        show_number(input, rotation_degree());
        report_handler_error(error);
    }
}

void ImagePanel::show_levels()
{
    const bool shown = source_has_levels();
    const auto [low, high] = display_levels();
    show_levels_group(shown);
    show_number(ui_levels_low, low);
    show_number(ui_levels_high, high);
    if (assist_ && !wxTheApp->IsScheduledForDestruction(assist_.get())) {
        assist_->show_levels_row(shown);
        show_number(assist_->ui_levels_low, low);
        show_number(assist_->ui_levels_high, high);
    }
}

void ImagePanel::on_change_levels(wxCommandEvent&)
{
    require_gui_thread(__func__);
    apply_typed_levels(ui_levels_low, ui_levels_high);
}

void ImagePanel::on_auto_levels(wxCommandEvent&)
{
    require_gui_thread(__func__);
    set_levels(std::nullopt);
}

void ImagePanel::apply_typed_levels(wxTextCtrl* low_input, wxTextCtrl* high_input)
{
    require_gui_thread(__func__);
    const auto [low_shown, high_shown] = display_levels();
    const wxString low_text = low_input->GetValue(), high_text = high_input->GetValue();
    // Leaving the inputs unchanged must not fix automatic levels.
    if (low_text == form_parts::number_text(low_shown) && high_text == form_parts::number_text(high_shown))
        return;
    try {
        const std::optional<double> low = form_parts::typed_number(low_text);
        const std::optional<double> high = form_parts::typed_number(high_text);
        if (!low || !high)
            throw ValueError("Unsupported Levels: " + std::string(low_text.utf8_str()) + ", "
                             + std::string(high_text.utf8_str()));
        set_levels(std::pair(*low, *high));
    } catch (const Error& error) {
        show_number(low_input, low_shown);
        show_number(high_input, high_shown);
        report_handler_error(error);
    }
}

void ImagePanel::on_show_middle_lines(wxCommandEvent&)
{
    require_gui_thread(__func__);
    draw_image();
}

void ImagePanel::on_show_following_lines(wxCommandEvent&)
{
    require_gui_thread(__func__);
    draw_image();
}

void ImagePanel::on_close_assist_bar(wxCommandEvent&)
{
    require_gui_thread(__func__);
    // A window closed a moment ago is only waiting for its deletion at idle time.
    if (!assist_ || wxTheApp->IsScheduledForDestruction(assist_.get())) {
        assist_ = new ImagePanelAssist(this);
        if (HandlerDispatcher* dispatcher = handler_dispatcher())
            dispatcher->window_created(assist_.get());
        // Destroyed without being closed (a host calling Destroy), the window
        // would leave the panel with neither bar.
        assist_->Bind(wxEVT_DESTROY, [panel = wxWeakRef<ImagePanel>(this), window = assist_.get()](
                                         wxWindowDestroyEvent& event) {
            event.Skip();
            if (event.GetEventObject() == window && panel && panel->assist() == window)
                panel->on_assist_closed();
        });
    }
    assist_->Show();
    ui_panel_assist->Hide();
    lay_out_for_assist_bar();
}

void ImagePanel::on_assist_closed()
{
    require_gui_thread(__func__);
    assist_ = nullptr;
    ui_panel_assist->Show();
    lay_out_for_assist_bar();
}

void ImagePanel::on_show_overflow_menu(wxCommandEvent&)
{
    require_gui_thread(__func__);
    const std::unique_ptr<wxMenu> menu = overflow_menu();
    user_interaction().popup_menu(ui_button_overflow, menu.get(), wxPoint(0, ui_button_overflow->GetSize().y));
}

void ImagePanel::on_going_to_destroy()
{
    require_gui_thread(__func__);
    if (ImagePanelAssist* window = assist_.get()) {
        assist_ = nullptr;
        window->Destroy();
    }
}

void ImagePanel::lay_out_for_assist_bar()
{
    window_fit_layout(GetParent(), false);
    // A parent that keeps this panel's size (one without a sizer) leaves its inside as it was.
    Layout();
}

} // namespace tesk_vumo
