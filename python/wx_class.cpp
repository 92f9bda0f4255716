#include "wx_class.h"

#include <pybind11/eval.h>

namespace tesk_vumo::python::detail {

namespace {

/// Python functions standing for pybind11 functions, with their parameters
/// as pybind11 describes them in its docstring's first line.
const char* const function_maker = R"(
import __future__
import ast
import numpy
import wx


def make_function(impl, name, qualname, module, doc, returns, method, gui_thread):
    first = impl.__doc__.split("\n", 1)[0]
    parameters, _, result = first[first.index("("):].rpartition(" -> ")
    arguments = ast.parse(f"def f{parameters}: pass").body[0].args
    if method:
        # self is the instance of the class the function belongs to.
        arguments.args[0].annotation = None
    signature = ast.unparse(arguments)
    names = ", ".join(argument.arg for argument in arguments.args)
    result = returns or result
    # A method checks its thread itself, before it reaches its widget.
    check = "" if method else "    gui_thread()\n"
    source = f"def {name}({signature}) -> {result}:\n{check}    return impl({names})\n"
    scope = {"impl": impl, "wx": wx, "numpy": numpy, "gui_thread": gui_thread}
    flags = __future__.annotations.compiler_flag
    exec(compile(source, f"<{module}.{qualname}>", "exec", flags, dont_inherit=True), scope)
    function = scope[name]
    function.__qualname__ = qualname
    function.__module__ = module
    function.__doc__ = f"{name}({signature}) -> {result}\n\n{doc}"
    return function
)";

py::object make_function(py::handle impl, const char* name, const std::string& qualname, py::handle module,
                         const char* doc, const char* returns, bool method)
{
    static py::object* maker = [] {
        py::dict scope;
        py::exec(function_maker, scope);
        return new py::object(scope["make_function"]);
    }();
    // The check holds the name its error gives, converted once.
    py::object gui_thread = method ? py::object(py::none())
                                   : py::cpp_function([call = qualname] { require_gui_thread(call.c_str()); });
    return (*maker)(impl, name, qualname, module, doc ? doc : "", returns ? py::str(returns) : py::str(""), method,
                    gui_thread);
}

/// The wrapper bind_wrapper is binding, while sip asks for it.
PyObject* adopting = nullptr;

} // namespace

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

void install_method(py::handle type, const char* name, py::handle impl, const char* doc, const char* returns)
{
    const std::string qualname = std::string(py::str(type.attr("__qualname__"))) + "." + name;
    type.attr(name) = make_function(impl, name, qualname, type.attr("__module__"), doc, returns, true);
}

void install_function(py::module_& scope, const char* name, const char* returns)
{
    py::object impl = scope.attr(name);
    // pybind11's docstring holds the signature line, then the description.
    std::string doc = py::str(impl.attr("__doc__"));
    const auto body = doc.find("\n\n");
    doc = body == std::string::npos ? std::string() : doc.substr(body + 2);
    scope.attr(name) = make_function(impl, name, name, scope.attr("__name__"), doc.c_str(), returns, false);
}

void install_property(py::handle type, const char* name, py::handle getter, py::handle setter, const char* doc)
{
    type.attr(name) = py::module_::import("builtins").attr("property")(getter, setter, py::none(), doc);
}

void check_unbound(py::handle self, py::handle type)
{
    if (!PyObject_TypeCheck(self.ptr(), reinterpret_cast<PyTypeObject*>(type.ptr())))
        throw py::type_error(std::string(py::str(type.attr("__name__"))) + ".__init__() needs an instance of "
                             + std::string(py::str(type.attr("__name__"))) + ", got "
                             + Py_TYPE(self.ptr())->tp_name);
    if (sip_api()->api_get_address(reinterpret_cast<sipSimpleWrapper*>(self.ptr())))
        throw std::runtime_error(std::string(Py_TYPE(self.ptr())->tp_name) + ".__init__() was called twice");
}

void bind_wrapper(py::handle self, void* window)
{
    // sip wraps a C++ object by calling a type with the object pending; sip's
    // own __init__ then takes the pending object. This type hands sip the
    // wrapper being initialised instead of a new one.
    static py::object* binder = [] {
        py::dict scope;
        py::exec("class Binder:\n    pass\n", py::globals(), scope);
        // The wrapper's class runs Python's __init__; sip's own is its base's.
        scope["Binder"].attr("__new__") = py::staticmethod(py::cpp_function([](py::handle) -> py::object {
            auto self = py::reinterpret_borrow<py::object>(adopting);
            initproc sip_init = reinterpret_cast<PyTypeObject*>(
                                    py::module_::import("wx.siplib").attr("simplewrapper").ptr())
                                    ->tp_init;
            py::tuple no_arguments;
            if (sip_init(self.ptr(), no_arguments.ptr(), nullptr) < 0)
                throw py::error_already_set();
            return self;
        }));
        return new py::object(scope["Binder"]);
    }();
    adopting = self.ptr();
    PyObject* bound = sip_api()->api_convert_from_new_pytype(
        window, reinterpret_cast<PyTypeObject*>(binder->ptr()), nullptr, nullptr, "");
    adopting = nullptr;
    if (!bound)
        throw py::error_already_set();
    Py_DECREF(bound);
}

} // namespace tesk_vumo::python::detail
