#ifndef TESK_VUMO_PYTHON_WX_CLASS_H
#define TESK_VUMO_PYTHON_WX_CLASS_H

// Python classes for C++ widgets that are genuine wxPython windows.
//
// WxClass<T, Base> makes a Python subclass of Base's wxPython class (wx.Panel,
// wx.Frame) whose instances are the wxPython wrappers of C++ windows of type
// T. As with any wx window, __init__ creates the C++ widget behind the
// wrapper, so a Python subclass may define its own __init__ and call
// super().__init__(...); the wrapper lives exactly as long as the window and
// raises RuntimeError afterwards. Members are plain functions taking the
// wrapper as `self`, converted to T&; the class holds them as Python
// functions with their signature (inspect.signature reads it):
//
//     WxClass<MyPanel> cls(m, "MyPanel", "docstring");
//     cls.def_init([](wxWindow* parent, const wxSize& size) { return new MyPanel(parent, size); },
//                  "docstring", "parent"_a, "size"_a = wxSize(640, 480));
//     cls.def("fitting", &MyPanel::fitting, "docstring");
//     cls.def_property("zoom_mode", &MyPanel::zoom_mode, &MyPanel::set_zoom_mode, "docstring");

#include "handlers.h"
#include "wx_interop.h"

#include "tesk_vumo/common/errors.h"

#include <string>
#include <type_traits>
#include <utility>

namespace tesk_vumo::python {

/// The first argument of a member function: the wrapper it was called on.
struct SelfArg
{
    py::handle object;
};

} // namespace tesk_vumo::python

template <>
struct pybind11::detail::type_caster<tesk_vumo::python::SelfArg>
{
    PYBIND11_TYPE_CASTER(tesk_vumo::python::SelfArg, const_name("Self"));
    bool load(handle source, bool)
    {
        value.object = source;
        return true;
    }
    static handle cast(const tesk_vumo::python::SelfArg& self, return_value_policy, handle)
    {
        return self.object.inc_ref();
    }
};

