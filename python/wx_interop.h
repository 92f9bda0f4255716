#ifndef TESK_VUMO_PYTHON_WX_INTEROP_H
#define TESK_VUMO_PYTHON_WX_INTEROP_H

// Conversions between wxWidgets objects and their wxPython wrappers.
//
// Value types (wxSize, wxPoint, wxRect, wxColour, wxBitmap) convert by copy.
// Events, windows and menus convert by pointer: a function taking
// `wxMouseEvent&` receives the C++ event behind the wx.MouseEvent it was
// called with, and a function returning `wxChoice*` hands back a wx.Choice
// wrapper of that very control. Wrappers of windows are tracked (see
// wrap_window), so they stay the same object and raise RuntimeError once
// the window is destroyed.

#include <pybind11/pybind11.h>

// wxPython's wrappers are sip's: they are made and read through sip's own
// interface, with each class's sip type looked up once.
#include <sip.h>

#include <wx/bitmap.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/colour.h>
#include <wx/event.h>
#include <wx/frame.h>
#include <wx/gdicmn.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/scrolbar.h>
#include <wx/textctrl.h>
#include <wx/window.h>

#include <string>
#include <type_traits>
#include <unordered_map>

namespace tesk_vumo::python {

namespace py = pybind11;

/// wxPython's (sip's) name of the class of W, e.g. "wxMouseEvent".
template <class W>
struct wx_class_name;

/// sip's interface, through which wxPython's wrappers are made and read.
const sipAPIDef* sip_api();

/// sip's type of wxPython class @p class_name (e.g. "wxMouseEvent"), or
/// nullptr when wxPython has none. Looked up once per name: wxPython's own
/// helpers (wxPyConvertWrappedPtr, ...) take the name as a wxString and
/// convert it to a wide string and back on every call.
const sipTypeDef* sip_type(const char* class_name);

/// Whether @p object is a wxPython wrapper of class @p class_name or a
/// subclass (as wxPyWrappedPtr_TypeCheck tells).
bool is_wrapper_of(py::handle object, const char* class_name);

/// The C++ object behind @p object, a wxPython wrapper of class
/// @p class_name or a subclass. Throws TypeError for anything else (None
/// included) and RuntimeError when the wrapped C++ object was destroyed.
void* unwrap(py::handle object, const char* class_name);

/// A new reference to a wxPython wrapper of @p object as class
/// @p class_name, owned by Python (deleted with the wrapper) when @p owned.
/// TypeError when wxPython has no such class.
py::object construct(void* object, const char* class_name, bool owned);

template <class W>
W* unwrap_as(py::handle object)
{
    return static_cast<W*>(unwrap(object, wx_class_name<W>::value));
}

/// A wxPython wrapper of @p object as class @p class_name, not owning it.
/// Prefer wrap_window for windows.
py::object wrap_borrowed(const void* object, const char* class_name);

/// A wxPython wrapper owning a heap copy of @p value.
template <class V>
py::object wrap_copy(const V& value)
{
    auto* copy = new V(value);
    try {
        return construct(copy, wx_class_name<V>::value, true);
    } catch (...) {
        delete copy;
        throw;
    }
}

/// Python-side state of a C++ window that was handed to Python: the wrapper
/// (kept alive exactly as long as the window, so wx hands back the same
/// Python object, e.g. from GetChildren) and Python values the bindings keep
/// for the window (user data, array caches). Released, and the wrapper
/// marked deleted, when the window is destroyed.
struct WindowState
{
    py::object wrapper;
    std::unordered_map<std::string, py::object> slots;
    /// Wrappers of objects the window owns and deletes with itself (a
    /// menu), marked deleted together with it.
    std::unordered_map<const void*, py::object> dependents;

