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
    send_view();
}

void ViewerCore::on_key_down(wxKeyEvent& event)
{
    require_gui_thread(__func__);
    const int x = viewport_->offset().x, y = viewport_->offset().y;
    const cv::Size view = viewport_->thumb();
    // A tenth of the view per arrow: a few presses cross it, many are not needed.
    const int step_x = std::max(1, view.width / 10), step_y = std::max(1, view.height / 10);
    const int end = 1 << 30;
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
    default: event.Skip();
    }
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
    if (!pan_)
        return;
    pan_.reset();
    if (parts_.surface->HasCapture())
        parts_.surface->ReleaseMouse();
}

} // namespace tesk_vumo
