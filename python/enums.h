#ifndef TESK_VUMO_PYTHON_ENUMS_H
#define TESK_VUMO_PYTHON_ENUMS_H

// ZoomMode and Rotation as Python enum.IntEnum classes, and their casters:
// a binding taking a ZoomMode accepts a member or a plain int (ValueError
// outside the members' values) and returns a member.

#include <pybind11/pybind11.h>

#include <vector>

#include "tesk_vumo/common/rotation.h"
#include "tesk_vumo/common/zoom_mode.h"

namespace tesk_vumo::python {

namespace py = pybind11;

/// An IntEnum class made by declare_enums and its members, in the order of
/// their values (0, 1, ...).
struct IntEnumClass
{
    py::object type;
    std::vector<py::object> members;

    /// The value of @p source when it is a member or an int (ValueError for
    /// an int that is no member's value); false for anything else, a member
    /// of another enumeration included.
    bool value_of(py::handle source, int& value) const;
    /// The member of value @p value.
    py::object member(int value) const;
};

/// The IntEnum class of E made by declare_enums.
template <class E>
const IntEnumClass& int_enum_class();
template <>
const IntEnumClass& int_enum_class<ZoomMode>();
template <>
const IntEnumClass& int_enum_class<Rotation>();

template <class E>
struct int_enum_caster
{
    bool load(py::handle source, bool)
    {
        int index = 0;
        if (!int_enum_class<E>().value_of(source, index))
            return false;
        value = static_cast<E>(index);
        return true;
    }

    static py::handle cast(E source, py::return_value_policy, py::handle)
    {
        return int_enum_class<E>().member(static_cast<int>(source)).release();
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
