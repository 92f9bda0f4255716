#include "declarations.h"
#include "dispatch.h"
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

    cls.def_init(
        [](wxWindow* parent, IdOrSize id, const wxPoint& pos, const std::optional<wxSize>& size, long style,
           const std::string& name) {
            if (!parent)
                throw py::type_error("SimpleImagePanel needs a parent window");
            return new Overridable<SimpleImagePanel>(parent, id.id, pos, size_of(id, size, "SimpleImagePanel"), style,
                                                     wxString::FromUTF8(name));
        },
        "Makes a panel in window parent, as any wx.Panel; the size (wx.Size or (width, height)) is "
        "required: SimpleImagePanel(parent, size) or SimpleImagePanel(parent, id, pos, size).",
        "parent"_a, "id"_a = IdOrSize{}, "pos"_a = wxDefaultPosition, "size"_a = py::none(),
        "style"_a = long(wxTAB_TRAVERSAL), "name"_a = std::string("panel"));

    bind_source_image(cls, SourceMessages::Standard);
    cls.def_python_value("user_data", "Any object of the caller's; the panel never uses it. None at first.");
    cls.def_property_readonly(
        "image_being_shown",
        [](const SimpleImagePanel& panel) {
            return cached_array(window_state(&panel).slot("image_being_shown"), panel.image_being_shown());
        },
        "The scaled image that is drawn (H x W x 3 uint8 array), or None before the first fitting. "
        "Clearing the source image keeps it.");
    cls.def_property_readonly("buffer", [](const SimpleImagePanel& panel) { return panel.buffer(); },
                              "A copy of the off-screen picture (wx.Bitmap of the client size, at the device's "
                              "resolution), or None "
                              "while the client area never had a positive size.");

    cls.def("init_buffer", [](SimpleImagePanel& panel) { panel.SimpleImagePanel::init_buffer(); },
            "Makes a new buffer of the client size when it is positive and the buffer is missing, of "
            "another size, or there is no image; then refits.");
    cls.def("fitting", [](SimpleImagePanel& panel) { own_fitting(panel); },
            "Scales the source image to fit the client area, then draws. Does nothing "
            "without an image.");
    cls.def("draw_image", [](SimpleImagePanel& panel) { panel.SimpleImagePanel::draw_image(); },
            "Composes the buffer (background, centred image) and has the paint handler show it.");
    cls.def_handler("on_size", &SimpleImagePanel::on_size, "The size-event handler: init_buffer(), then Skip().");
    cls.def_handler("on_paint", &SimpleImagePanel::on_paint,
            "The paint-event handler: copies the buffer to the window.");
}

} // namespace tesk_vumo::python