    /// The value kept under @p name (None until set).
    py::object& slot(const std::string& name);
};

/// The state of a window wrapped by wrap_window or a WxClass, or nullptr.
WindowState* find_window_state(const wxWindow* window);
/// The state of a wrapped window; throws RuntimeError when there is none.
WindowState& window_state(const wxWindow* window);

/// Starts tracking @p window with @p wrapper as its one Python object.
void track_window(wxWindow* window, py::object wrapper);

/// The wrapper of @p object (of wxPython class @p class_name), which
/// @p owner deletes when it is destroyed: the same Python object on every
/// call, raising RuntimeError once @p owner is gone.
py::object wrap_dependent(const wxWindow* owner, const void* object, const char* class_name);

/// How wrap_window makes the wrapper of a C++ class bound with WxClass.
struct PythonWindowClass
{
    py::handle type;              ///< the Python class
    const char* wx_base;          ///< the wxPython class it derives from, e.g. "wxPanel"
    void* (*as_base)(wxWindow*);  ///< the window as a pointer to that base
};
/// Makes wrap_window give windows of dynamic type @p type the Python class
/// of @p python_class.
void register_window_class(const std::type_info& type, PythonWindowClass python_class);
/// Whether @p type is a Python class registered for a C++ window class.
bool is_library_class(py::handle type);

/// The one Python object of @p window (None for nullptr): the existing
/// wrapper, else a new one of the Python class registered for the window's
/// dynamic type, else of wxPython class @p class_name for @p typed (the
/// window as a pointer to that class). The wrapper is tracked.
py::object wrap_window(wxWindow* window, void* typed, const char* class_name);

template <class W>
py::object wrap_window(W* window)
{
    static_assert(std::is_base_of_v<wxWindow, W>);
    return wrap_window(window, static_cast<void*>(window), wx_class_name<W>::value);
}

/// Caster of wx objects passed by pointer or reference (events, windows,
/// menus): loads the C++ object behind a wrapper (None gives nullptr), casts
/// a pointer to its wrapper (tracked for windows, borrowed otherwise).
template <class W>
struct wrapped_caster
{
    bool load(py::handle source, bool convert)
    {
        if (source.is_none()) {
            // Like pybind11's own casters: None only on the converting pass.
            if (!convert)
                return false;
            pointer = nullptr;
            return true;
        }
        if (!is_wrapper_of(source, wx_class_name<W>::value))
            return false;
        pointer = static_cast<W*>(unwrap(source, wx_class_name<W>::value));
        return true;
    }

    static py::handle cast(const W* source, py::return_value_policy, py::handle)
    {
        if (!source)
            return py::none().release();
        W* object = const_cast<W*>(source);
        if constexpr (std::is_base_of_v<wxWindow, W>)
            return wrap_window(object).release();
        else
            return wrap_borrowed(object, wx_class_name<W>::value).release();
    }
    static py::handle cast(const W& source, py::return_value_policy policy, py::handle parent)
    {
        return cast(&source, policy, parent);
    }

    template <class T>
    using cast_op_type = py::detail::cast_op_type<T>;
    operator W*() { return pointer; }
    operator W&()
    {
        if (!pointer)
            throw py::type_error(std::string("expected a wx object of class ") + wx_class_name<W>::value
                                 + ", got None");
        return *pointer;
    }

private:
    W* pointer = nullptr;
};

/// Caster of wx value types: loads a wrapper of the class (or, through
/// @p Traits, a plain tuple), casts to a wrapper owning a copy.
template <class V, class Traits>
struct value_caster
{
    PYBIND11_TYPE_CASTER(V, Traits::name);

    bool load(py::handle source, bool)
    {
        if (!source.is_none() && is_wrapper_of(source, wx_class_name<V>::value)) {
            value = *static_cast<V*>(unwrap(source, wx_class_name<V>::value));
            return true;
        }
        return Traits::from_sequence(source, value);
    }

