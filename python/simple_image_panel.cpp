#include "declarations.h"
#include "ndarray_mat.h"
#include "source_image.h"
#include "wx_class.h"

#include "tesk_vumo/simple/simple_image_panel.h"

namespace tesk_vumo::python {

using namespace pybind11::literals;

void declare_simple_image_panel(py::module_& m)
{
    WxClass<SimpleImagePanel> cls(
        m, "SimpleImagePanel",
        "A wx.Panel showing one image scaled to fit it, keeping the aspect ratio, centred on the "
        "background colour; it refits whenever its size changes.");

    cls.def_new(
        [](wxWindow* parent, const wxSize& size) {
            if (!parent)
                throw py::type_error("SimpleImagePanel needs a parent window");
            return new SimpleImagePanel(parent, size);
        },
        "SimpleImagePanel(parent, size): a panel of ``size`` (wx.Size or (width, height)) in window "
        "``parent``.",
        "parent"_a, "size"_a);

    bind_source_image(cls, SourceMessages::Standard);
    cls.def_python_value("user_data", "Any object of the caller's; the panel never uses it. None at first.");
    cls.def_property_readonly(
        "image_being_shown",
        [](const SimpleImagePanel& panel) {
            return cached_array(window_state(&panel).slot("image_being_shown"), panel.image_being_shown());
        },
        "The scaled image that is drawn (H x W x 3 uint8 array), or None before the first fitting. "
        "Clearing the source image keeps it.");
    cls.def_property_readonly("buffer", &SimpleImagePanel::buffer,
                              "A copy of the off-screen picture (wx.Bitmap of the client size), or None "
                              "while the client area never had a positive size.");

    cls.def("init_buffer", &SimpleImagePanel::init_buffer,
            "Makes a new buffer of the client size when it is positive and the buffer is missing, of "
            "another size, or there is no image; then refits.");
    cls.def("fitting", &SimpleImagePanel::fitting,
            "Scales the source image to fit the window's outer size, then draws. Does nothing "
            "without an image.");
    cls.def("draw_image", &SimpleImagePanel::draw_image,
            "Composes the buffer (background, centred image) and shows it at once.");
    cls.def("on_size", &SimpleImagePanel::on_size, "The size-event handler: init_buffer(), then Skip().",
            "event"_a);
    cls.def("on_paint", &SimpleImagePanel::on_paint,
            "The paint-event handler: copies the buffer to the window.", "event"_a);
}

} // namespace tesk_vumo::python
