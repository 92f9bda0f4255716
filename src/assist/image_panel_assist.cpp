#include "tesk_vumo/assist/image_panel_assist.h"

#include "../forms/form_parts.h"
#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/forms/event_guard.h"
#include "tesk_vumo/panel/image_panel.h"

#include <wx/app.h>

namespace tesk_vumo {

ImagePanelAssist::ImagePanelAssist(ImagePanel* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                                   long style, const wxString& name)
    : ImagePanelAssistForm(on_gui_thread(parent, "ImagePanelAssist"), id, pos, size, style, name), image_panel_(parent)
{
    ui_zoom_mode->SetSelection(parent->ui_zoom_mode->GetSelection());
    ui_angle->SetSelection(parent->ui_angle->GetSelection());
    ui_zoom_rate->Enable(parent->zoom_mode() == ZoomMode::ZoomAny);
    ui_angle_degree->Enable(parent->rotation() == Rotation::DegreeAny);
    ui_zoom_rate->ChangeValue(form_parts::number_text(parent->zoom_rate() * 100));
    ui_angle_degree->ChangeValue(form_parts::number_text(parent->rotation_degree()));
    const auto [low, high] = parent->display_levels();
    ui_levels_low->ChangeValue(form_parts::number_text(low));
    ui_levels_high->ChangeValue(form_parts::number_text(high));
    show_levels_row(parent->source_has_levels());
}

void ImagePanelAssist::on_change_zoom_mode(wxCommandEvent&)
{
    require_gui_thread(__func__);
    ImagePanel* panel = image_panel();
    if (!panel)
        return;
    const int selected = ui_zoom_mode->GetSelection();
    if (selected < 0)
        return;
    try {
        panel->set_zoom_mode(zoom_mode_from_index(selected));
    } catch (const Error&) {
        // A mode refused for this image is taken back: so is the choice.
        ui_zoom_mode->SetSelection(static_cast<int>(panel->zoom_mode()));
        throw;
    }
}

void ImagePanelAssist::on_change_rotation(wxCommandEvent&)
{
    require_gui_thread(__func__);
    ImagePanel* panel = image_panel();
    if (!panel)
        return;
    const int selected = ui_angle->GetSelection();
    if (selected < 0)
        return;
    try {
        panel->set_rotation(rotation_from_index(selected));
    } catch (const Error&) {
        ui_angle->SetSelection(static_cast<int>(panel->rotation()));
        throw;
    }
}

void ImagePanelAssist::on_change_zoom_rate(wxCommandEvent&)
{
    require_gui_thread(__func__);
    if (ImagePanel* panel = image_panel())
        panel->apply_typed_zoom_rate(ui_zoom_rate);
}

void ImagePanelAssist::on_change_angle_degree(wxCommandEvent&)
{
    require_gui_thread(__func__);
    if (ImagePanel* panel = image_panel())
        panel->apply_typed_angle_degree(ui_angle_degree);
}

void ImagePanelAssist::on_change_levels(wxCommandEvent&)
{
    require_gui_thread(__func__);
    if (ImagePanel* panel = image_panel())
        panel->apply_typed_levels(ui_levels_low, ui_levels_high);
}

void ImagePanelAssist::on_auto_levels(wxCommandEvent&)
{
    require_gui_thread(__func__);
    if (ImagePanel* panel = image_panel())
        panel->set_levels(std::nullopt);
}

void ImagePanelAssist::on_load_image(wxCommandEvent& event)
{
    require_gui_thread(__func__);
    if (ImagePanel* panel = image_panel())
        dispatch_handler(panel, "on_load_image", event, [&] { panel->on_load_image(event); });
}

void ImagePanelAssist::on_save_image(wxCommandEvent& event)
{
    require_gui_thread(__func__);
    if (ImagePanel* panel = image_panel())
        dispatch_handler(panel, "on_save_image", event, [&] { panel->on_save_image(event); });
}

void ImagePanelAssist::on_close(wxCloseEvent&)
{
    require_gui_thread(__func__);
    Destroy();
    ImagePanel* panel = image_panel();
    if (!panel)
        return;
    // Queued on the panel, not on this window: a handler's pending calls die
    // with it, so a panel destroyed meanwhile is never re-docked.
    panel->CallAfter([panel] {
        // Undocked again before this ran: the new window stays in charge.
        ImagePanelAssist* current = panel->assist();
        if (current && !wxTheApp->IsScheduledForDestruction(current))
            return;
        panel->on_assist_closed();
    });
}

} // namespace tesk_vumo
