#include "declarations.h"
#include "enums.h"
#include "viewer_core.h"
#include "wx_class.h"

#include "tesk_vumo/common/viewer_events.h"

#include <pybind11/eval.h>

namespace tesk_vumo::python {

namespace {

/// wxPython hands a viewer's event to Python as a wx.CommandEvent (it knows
/// no other class of it). The binders give their handlers that same wrapper
/// as a ViewerEvent, whose getters read the C++ event behind it; as with any
/// wx event, it is valid only while it is being handled.
const char* const event_classes = R"(
import wx


class ViewerEvent(wx.CommandEvent):
    """What ImagePanel and Image tell their host: the pointer moved over the image
    (EVT_VIEWER_POINTER), the selection changed (EVT_VIEWER_SELECTION), the
    view changed (EVT_VIEWER_VIEW), a load_source_image ended
    (EVT_VIEWER_LOADED), the user moved or resized an editable overlay
    (EVT_VIEWER_OVERLAY) or files were dropped on it (EVT_VIEWER_DROP).
    Sent once per change, after the viewer has updated
    its own state; every event carries the whole state after the change.
    Valid only while it is being handled, like any wx event."""
    __slots__ = ()


class _ViewerHandler:
    """A handler bound through a viewer event binder; equal to the function it
    calls, so that Unbind(handler=function) finds it."""
    __slots__ = ("function",)

    def __init__(self, function):
        self.function = function

    def __call__(self, event):
        # The wrapper of an event is found again by its address: it must not
        # stay a ViewerEvent for the next event made there.
        event.__class__ = ViewerEvent
        try:
            return self.function(event)
        finally:
            event.__class__ = wx.CommandEvent

    def __eq__(self, other):
        if isinstance(other, _ViewerHandler):
            other = other.function
        return self.function == other

    def __hash__(self):
        return hash(self.function)


class _ViewerEventBinder(wx.PyEventBinder):
    """Binds handlers that receive a ViewerEvent."""

    def Bind(self, target, id1, id2, function):
        super().Bind(target, id1, id2, None if function is None else _ViewerHandler(function))
)";

const ViewerEvent& viewer_event(py::handle self)
{
    const auto* event = dynamic_cast<const ViewerEvent*>(static_cast<wxEvent*>(unwrap(self, "wxEvent")));
    if (!event)
        throw py::type_error("expected an event sent by a viewer (ImagePanel or Image)");
    return *event;
}

py::tuple pair(const wxPoint& point)
{
    return py::make_tuple(point.x, point.y);
}

/// @p utf8 as a str; bytes of a file name that are no UTF-8 come back as
/// os.fsdecode gives them.
py::str text(const std::string& utf8)
{
    return py::reinterpret_steal<py::str>(
        PyUnicode_DecodeUTF8(utf8.data(), static_cast<Py_ssize_t>(utf8.size()), "surrogateescape"));
}

template <class Get>
void getter(py::handle type, const char* name, Get get, const char* doc)
{
    detail::install_property(
        type, name, py::cpp_function([get](py::handle self) { return get(viewer_event(self)); }), py::none(), doc);
}

} // namespace

