#include "wx_class.h"

#include <pybind11/eval.h>

namespace tesk_vumo::python::detail {

py::object make_window_class(py::module_& scope, const char* name, const char* doc, const char* wx_base)
{
    // "wxPanel" is wx.Panel; its metaclass (sip's) makes the subclass.
    py::object base = py::module_::import("wx").attr(wx_base + 2);
    py::object metaclass = py::reinterpret_borrow<py::object>(reinterpret_cast<PyObject*>(Py_TYPE(base.ptr())));
    py::dict members;
    members["__module__"] = scope.attr("__name__");
    members["__qualname__"] = name;
    members["__doc__"] = doc;
    py::object type = metaclass(name, py::make_tuple(base), members);
    scope.attr(name) = type;
    return type;
}

void install_constructor(py::handle type, py::object create)
{
    type.attr("__new__") = py::staticmethod(std::move(create));
    // A Python function: pybind11 would treat a C++ "__init__" as a
    // constructor of one of its own classes.
    py::dict scope;
    py::exec(R"(
def __init__(self, *args, **kwargs):
    """Does nothing: __new__ made the window. The base class's __init__ must not
    run, it would make a second window."""
)",
             py::globals(), scope);
    scope["__init__"].attr("__qualname__") = py::str(type.attr("__qualname__")) + py::str(".__init__");
    type.attr("__init__") = scope["__init__"];
}

py::handle own_member(py::handle type, const char* name)
{
    PyObject* member = PyDict_GetItemString(reinterpret_cast<PyTypeObject*>(type.ptr())->tp_dict, name);
    return member ? py::handle(member) : py::none();
}

void install_property(py::handle type, const char* name, py::handle getter, py::handle setter, const char* doc)
{
    type.attr(name) = py::module_::import("builtins").attr("property")(getter, setter, py::none(), doc);
}

} // namespace tesk_vumo::python::detail
