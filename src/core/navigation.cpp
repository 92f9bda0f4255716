#include "tesk_vumo/core/viewer_core.h"

#include "viewport.h"

#include "tesk_vumo/common/view_geometry.h"

#include <algorithm>

namespace tesk_vumo {

void ViewerCore::zoom_step(int steps, const wxPoint& at)
{
    require_gui_thread(__func__);
    if (source_image_.empty() || !view_)
        return;
    const double now = zoom_rate();
    const double rate = geometry::stepped_zoom_rate(now, steps);
    if (rate != now || zoom_mode_ != ZoomMode::ZoomAny)
        zoom_about({double(at.x), double(at.y)}, rate);
}

void ViewerCore::zoom_actual_size(const wxPoint& at)
{
    require_gui_thread(__func__);
    if (source_image_.empty() || !view_)
        return;
    zoom_about({double(at.x), double(at.y)}, 1.0);
}

wxPoint ViewerCore::zoom_anchor() const
{
    require_gui_thread(__func__);
    if (mouse_position_ && !pointer_away_)
        return *mouse_position_;
    const wxSize client = viewport_->client_size();
    return {client.x / 2, client.y / 2};
}

void ViewerCore::scroll_view_to(int x, int y)
{
    if (!viewport_->scroll_to({x, y}))
        return;
    draw_image();
    if (send_view())
        follow_pointer();
}

void ViewerCore::on_key_down(wxKeyEvent& event)
{
    require_gui_thread(__func__);
    const int x = viewport_->offset().x, y = viewport_->offset().y;
    const cv::Size view = viewport_->thumb();
    // A tenth of the view per arrow: a few presses cross it, many are not needed.
    const int step_x = std::max(1, view.width / 10), step_y = std::max(1, view.height / 10);
    const int end = 1 << 30;
    if (event.GetModifiers() == wxMOD_CONTROL) {
        switch (event.GetKeyCode()) {
        case 'C': copy_for_user(); return;
        case 'V': paste_for_user(); return;
        default: break;
        }
    }
    if (event.GetModifiers() == wxMOD_SHIFT) {
        switch (event.GetKeyCode()) {
        case WXK_LEFT: resize_selection(-1, 0); return;
        case WXK_RIGHT: resize_selection(1, 0); return;
        case WXK_UP: resize_selection(0, -1); return;
        case WXK_DOWN: resize_selection(0, 1); return;
        default: break;
        }
    }
    switch (event.GetKeyCode()) {
    case '+':
    case '=':
    case WXK_NUMPAD_ADD: zoom_step(1, zoom_anchor()); break;
    case '-':
    case WXK_NUMPAD_SUBTRACT: zoom_step(-1, zoom_anchor()); break;
    case '0':
    case WXK_NUMPAD0: zoom_actual_size(zoom_anchor()); break;
    case WXK_LEFT: scroll_view_to(x - step_x, y); break;
    case WXK_RIGHT: scroll_view_to(x + step_x, y); break;
    case WXK_UP: scroll_view_to(x, y - step_y); break;
    case WXK_DOWN: scroll_view_to(x, y + step_y); break;
    case WXK_PAGEUP: scroll_view_to(x, y - view.height); break;
    case WXK_PAGEDOWN: scroll_view_to(x, y + view.height); break;
    case WXK_HOME: scroll_view_to(0, 0); break;
    case WXK_END: scroll_view_to(end, end); break;
    case WXK_SPACE: space_held_ = true; break;
    case WXK_ESCAPE:
        // With nothing to clear, a dialog around the viewer may take it.
        if (selecting_enabled_ && selection_rect_.GetPosition() != wxPoint(-1, -1))
            clear_selection();
        else
            event.Skip();
        break;
    default: event.Skip();
    }
}

void ViewerCore::resize_selection(int columns, int rows)
{
    if (!selecting_enabled_ || !view_ || selection_rect_.GetPosition() == wxPoint(-1, -1))
        return;
    const cv::Size step = view_->source_pixel_span();
    const cv::Size shown = view_->displayed_size();
    // A narrowed side keeps one step; a widened one stops at the image's
    // edge. Reckoned wider than int: a host may set a selection anywhere.
    const auto resized = [](long long from, long long extent, long long by, long long limit) {
        if (by < 0)
            return static_cast<int>(std::max(extent + by, std::min(extent, -by)));
        return static_cast<int>(std::min(std::max(extent, std::min(extent + by, limit - from)), 0x7fffffffLL));
    };
    const auto [x, y, w, h] = get_selection_rect();
    const int width = resized(x, w, columns * step.width, shown.width);
    const int height = resized(y, h, rows * step.height, shown.height);
    if (width == w && height == h)
        return;
    selection_rect_ = wxRect(x, y, width, height);
    remember_selection();
    update_selection_rect_info();
    redraw();
    send_selection();
}

void ViewerCore::clear_selection()
{
    selection_rect_ = wxRect(-1, -1, 0, 0);
    remember_selection();
    update_selection_rect_info();
    redraw();
    send_selection();
}

void ViewerCore::on_focus(wxFocusEvent& event)
{
    require_gui_thread(__func__);
    event.Skip();
    focused_ = event.GetEventType() == wxEVT_SET_FOCUS;
    redraw();
}

void ViewerCore::on_key_up(wxKeyEvent& event)
{
    require_gui_thread(__func__);
    if (event.GetKeyCode() == WXK_SPACE)
        space_held_ = false;
    event.Skip();
}

void ViewerCore::on_pan_start(wxMouseEvent& event)
{
    require_gui_thread(__func__);
    if (!pointer_navigation_)
        return;
    parts_.surface->SetFocus();
    pan_ = Pan{in_device(event.GetPosition()), {viewport_->offset().x, viewport_->offset().y}};
    // The drag goes on when the pointer leaves the surface.
    if (!parts_.surface->HasCapture())
        parts_.surface->CaptureMouse();
}

void ViewerCore::on_pan_end(wxMouseEvent&)
{
    require_gui_thread(__func__);
    if (!release_overlay())
        return;
    if (!pan_)
        return;
    pan_.reset();
    if (parts_.surface->HasCapture())
        parts_.surface->ReleaseMouse();
}

} // namespace tesk_vumo
