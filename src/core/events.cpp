#include "tesk_vumo/core/viewer_core.h"

#include "viewport.h"

#include "tesk_vumo/common/view_geometry.h"

#include <tuple>
#include <utility>

#include <wx/app.h>
#include <wx/weakref.h>

namespace tesk_vumo {

ViewerEvent ViewerCore::make_event(wxEventType type) const
{
    ViewerEvent event(type, viewer_.GetId());
    event.SetEventObject(&viewer_);
    // Before any pointer event the recorded (0, 0) is no pointer position.
    const wxPoint at = mouse_position_ ? get_mouse_image_position() : wxPoint(-1, -1);
    event.set_position(at);
    const bool on_image = at.x >= 0 && at.y >= 0;
    event.set_source_position(on_image ? get_mouse_source_position() : wxPoint(-1, -1));
    if (const auto rgb = on_image ? colour_under_pointer(at) : std::nullopt)
        event.set_color(wxColour((*rgb)[0], (*rgb)[1], (*rgb)[2]));
    if (on_image)
        event.set_value(value_under_pointer(), source_image_.depth() != CV_32F && source_image_.depth() != CV_64F);
    event.set_selection_rect(selection_rect_);
    event.set_zoom_mode(zoom_mode_);
    event.set_zoom_rate(source_image_.empty() ? 0.0 : zoom_rate());
    event.set_rotation(rotation_);
    event.set_rotation_degree(geometry::rotation_degrees(rotation_, rotation_degree_));
    event.set_scroll_position(wxPoint(viewport_->offset().x, viewport_->offset().y));
    return event;
}

bool ViewerCore::deliver(ViewerEvent& event)
{
    // Nobody may handle the events of a viewer half destroyed, or going.
    if (viewer_.IsBeingDeleted() || destroy_pending_)
        return false;
    if (!parts_.interactive)
        return true;
    // A host's handler may also destroy a window above the viewer, which
    // takes the viewer with it at once.
    struct Delivering
    {
        ViewerCore& viewer;
        wxWeakRef<wxWindow> alive;
        explicit Delivering(ViewerCore& viewer) : viewer(viewer), alive(&viewer.viewer_) { ++viewer.delivering_; }
        ~Delivering()
        {
            // A deletion queued by Destroy() that came due within this
            // delivery (a host's handler running the event loop) comes again.
            if (alive && --viewer.delivering_ == 0 && viewer.destroy_pending_ && !viewer.destroy_queued_)
                viewer.queue_destroy();
        }
    } delivering(*this);
    viewer_.ProcessWindowEvent(event);
    return delivering.alive && !destroy_pending_;
}

bool ViewerCore::put_off_destroy()
{
    // Deleted now, the viewer would leave the frames below the handler (its
    // own code, the toolkit's walk of its handlers and of its surface's)
    // running on freed memory.
    if (delivering_ == 0 || !wxTheApp)
        return false;
    if (!destroy_pending_) {
        destroy_pending_ = true;
        viewer_.Hide();
        queue_destroy();
    }
    return true;
}

void ViewerCore::queue_destroy()
{
    // Queued on the viewer itself: a viewer deleted meanwhile with its parent
    // takes the call with it.
    destroy_queued_ = true;
    viewer_.CallAfter([this] {
        destroy_queued_ = false;
        if (delivering_ == 0)
            viewer_.Destroy();
    });
}

bool ViewerCore::send_pointer()
{
    ViewerEvent event = make_event(EVT_VIEWER_POINTER);
    // After a refit the same displayed pixel may show another source pixel.
    const auto pointer = std::make_pair(event.position(), event.source_position());
    if (pointer == pointer_reported_)
        return true;
    pointer_reported_ = pointer;
    return deliver(event);
}

bool ViewerCore::send_selection()
{
    if (selection_rect_ == selection_reported_)
        return true;
    selection_reported_ = selection_rect_;
    ViewerEvent event = make_event(EVT_VIEWER_SELECTION);
    return deliver(event);
}

bool ViewerCore::send_view()
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
