// Zooming about a point, keys and dragging the view of the viewing core.
// Included by viewer_core.cpp.

namespace tesk_vumo {

template <class Form>
void ViewerCore<Form>::zoom_step(int steps, const wxPoint& at)
{
    require_gui_thread(__func__);
    if (source_image_.empty() || (image_being_shown_.empty() && !view_))
        return;
    const double now = zoom_rate();
    const double rate = geometry::stepped_zoom_rate(now, steps);
    if (rate != now || zoom_mode_ != ZoomMode::ZoomAny)
        zoom_about({double(at.x), double(at.y)}, rate);
}

template <class Form>
void ViewerCore<Form>::zoom_actual_size(const wxPoint& at)
{
    require_gui_thread(__func__);
    if (source_image_.empty() || (image_being_shown_.empty() && !view_))
        return;
    zoom_about({double(at.x), double(at.y)}, 1.0);
}

template <class Form>
wxPoint ViewerCore<Form>::zoom_anchor() const
{
    require_gui_thread(__func__);
    if (mouse_position_ && !pointer_away_)
        return *mouse_position_;
    const wxSize client = in_device(this->ui_image->GetClientSize());
    return {client.x / 2, client.y / 2};
}

template <class Form>
void ViewerCore<Form>::scroll_view_to(int x, int y)
{
    auto clamp = [](wxScrollBar* bar, int position) {
        return std::max(0, std::min(position, bar->GetRange() - bar->GetThumbSize()));
    };
    wxScrollBar* h = this->ui_scroll_bar_horizontal;
    wxScrollBar* v = this->ui_scroll_bar_vertical;
    x = clamp(h, x);
    y = clamp(v, y);
    if (x == h->GetThumbPosition() && y == v->GetThumbPosition())
        return;
    h->SetThumbPosition(x);
    v->SetThumbPosition(y);
    draw_image();
    send_view();
}

template <class Form>
void ViewerCore<Form>::on_key_down(wxKeyEvent& event)
{
    require_gui_thread(__func__);
    wxScrollBar* h = this->ui_scroll_bar_horizontal;
    wxScrollBar* v = this->ui_scroll_bar_vertical;
    const int x = h->GetThumbPosition(), y = v->GetThumbPosition();
    // A tenth of the view per arrow: a few presses cross it, many are not needed.
    const int step_x = std::max(1, h->GetThumbSize() / 10), step_y = std::max(1, v->GetThumbSize() / 10);
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
    case WXK_PAGEUP: scroll_view_to(x, y - v->GetThumbSize()); break;
    case WXK_PAGEDOWN: scroll_view_to(x, y + v->GetThumbSize()); break;
    case WXK_HOME: scroll_view_to(0, 0); break;
    case WXK_END: scroll_view_to(end, end); break;
    case WXK_SPACE: space_held_ = true; break;
    default: event.Skip();
    }
}

template <class Form>
void ViewerCore<Form>::on_key_up(wxKeyEvent& event)
{
    require_gui_thread(__func__);
    if (event.GetKeyCode() == WXK_SPACE)
        space_held_ = false;
    event.Skip();
}

template <class Form>
void ViewerCore<Form>::on_pan_start(wxMouseEvent& event)
{
    require_gui_thread(__func__);
    if (!pointer_navigation_)
        return;
    this->ui_image->SetFocus();
    pan_ = Pan{in_device(event.GetPosition()), {this->ui_scroll_bar_horizontal->GetThumbPosition(),
                                     this->ui_scroll_bar_vertical->GetThumbPosition()}};
    // The drag goes on when the pointer leaves the surface.
    if (!this->ui_image->HasCapture())
        this->ui_image->CaptureMouse();
}

template <class Form>
void ViewerCore<Form>::on_pan_end(wxMouseEvent&)
{
    require_gui_thread(__func__);
    if (!pan_)
        return;
    pan_.reset();
    if (this->ui_image->HasCapture())
        this->ui_image->ReleaseMouse();
}

} // namespace tesk_vumo