namespace tesk_vumo::python {

/// The widget of type T behind wrapper @p self. Throws RuntimeError once the
/// window is destroyed, TypeError when @p self is another kind of window.
template <class T>
T& self_cast(py::handle self)
{
    auto* window = static_cast<wxWindow*>(unwrap(self, "wxWindow"));
    if (T* widget = dynamic_cast<T*>(window))
        return *widget;
    // A window being destroyed has lost its derived parts already.
    if (window->IsBeingDeleted())
        throw std::runtime_error("the widget of this wrapper is being destroyed");
    throw py::type_error(std::string("this member belongs to another widget class than ")
                         + Py_TYPE(self.ptr())->tp_name);
}

/// Raises the Python error a toolkit call left behind (wxPython turns wx
/// assertions into pending Python exceptions instead of aborting).
inline void raise_pending_error()
{
    if (PyErr_Occurred())
        throw py::error_already_set();
}

namespace detail {

template <class F>
F&& as_callable(F&& f)
{
    return std::forward<F>(f);
}
template <class R, class C, class... A>
auto as_callable(R (C::*member)(A...))
{
    return [member](C& object, A... args) -> R { return (object.*member)(std::forward<A>(args)...); };
}
template <class R, class C, class... A>
auto as_callable(R (C::*member)(A...) const)
{
    return [member](const C& object, A... args) -> R { return (object.*member)(std::forward<A>(args)...); };
}

template <class T, class F, class R, class Self, class... A>
auto on_self(std::string call, F f, R (*)(Self, A...))
{
    static_assert(std::is_base_of_v<std::decay_t<Self>, T>,
                  "a member function's first parameter must be the widget");
    return [call = std::move(call), f = std::move(f)](SelfArg self, A... args) -> R {
        require_gui_thread(call.c_str());
        auto&& widget = self_cast<T>(self.object);
        if constexpr (std::is_void_v<R>) {
            f(widget, std::forward<A>(args)...);
            raise_pending_error();
        } else {
            R result = f(widget, std::forward<A>(args)...);
            raise_pending_error();
            return result;
        }
    };
}

/// @p f (a member function pointer or a callable whose first parameter is
/// the widget) as a function whose first parameter is the wrapper, which
/// raises RuntimeError naming @p call outside the GUI thread.
template <class T, class F>
auto on_self(std::string call, F&& f)
{
    auto callable = as_callable(std::forward<F>(f));
    using Callable = decltype(callable);
    return on_self<T>(std::move(call), std::move(callable),
                      static_cast<py::detail::function_signature_t<Callable>*>(nullptr));
}

py::object make_window_class(py::module_& scope, const char* name, const char* doc, const char* wx_base);
/// Installs @p impl (a pybind11 function) as method @p name of @p type: a
/// Python function of the same signature, typed docstring and @p returns
/// (when given) as its result type.
void install_method(py::handle type, const char* name, py::handle impl, const char* doc,
                    const char* returns = nullptr);
void install_property(py::handle type, const char* name, py::handle getter, py::handle setter, const char* doc);
/// Replaces function @p name of @p scope, made with pybind11, by a Python
/// function of the same signature (see install_method).
void install_function(py::module_& scope, const char* name, const char* returns = nullptr);
/// Makes @p self, a wrapper whose __init__ runs, the wrapper of @p window
/// (a pointer to the wxPython class it is made as): sip's own initialisation takes the C++
/// window instead of making one.
void bind_wrapper(py::handle self, void* window);
/// Raises TypeError unless @p self is an instance of @p type, and
/// RuntimeError when it is a wrapper of a window already.
void check_unbound(py::handle self, py::handle type);

} // namespace detail

template <class T, class Base = wxPanel>
class WxClass
{
    static_assert(std::is_base_of_v<Base, T>);

public:
    /// Creates class @p name in @p scope, a subclass of Base's wxPython class.
    WxClass(py::module_& scope, const char* name, const char* doc)
        : type_(detail::make_window_class(scope, name, doc, wx_class_name<Base>::value))
    {
        register_window_class(typeid(T), {type_, wx_class_name<Base>::value, [](wxWindow* window) -> void* {
                                              return static_cast<Base*>(dynamic_cast<T*>(window));
                                          }});
    }

    /// Adds members to @p type, a class made by another WxClass for a base of T.
    explicit WxClass(py::object type) : type_(std::move(type)) {}

    py::object type() const { return type_; }

    /// The constructor: `Class(args...)` calls @p create(args...), which
    /// returns a new widget; wrapper and widget are the same window. The
    /// widget's owner is its wx parent, as for any other window.
    template <class F, class... Extra>
    WxClass& def_init(F&& create, const char* doc, const Extra&... extra)
    {
        return def_init_impl(std::forward<F>(create),
                             static_cast<py::detail::function_signature_t<std::decay_t<F>>*>(nullptr), doc,
                             extra...);
    }

    template <class F, class... Extra>
    WxClass& def(const char* name, F&& f, const char* doc, const Extra&... extra)
    {
        return def_returning(name, nullptr, std::forward<F>(f), doc, extra...);
    }

    /// def, with @p returns naming the result's Python type where the C++
    /// type says too little (a py::object).
    template <class F, class... Extra>
    WxClass& def_returning(const char* name, const char* returns, F&& f, const char* doc, const Extra&... extra)
    {
        py::cpp_function function(detail::on_self<T>(call_name(name), std::forward<F>(f)), py::name(name),
                                  py::is_method(type_), extra...);
        detail::install_method(type_, name, function, doc, returns);
        return *this;
    }

