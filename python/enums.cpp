#include "enums.h"

#include "declarations.h"
#include "tesk_vumo/common/errors.h"

namespace tesk_vumo::python {

namespace {

IntEnumClass* zoom_mode_class = nullptr;
IntEnumClass* rotation_class = nullptr;
/// enum.Enum, the base of every enumeration.
py::object* enum_base = nullptr;

/// An IntEnum named @p name whose members are those @p from_index accepts,
/// named by the library's own names.
template <class E>
IntEnumClass* make_int_enum(py::module_& m, const char* name, const char* doc, E (*from_index)(int))
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
    auto* made = new IntEnumClass{cls, {}};
    for (size_t index = 0; index < members.size(); ++index)
        made->members.push_back(cls(index));
    return made;
}

} // namespace

bool IntEnumClass::value_of(py::handle source, int& value) const
{
    if (!source || !PyLong_Check(source.ptr()) || PyBool_Check(source.ptr()))
        return false;
    // A member of another enumeration is an int too, but not this one.
    const bool member = py::isinstance(source, type);
    if (!member && py::isinstance(source, *enum_base))
        return false;
    int overflow = 0;
    const long index = PyLong_AsLongAndOverflow(source.ptr(), &overflow);
    if (!member && (overflow || index < 0 || index >= static_cast<long>(members.size()))) {
        PyErr_Clear();
        // The enumeration's own ValueError.
        type(source);
    }
    value = static_cast<int>(index);
    return true;
}

py::object IntEnumClass::member(int value) const
{
    if (value >= 0 && value < static_cast<int>(members.size()))
        return members[static_cast<size_t>(value)];
    return type(value);
}

template <>
const IntEnumClass& int_enum_class<ZoomMode>()
{
    return *zoom_mode_class;
}

template <>
const IntEnumClass& int_enum_class<Rotation>()
{
    return *rotation_class;
}

void declare_enums(py::module_& m)
{
    // Kept for the life of the process: the casters need them until the end.
    enum_base = new py::object(py::module_::import("enum").attr("Enum"));
    zoom_mode_class = make_int_enum(
        m, "ZoomMode",
        "How a viewer scales its image: FitPage, FitWidth, FitHeight, NoZoom (one image pixel per "
        "screen pixel) and ZoomAny (the viewer's free zoom_rate). Values are the item "
        "indexes of the zoom choices.",
        &zoom_mode_from_index);
    rotation_class = make_int_enum(
        m, "Rotation",
        "Turns applied to the image: NoRotation, ClockWise90, Double90, CounterClockWise90 "
        "and DegreeAny (the viewer's free rotation_degree). Values are the item indexes of the rotation "
        "choices.",
        &rotation_from_index);
}

} // namespace tesk_vumo::python