void declare_viewer_events(py::module_& m)
{
    py::dict scope;
    scope["__name__"] = m.attr("__name__");
    py::exec(event_classes, scope);
    py::object type = scope["ViewerEvent"];
    m.attr("ViewerEvent") = type;

    getter(type, "position", [](const ViewerEvent& e) { return pair(e.position()); },
           "The pointer's (column, row) in the displayed image, (-1, -1) outside it.");
    getter(type, "source_position", [](const ViewerEvent& e) { return pair(e.source_position()); },
           "The source pixel shown under the pointer, (column, row) of the stored unturned image, or "
           "(-1, -1).");
    getter(type, "color",
           [](const ViewerEvent& e) { return e.color().IsOk() ? py::cast(e.color()) : py::object(py::none()); },
           "The displayed pixel's colour under the pointer (wx.Colour, as the read-out shows it), or None "
           "outside the image.");
    getter(type, "value", [](const ViewerEvent& e) { return source_samples(e.value(), e.value_is_integer()); },
           "The source's value under the pointer in its own type (int or float for one channel, a tuple "
           "for several), or None outside the image.");
    getter(type, "selection_rect", [](const ViewerEvent& e) { return e.selection_rect(); },
           "The selection in displayed-image pixels as stored (wx.Rect; width and height may be zero or "
           "negative; position (-1, -1) means none).");
    getter(type, "zoom_mode", [](const ViewerEvent& e) { return e.zoom_mode(); }, "The viewer's ZoomMode.");
    getter(type, "zoom_rate", [](const ViewerEvent& e) { return e.zoom_rate(); },
           "Displayed pixels per source pixel shown now; 0.0 while the viewer holds no source.");
    getter(type, "rotation", [](const ViewerEvent& e) { return e.rotation(); }, "The viewer's Rotation.");
    getter(type, "rotation_degree", [](const ViewerEvent& e) { return e.rotation_degree(); },
           "Degrees, clockwise, by which the image is shown turned.");
    getter(type, "scroll_position", [](const ViewerEvent& e) { return pair(e.scroll_position()); },
           "The (horizontal, vertical) scroll thumb positions: the first visible column and row of the "
           "displayed image.");

    getter(type, "path", [](const ViewerEvent& e) { return text(e.path()); },
           "EVT_VIEWER_LOADED: the file the load read, as it was named.");
    getter(type, "success", [](const ViewerEvent& e) { return e.success(); },
           "EVT_VIEWER_LOADED: whether the file's image is now the source image.");
    getter(type, "cancelled", [](const ViewerEvent& e) { return e.cancelled(); },
           "EVT_VIEWER_LOADED: whether a later load or image took the load's place before it ended "
           "(its image is never shown).");
    getter(type, "failure", [](const ViewerEvent& e) { return text(e.failure()); },
           "EVT_VIEWER_LOADED: why the load failed, for a person; \"\" on success and when cancelled.");

    getter(type, "overlay_id", [](const ViewerEvent& e) { return e.overlay_id(); },
           "EVT_VIEWER_OVERLAY: the id of the overlay the user moved or resized.");
    getter(type, "overlay_rect",
           [](const ViewerEvent& e) {
               const auto& r = e.overlay_rect();
               return py::make_tuple(r[0], r[1], r[2], r[3]);
           },
           "EVT_VIEWER_OVERLAY: its (x, y, w, h) in source pixels now.");
    getter(type, "paths",
           [](const ViewerEvent& e) {
               py::list paths;
               for (const std::string& path : e.paths())
                   paths.append(text(path));
               return paths;
           },
           "EVT_VIEWER_DROP: the dropped files, in the order the drop gave them.");
    getter(type, "allowed", [](const ViewerEvent& e) { return e.allowed(); },
           "EVT_VIEWER_DROP: whether the viewer will load the dropped files (no handler vetoed it).");
    py::setattr(type, "veto",
                py::cpp_function([](py::handle self) { const_cast<ViewerEvent&>(viewer_event(self)).veto(); },
                                 py::name("veto"), py::is_method(type),
                                 py::doc("EVT_VIEWER_DROP: keeps the viewer from loading the dropped files "
                                         "(the host refuses the drop or takes it over).")));

    py::object binder = scope["_ViewerEventBinder"];
    m.attr("EVT_VIEWER_POINTER") = binder(static_cast<int>(EVT_VIEWER_POINTER), 1);
    m.attr("EVT_VIEWER_SELECTION") = binder(static_cast<int>(EVT_VIEWER_SELECTION), 1);
    m.attr("EVT_VIEWER_VIEW") = binder(static_cast<int>(EVT_VIEWER_VIEW), 1);
    m.attr("EVT_VIEWER_LOADED") = binder(static_cast<int>(EVT_VIEWER_LOADED), 1);
    m.attr("EVT_VIEWER_OVERLAY") = binder(static_cast<int>(EVT_VIEWER_OVERLAY), 1);
    m.attr("EVT_VIEWER_DROP") = binder(static_cast<int>(EVT_VIEWER_DROP), 1);
}

} // namespace tesk_vumo::python