    /// Event handler @p name: @p handler of the widget (its C++ behaviour,
    /// whatever Python subclass the wrapper has). A handler taking a command
    /// or close event does not read it and accepts None or any wx.Event;
    /// the others need their own event class.
    template <class C, class E>
    WxClass& def_handler(const char* name, void (C::*handler)(E&), const char* doc)
    {
        if constexpr (std::is_same_v<E, wxCommandEvent> || std::is_same_v<E, wxCloseEvent>)
            return def(
                name,
                [handler, name](T& widget, AnyEvent event) {
                    with_any_event<E>(event.object, name, [&](E& e) { (widget.*handler)(e); });
                },
                doc, py::arg("event") = py::none());
        else
            return def(
                name,
                [handler, name](T& widget, WxArg<E> event) { (widget.*handler)(event_of<E>(event.object, name)); },
                doc, py::arg("event"));
    }

    template <class G, class S>
    WxClass& def_property(const char* name, G&& get, S&& set, const char* doc)
    {
        py::cpp_function getter(detail::on_self<T>(call_name(name), std::forward<G>(get)), py::is_method(type_));
        py::cpp_function setter(detail::on_self<T>(call_name(name), std::forward<S>(set)), py::is_method(type_));
        detail::install_property(type_, name, getter, setter, doc);
        return *this;
    }

    template <class G>
    WxClass& def_property_readonly(const char* name, G&& get, const char* doc)
    {
        py::cpp_function getter(detail::on_self<T>(call_name(name), std::forward<G>(get)), py::is_method(type_));
        detail::install_property(type_, name, getter, py::none(), doc);
        return *this;
    }

    /// A property holding any Python object for the widget, kept on the
    /// Python side (the C++ widget never sees it); None until set.
    WxClass& def_python_value(const char* name, const char* doc)
    {
        std::string key = name;
        return def_property(
            name, [key](T& widget) { return py::object(window_state(&widget).slot(key)); },
            [key](T& widget, py::object value) { window_state(&widget).slot(key) = std::move(value); }, doc);
    }

    /// A class attribute, e.g. an enumeration.
    WxClass& attr(const char* name, py::handle value)
    {
        type_.attr(name) = value;
        return *this;
    }

    /// The one Python object of a widget created on the C++ side.
    static py::object wrap(T* widget)
    {
        return wrap_window(widget, static_cast<void*>(static_cast<Base*>(widget)), wx_class_name<Base>::value);
    }

private:
    /// "Class.member", as errors name it.
    std::string call_name(const char* member) const
    {
        return std::string(py::str(type_.attr("__name__"))) + "." + member;
    }

    template <class F, class R, class... A, class... Extra>
    WxClass& def_init_impl(F&& create, R (*)(A...), const char* doc, const Extra&... extra)
    {
        using Widget = std::remove_pointer_t<R>;
        static_assert(std::is_base_of_v<T, Widget>, "the constructor must return a new widget");
        if (typeid(Widget) != typeid(T))
            register_window_class(typeid(Widget), {type_, wx_class_name<Base>::value, [](wxWindow* window) -> void* {
                                                       return static_cast<Base*>(dynamic_cast<T*>(window));
                                                   }});
        // Not called __init__: pybind11 would take it for a constructor of
        // one of its own classes.
        py::cpp_function function(
            [create = std::forward<F>(create), type = type_, call = std::string(py::str(type_.attr("__name__")))](
                SelfArg self, A... args) {
                require_gui_thread(call.c_str());
                detail::check_unbound(self.object, type);
                Widget* widget = create(std::forward<A>(args)...);
                raise_pending_error();
                try {
                    detail::bind_wrapper(self.object, static_cast<Base*>(widget));
                } catch (...) {
                    widget->Destroy();
                    throw;
                }
                track_window(widget, py::reinterpret_borrow<py::object>(self.object));
            },
            py::name("_init"), py::is_method(type_), extra...);
        detail::install_method(type_, "__init__", function, doc);
        return *this;
    }

    py::object type_;
};

} // namespace tesk_vumo::python

#endif
