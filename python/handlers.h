#ifndef TESK_VUMO_PYTHON_HANDLERS_H
#define TESK_VUMO_PYTHON_HANDLERS_H

// What the event handlers and constructors accept from Python.

#include "wx_interop.h"

#include <pybind11/stl.h>

#include <optional>
#include <string>

namespace tesk_vumo::python {

/// The event of a handler that does not read it: None or any wx.Event, as a
/// host passes from its own button, menu or shortcut.
struct AnyEvent
{
    py::object object;
};

/// A wx object of class E (a wx.MouseEvent, a wx.Window, ...) that the
/// callee checks itself, to say what it needed.
template <class E>
struct WxArg
{
    py::object object;
};

/// The window id of a constructor, or, in the (parent, size) form, the size.
struct IdOrSize
{
    wxWindowID id = wxID_ANY;
    std::optional<wxSize> size;
};

/// Runs @p call with the E that @p object is, or with an E standing in for
/// it (None, or an event of another class: its type, id and object).
template <class E, class Call>
void with_any_event(py::handle object, const char* handler, Call&& call)
{
    if (!object.is_none() && is_wrapper_of(object, wx_class_name<E>::value)) {
        call(*unwrap_as<E>(object));
        return;
    }
    E stand_in;
    if (!object.is_none()) {
        if (!is_wrapper_of(object, "wxEvent"))
            throw py::type_error(std::string(handler) + "() expects a wx.Event or None, got "
                                 + Py_TYPE(object.ptr())->tp_name);
        const wxEvent& given = *unwrap_as<wxEvent>(object);
        stand_in.SetEventType(given.GetEventType());
        stand_in.SetId(given.GetId());
        stand_in.SetEventObject(given.GetEventObject());
    }
    call(stand_in);
}

/// The E behind @p object; TypeError naming E for anything else.
template <class E>
E& event_of(py::handle object, const char* function)
{
    if (object.is_none() || !is_wrapper_of(object, wx_class_name<E>::value))
        throw py::type_error(std::string(function) + "() expects a wx." + (wx_class_name<E>::value + 2) + ", got "
                             + Py_TYPE(object.ptr())->tp_name);
    return *unwrap_as<E>(object);
}

/// The size a viewer is made with: the size given in place of the id, else
/// @p size. @p fallback is the default of @p size (none when it is
/// required): a size in place of the id replaces it.
wxSize size_of(const IdOrSize& id, const std::optional<wxSize>& size, const char* cls,
               std::optional<wxSize> fallback = std::nullopt);

} // namespace tesk_vumo::python

template <>
struct pybind11::detail::type_caster<tesk_vumo::python::AnyEvent>
{
    PYBIND11_TYPE_CASTER(tesk_vumo::python::AnyEvent, const_name("wx.Event | None"));
    bool load(handle source, bool)
    {
        value.object = reinterpret_borrow<object>(source);
        return true;
    }
};

template <class E>
struct pybind11::detail::type_caster<tesk_vumo::python::WxArg<E>>
{
    PYBIND11_TYPE_CASTER(tesk_vumo::python::WxArg<E>, make_caster<E>::name);
    bool load(handle source, bool)
    {
        value.object = reinterpret_borrow<object>(source);
        return true;
    }
};

template <>
struct pybind11::detail::type_caster<tesk_vumo::python::IdOrSize>
{
    PYBIND11_TYPE_CASTER(tesk_vumo::python::IdOrSize, const_name("int | wx.Size"));
    bool load(handle source, bool convert);
    static handle cast(const tesk_vumo::python::IdOrSize& value, return_value_policy, handle)
    {
        return PyLong_FromLong(value.id);
    }
};

#endif
