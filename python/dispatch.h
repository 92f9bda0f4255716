#ifndef TESK_VUMO_PYTHON_DISPATCH_H
#define TESK_VUMO_PYTHON_DISPATCH_H

// Python subclasses overriding the library's handlers and the methods it
// calls on itself (draw_image, fitting, init_buffer).

#include "ndarray_mat.h"
#include "python_lifetime.h"
#include "wx_interop.h"

#include "tesk_vumo/panel/image_panel.h"
#include "tesk_vumo/simple/simple_image_panel.h"
#include "tesk_vumo/viewer/image.h"

namespace tesk_vumo::python {

/// Makes the library route handlers through Python overrides, report their
/// exceptions as wxPython does, and give the windows it creates their
/// Python class at once. Called once, when the module loads.
void install_dispatcher();

/// The method @p name of @p window's Python class when that class (a
/// subclass of a tesk_vumo class) overrides it, else None. Cached per class.
py::object python_override(const wxWindow* window, const char* name);

/// Calls the Python override of on_going_to_destroy, if @p window's class
/// has one, while the window is still whole; its exception is printed.
void going_to_destroy(wxWindow* window) noexcept;

/// Calls @p window's Python override of @p name with @p args; false when
/// there is none. A Python exception propagates as error_already_set.
template <class... A>
bool call_override(const wxWindow* window, const char* name, A&&... args)
{
    if (!python_usable())
        return false;
    py::gil_scoped_acquire gil;
    py::object method = python_override(window, name);
    if (!method)
        return false;
    method(std::forward<A>(args)...);
    return true;
}

/// The library's own fitting of @p viewer: the sources it shows through a
/// copy (arrays whose layout a Mat cannot describe) are refreshed from the
/// caller's arrays first, so that the picture shows them as they are now.
template <class T, class... A>
void own_fitting(T& viewer, A... keep_scroll_pos)
{
    refresh_array_copy(viewer.source_image());
    viewer.T::fitting(keep_scroll_pos...);
}

/// The C++ type of the viewers made from Python: the library's, with the
/// calls it makes on itself going to Python overrides first.
template <class T>
class Overridable final : public T
{
public:
    using T::T;

    void init_buffer() override
    {
        if (!call_override(this, "init_buffer"))
            T::init_buffer();
    }
    void fitting(bool keep_scroll_pos) override
    {
        if (!call_override(this, "fitting", keep_scroll_pos))
            own_fitting(static_cast<T&>(*this), keep_scroll_pos);
    }
    void draw_image() override
    {
        if (!call_override(this, "draw_image"))
            T::draw_image();
    }
};

template <>
class Overridable<SimpleImagePanel> final : public SimpleImagePanel
{
public:
    using SimpleImagePanel::SimpleImagePanel;

    void init_buffer() override
    {
        if (!call_override(this, "init_buffer"))
            SimpleImagePanel::init_buffer();
    }
    void fitting() override
    {
        if (!call_override(this, "fitting"))
            own_fitting(static_cast<SimpleImagePanel&>(*this));
    }
    void draw_image() override
    {
        if (!call_override(this, "draw_image"))
            SimpleImagePanel::draw_image();
    }
};

} // namespace tesk_vumo::python

#endif
