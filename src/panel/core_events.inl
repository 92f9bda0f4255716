// Events the viewing core sends its host. Included by viewer_core.cpp.

namespace tesk_vumo {

template <class Form>
ViewerEvent ViewerCore<Form>::make_event(wxEventType type) const
{
    ViewerEvent event(type, this->GetId());
    event.SetEventObject(const_cast<ViewerCore*>(this));
    // Before any pointer event the recorded (0, 0) is no pointer position.
    const wxPoint at = mouse_position_ ? get_mouse_image_position() : wxPoint(-1, -1);
    event.set_position(at);
    const bool on_image = at.x >= 0 && at.y >= 0;
    event.set_source_position(on_image ? get_mouse_source_position() : wxPoint(-1, -1));
    if (const auto rgb = on_image ? colour_under_pointer(at) : std::nullopt)
        event.set_color(wxColour((*rgb)[0], (*rgb)[1], (*rgb)[2]));
    event.set_selection_rect(selection_rect_);
    event.set_zoom_mode(zoom_mode_);
    event.set_zoom_rate(source_image_.empty() ? 0.0 : zoom_rate());
    event.set_rotation(rotation_);
    event.set_rotation_degree(geometry::rotation_degrees(rotation_, rotation_degree_));
    event.set_scroll_position(wxPoint(this->ui_scroll_bar_horizontal->GetThumbPosition(),
                                      this->ui_scroll_bar_vertical->GetThumbPosition()));
    return event;
}

template <class Form>
bool ViewerCore<Form>::deliver(ViewerEvent& event)
{
    // Nobody may handle the events of a viewer half destroyed.
    if (this->IsBeingDeleted())
        return false;
    // A host's handler may destroy the viewer (a child window goes at once).
    wxWeakRef<wxWindow> alive(this);
    this->ProcessWindowEvent(event);
    return alive;
}

template <class Form>
bool ViewerCore<Form>::send_pointer()
{
    ViewerEvent event = make_event(EVT_VIEWER_POINTER);
    // After a refit the same displayed pixel may show another source pixel.
    const auto pointer = std::make_pair(event.position(), event.source_position());
    if (pointer == pointer_reported_)
        return true;
    pointer_reported_ = pointer;
    return deliver(event);
}

template <class Form>
bool ViewerCore<Form>::send_selection()
{
    if (selection_rect_ == selection_reported_)
        return true;
    selection_reported_ = selection_rect_;
    ViewerEvent event = make_event(EVT_VIEWER_SELECTION);
    return deliver(event);
}

template <class Form>
bool ViewerCore<Form>::send_view()
{
    ViewerEvent event = make_event(EVT_VIEWER_VIEW);
    const auto view = std::make_tuple(event.zoom_mode(), event.zoom_rate(), event.rotation(),
                                      event.rotation_degree(), event.scroll_position());
    if (view_reported_ == view)
        return true;
    view_reported_ = view;
    return deliver(event);
}

} // namespace tesk_vumo
