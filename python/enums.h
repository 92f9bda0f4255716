#ifndef TESK_VUMO_PYTHON_ENUMS_H
#define TESK_VUMO_PYTHON_ENUMS_H

// ZoomMode and Rotation as Python enum.IntEnum classes, and their casters:
// a binding taking a ZoomMode accepts a member or a plain int (ValueError
// outside the members' values) and returns a member.

#include <pybind11/pybind11.h>

#include "tesk_vumo/common/rotation.h"
#include "tesk_vumo/common/zoom_mode.h"

namespace tesk_vumo::python {

namespace py = pybind11;

/// The IntEnum class of E made by declare_enums.
template <class E>
py::handle int_enum_class();
template <>
py::handle int_enum_class<ZoomMode>();
template <>
py::handle int_enum_class<Rotation>();

template <class E>
struct int_enum_caster
{
    bool load(py::handle source, bool)
    {
        if (!source || !PyLong_Check(source.ptr()) || PyBool_Check(source.ptr()))
            return false;
        // A member of another enumeration is an int too, but not this one.
        py::handle cls = int_enum_class<E>();
        if (py::isinstance(source, py::module_::import("enum").attr("Enum")) && !py::isinstance(source, cls))
            return false;
        value = static_cast<E>(cls(source).template cast<int>());
        return true;
    }

    static py::handle cast(E source, py::return_value_policy, py::handle)
    {
        return int_enum_class<E>()(static_cast<int>(source)).release();
    }

    template <class T>
    using cast_op_type = py::detail::movable_cast_op_type<T>;
    operator E&() { return value; }
    operator E&&() && { return std::move(value); }
    operator E*() { return &value; }

    E value{};
};

} // namespace tesk_vumo::python

template <>
struct pybind11::detail::type_caster<tesk_vumo::ZoomMode> : tesk_vumo::python::int_enum_caster<tesk_vumo::ZoomMode>
{
    static constexpr auto name = const_name("ZoomMode");
};

template <>
struct pybind11::detail::type_caster<tesk_vumo::Rotation> : tesk_vumo::python::int_enum_caster<tesk_vumo::Rotation>
{
    static constexpr auto name = const_name("Rotation");
};

#endif
