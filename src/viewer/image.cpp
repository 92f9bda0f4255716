#include "tesk_vumo/viewer/image.h"

#include "tesk_vumo/common/user_interaction.h"
#include "tesk_vumo/forms/event_guard.h"

#include <wx/utils.h>
#include <wx/weakref.h>

namespace tesk_vumo {

Image::Image(wxWindow* parent, const wxSize& size) : Image(parent, wxID_ANY, wxDefaultPosition, size) {}

Image::Image(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
             const wxString& name)
    : ImageForm(on_gui_thread(parent, "Image"), id, pos, size, style, name),
      ViewerCore(*this, {ui_image, ui_scroll_bar_horizontal, ui_scroll_bar_vertical, ui_x, ui_y, ui_rgb, ui_width,
                         ui_height},
                 SourceMessages::ContextViewer)
{
    Bind(wxEVT_CONTEXT_MENU, guarded(this, &Image::on_popup_menu, "on_popup_menu"));
}

bool Image::Destroy()
{
    require_gui_thread(__func__);
    return put_off_destroy() || ImageForm::Destroy();
}

void Image::on_mouse_right_down(wxMouseEvent& event)
{
    require_gui_thread(__func__);
    popup_menu_position_ = event.GetPosition();
}

void Image::on_popup_menu(wxContextMenuEvent& event)
{
    require_gui_thread(__func__);
    // A request from the keyboard carries no position: the menu goes to the pointer.
    const wxPoint on_screen = event.GetPosition() == wxDefaultPosition ? wxGetMousePosition() : event.GetPosition();
    const wxPoint position = popup_menu_position_ ? *popup_menu_position_ : ScreenToClient(on_screen);
    // The menu's handlers (or whoever shows it) may destroy the viewer.
    struct ClearAfterwards
    {
        wxWeakRef<Image> viewer;
        ~ClearAfterwards()
        {
            if (viewer)
                viewer->popup_menu_position_.reset();
        }
    } clear{this};
    mark_menu();
    user_interaction().popup_menu(this, ui_poup_menu, position);
}

void Image::mark_menu()
{
    // Items in the order of the enumerations' values.
    const int zoom_items[] = {ID_ZOOM_FIT_PAGE, ID_ZOOM_FIT_WIDTH, ID_ZOOM_FIT_HEIGHT, ID_ZOOM_NONE, ID_ZOOM_ANY};
    const int zoom = static_cast<int>(zoom_mode());
    if (zoom >= 0 && zoom < 5)
        ui_poup_menu->Check(zoom_items[zoom], true);
    const int rotation_items[] = {ID_ROTATION_NONE, ID_ROTATION_CW90, ID_ROTATION_180, ID_ROTATION_CCW90,
                                  ID_ROTATION_ANY};
    const int turn = static_cast<int>(rotation());
    if (turn >= 0 && turn < 5)
        ui_poup_menu->Check(rotation_items[turn], true);
    ui_poup_menu->Check(ID_MIDDLE_LINES, middle_line_enabled_);
    ui_poup_menu->Check(ID_FOLLOWING_LINES, following_line_enabled_);
    ui_poup_menu->Enable(ID_AUTO_LEVELS, source_has_levels());
}

void Image::on_auto_levels(wxCommandEvent&)
{
    require_gui_thread(__func__);
    run_guarded([this] { set_levels(std::nullopt); });
}

void Image::on_zoom_none(wxCommandEvent&)
{
    require_gui_thread(__func__);
    run_guarded([this] { set_zoom_mode(ZoomMode::NoZoom); });
}

void Image::on_zoom_fit_width(wxCommandEvent&)
{
    require_gui_thread(__func__);
    run_guarded([this] { set_zoom_mode(ZoomMode::FitWidth); });
}

void Image::on_zoom_fit_height(wxCommandEvent&)
{
    require_gui_thread(__func__);
    run_guarded([this] { set_zoom_mode(ZoomMode::FitHeight); });
}

void Image::on_zoom_fit_page(wxCommandEvent&)
{
    require_gui_thread(__func__);
    run_guarded([this] { set_zoom_mode(ZoomMode::FitPage); });
}

void Image::on_zoom_any(wxCommandEvent&)
{
    run_guarded([this] { set_zoom_mode(ZoomMode::ZoomAny); });
}

wxPoint Image::menu_anchor() const
{
    return popup_menu_position_ ? in_device(*popup_menu_position_) : zoom_anchor();
}

void Image::on_zoom_in(wxCommandEvent&)
{
    require_gui_thread(__func__);
    run_guarded([this] { zoom_step(1, menu_anchor()); });
}

void Image::on_zoom_out(wxCommandEvent&)
{
    require_gui_thread(__func__);
    run_guarded([this] { zoom_step(-1, menu_anchor()); });
}

void Image::on_zoom_actual_size(wxCommandEvent&)
{
    require_gui_thread(__func__);
    run_guarded([this] { zoom_actual_size(menu_anchor()); });
}

void Image::on_rotation_none(wxCommandEvent&)
{
    require_gui_thread(__func__);
    run_guarded([this] { set_rotation(Rotation::NoRotation); });
}

void Image::on_rotation_cw90(wxCommandEvent&)
{
    require_gui_thread(__func__);
    run_guarded([this] { set_rotation(Rotation::ClockWise90); });
}

void Image::on_rotation_180(wxCommandEvent&)
{
    require_gui_thread(__func__);
    run_guarded([this] { set_rotation(Rotation::Double90); });
}

void Image::on_rotation_ccw90(wxCommandEvent&)
{
    require_gui_thread(__func__);
    run_guarded([this] { set_rotation(Rotation::CounterClockWise90); });
}

void Image::on_rotation_any(wxCommandEvent&)
{
    run_guarded([this] { set_rotation(Rotation::DegreeAny); });
}

void Image::set_lines(bool& flag, bool shown)
{
    flag = shown;
    draw_image();
}

void Image::on_show_middle_lines(wxCommandEvent&)
{
    require_gui_thread(__func__);
    set_lines(middle_line_enabled_, true);
}

void Image::on_hide_middle_lines(wxCommandEvent&)
{
    require_gui_thread(__func__);
    set_lines(middle_line_enabled_, false);
}

void Image::on_show_following_lines(wxCommandEvent&)
{
    require_gui_thread(__func__);
    set_lines(following_line_enabled_, true);
}

void Image::on_hide_following_lines(wxCommandEvent&)
{
    require_gui_thread(__func__);
    set_lines(following_line_enabled_, false);
}

} // namespace tesk_vumo
