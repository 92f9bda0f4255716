#include "enums.h"

#include "declarations.h"
#include "tesk_vumo/common/errors.h"

namespace tesk_vumo::python {

namespace {

py::object* zoom_mode_class = nullptr;
py::object* rotation_class = nullptr;

/// An IntEnum named @p name whose members are those @p from_index accepts,
/// named by the library's own names.
template <class E>
py::object make_int_enum(py::module_& m, const char* name, const char* doc, E (*from_index)(int))
{
    py::list members;
    for (int index = 0;; ++index) {
        E member;
        try {
            member = from_index(index);
        } catch (const tesk_vumo::ValueError&) {
            break;
        }
        members.append(py::make_tuple(tesk_vumo::name(member), index));
    }
    py::object cls = py::module_::import("enum").attr("IntEnum")(
        name, members, py::arg("module") = m.attr("__name__"), py::arg("qualname") = name);
    cls.attr("__doc__") = doc;
    m.attr(name) = cls;
    return cls;
}

} // namespace

template <>
py::handle int_enum_class<ZoomMode>()
{
    return *zoom_mode_class;
}

template <>
py::handle int_enum_class<Rotation>()
{
    return *rotation_class;
}

void declare_enums(py::module_& m)
{
    // Kept for the life of the process: the casters need them until the end.
    zoom_mode_class = new py::object(make_int_enum(
        m, "ZoomMode",
        "How a viewer scales its image: FitPage, FitWidth, FitHeight, NoZoom (one image pixel per "
        "screen pixel) and ZoomAny (the viewer's free zoom_rate). Values are the item "
        "indexes of the zoom choices.",
        &zoom_mode_from_index));
    rotation_class = new py::object(make_int_enum(
        m, "Rotation",
        "Turns applied to the image: NoRotation, ClockWise90, Double90, CounterClockWise90 "
        "and DegreeAny (the viewer's free rotation_degree). Values are the item indexes of the rotation "
        "choices.",
        &rotation_from_index));
}

} // namespace tesk_vumo::python