    static py::handle cast(const V& source, py::return_value_policy, py::handle)
    {
        return Traits::to_python(source).release();
    }
};

/// The integers of @p source when it is a sequence (not a string) of
/// exactly @p count integers.
bool int_sequence(py::handle source, int* values, int count);

struct SizeTraits
{
    static constexpr auto name = py::detail::const_name("wx.Size");
    static bool from_sequence(py::handle source, wxSize& value);
    static py::object to_python(const wxSize& value) { return wrap_copy(value); }
};
struct PointTraits
{
    static constexpr auto name = py::detail::const_name("wx.Point");
    static bool from_sequence(py::handle source, wxPoint& value);
    static py::object to_python(const wxPoint& value) { return wrap_copy(value); }
};
struct RectTraits
{
    static constexpr auto name = py::detail::const_name("wx.Rect");
    static bool from_sequence(py::handle source, wxRect& value);
    static py::object to_python(const wxRect& value) { return wrap_copy(value); }
};
struct ColourTraits
{
    static constexpr auto name = py::detail::const_name("wx.Colour");
    /// A colour name or "#rrggbb", or (r, g, b) or (r, g, b, alpha), each 0
    /// to 255 (ValueError otherwise); TypeError for anything else.
    static bool from_sequence(py::handle source, wxColour& value);
    static py::object to_python(const wxColour& value) { return wrap_copy(value); }
};
struct BitmapTraits
{
    static constexpr auto name = py::detail::const_name("wx.Bitmap");
    static bool from_sequence(py::handle, wxBitmap&) { return false; }
    /// None for an invalid bitmap.
    static py::object to_python(const wxBitmap& value);
};

} // namespace tesk_vumo::python

#define TESK_VUMO_WX_CLASS_NAME(W)                                                                \
    template <>                                                                                   \
    struct tesk_vumo::python::wx_class_name<W>                                                    \
    {                                                                                             \
        static constexpr const char* value = #W;                                                  \
    }

/// Lets bindings take and return W (a wx event, window or menu class) by
/// pointer or reference; @p python_name names it in signatures.
#define TESK_VUMO_WX_WRAPPED(W, python_name)                                                      \
    TESK_VUMO_WX_CLASS_NAME(W);                                                                   \
    template <>                                                                                   \
    struct pybind11::detail::type_caster<W> : tesk_vumo::python::wrapped_caster<W>                \
    {                                                                                             \
        static constexpr auto name = pybind11::detail::const_name(python_name);                   \
    }

#define TESK_VUMO_WX_VALUE(V, Traits)                                                             \
    TESK_VUMO_WX_CLASS_NAME(V);                                                                   \
    template <>                                                                                   \
    struct pybind11::detail::type_caster<V> : tesk_vumo::python::value_caster<V, Traits>          \
    {                                                                                             \
    }

TESK_VUMO_WX_VALUE(wxSize, tesk_vumo::python::SizeTraits);
TESK_VUMO_WX_VALUE(wxPoint, tesk_vumo::python::PointTraits);
TESK_VUMO_WX_VALUE(wxRect, tesk_vumo::python::RectTraits);
TESK_VUMO_WX_VALUE(wxColour, tesk_vumo::python::ColourTraits);
TESK_VUMO_WX_VALUE(wxBitmap, tesk_vumo::python::BitmapTraits);

TESK_VUMO_WX_WRAPPED(wxEvent, "wx.Event");
TESK_VUMO_WX_WRAPPED(wxCommandEvent, "wx.CommandEvent");
TESK_VUMO_WX_WRAPPED(wxMouseEvent, "wx.MouseEvent");
TESK_VUMO_WX_WRAPPED(wxSizeEvent, "wx.SizeEvent");
TESK_VUMO_WX_WRAPPED(wxPaintEvent, "wx.PaintEvent");
TESK_VUMO_WX_WRAPPED(wxScrollEvent, "wx.ScrollEvent");
TESK_VUMO_WX_WRAPPED(wxContextMenuEvent, "wx.ContextMenuEvent");
TESK_VUMO_WX_WRAPPED(wxCloseEvent, "wx.CloseEvent");
TESK_VUMO_WX_WRAPPED(wxMenu, "wx.Menu");
TESK_VUMO_WX_WRAPPED(wxWindow, "wx.Window");
TESK_VUMO_WX_WRAPPED(wxPanel, "wx.Panel");
TESK_VUMO_WX_WRAPPED(wxFrame, "wx.Frame");
TESK_VUMO_WX_WRAPPED(wxScrollBar, "wx.ScrollBar");
TESK_VUMO_WX_WRAPPED(wxChoice, "wx.Choice");
TESK_VUMO_WX_WRAPPED(wxCheckBox, "wx.CheckBox");
TESK_VUMO_WX_WRAPPED(wxTextCtrl, "wx.TextCtrl");
TESK_VUMO_WX_WRAPPED(wxButton, "wx.Button");

#endif
