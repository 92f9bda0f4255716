#include "declarations.h"
#include "dispatch.h"
#include "wx_class.h"

#include "tesk_vumo/common/image_source.h"

PYBIND11_MODULE(tesk_vumo, m)
{
    m.doc() = "Image-viewer widgets for wxPython: each class is a wx window made in C++.";
    m.attr("__version__") = TESK_VUMO_VERSION;
    // The widgets are wxPython windows: wxPython must be loaded (and its
    // interop API available) before any of them is made.
    pybind11::module_::import("wx");

    using namespace tesk_vumo::python;
    declare_errors(m);
    declare_enums(m);
    declare_simple_image_panel(m);
    declare_image_panel(m);
    declare_image_panel_assist(m);
    declare_image(m);
    declare_viewer_events(m);
    declare_user_interaction(m);
    declare_i18n(m);

    m.def("max_image_pixels", &tesk_vumo::max_image_pixels,
          "The most pixels (width x height) an image file may decode to; a file declaring more is refused "
          "from its header, before its pixels are read.");
    m.def("set_max_image_pixels", &tesk_vumo::set_max_image_pixels, pybind11::arg("pixels"),
          "Sets the most pixels an image file may decode to, for every viewer and later load. "
          "Raises ValueError for 0.");
    install_dispatcher();
    detail::install_function(m, "set_user_interaction", "object | None");
    detail::install_function(m, "set_language");
    detail::install_function(m, "add_catalog_lookup_path");
    detail::install_function(m, "max_image_pixels");
    detail::install_function(m, "set_max_image_pixels");
}
