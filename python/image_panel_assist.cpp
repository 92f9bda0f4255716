#include "declarations.h"
#include "wx_class.h"

#include "tesk_vumo/assist/image_panel_assist.h"
#include "tesk_vumo/panel/image_panel.h"

namespace tesk_vumo::python {

using namespace pybind11::literals;

void declare_image_panel_assist(py::module_& m)
{
    WxClass<ImagePanelAssist, wxFrame> cls(
        m, "ImagePanelAssist",
        "The floating assist window of an ImagePanel (a wx.Frame): zoom and rotation choices and "
        "the load and save commands, shown while the panel's docked bar is closed.");

    cls.def_init(
        [](WxArg<wxWindow> parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
           const std::string& name) {
            const bool window = !parent.object.is_none() && is_wrapper_of(parent.object, "wxWindow");
            auto* panel = window ? dynamic_cast<ImagePanel*>(unwrap_as<wxWindow>(parent.object)) : nullptr;
            if (!panel)
                throw py::type_error(std::string("ImagePanelAssist needs an ImagePanel as its parent, got ")
                                     + Py_TYPE(parent.object.ptr())->tp_name);
            return new ImagePanelAssist(panel, id, pos, size, style, wxString::FromUTF8(name));
        },
        "Makes the window serving ImagePanel parent, as any wx.Frame: its choices set to the "
        "panel's docked items, its zoom-rate input enabled under ZoomAny and its angle input "
        "under DegreeAny.",
        "parent"_a, "id"_a = int(wxID_ANY), "pos"_a = wxDefaultPosition, "size"_a = wxDefaultSize,
        "style"_a = ImagePanelAssist::default_style, "name"_a = std::string("frame"));

    cls.def_handler("on_change_zoom_mode", &ImagePanelAssist::on_change_zoom_mode,
            "Zoom choice: sets the panel's zoom_mode; a mode the panel refuses goes back to the one "
            "in force.");
    cls.def_handler("on_change_rotation", &ImagePanelAssist::on_change_rotation,
            "Rotation choice: sets the panel's rotation, likewise.");
    cls.def_handler("on_change_zoom_rate", &ImagePanelAssist::on_change_zoom_rate,
            "Zoom-rate input (Enter, or the focus leaving it): sets the panel's zoom_rate to the "
            "typed percent, as the docked input does.");
    cls.def_handler("on_change_angle_degree", &ImagePanelAssist::on_change_angle_degree,
            "Angle input (Enter, or the focus leaving it): sets the panel's rotation_degree, likewise.");
    cls.def_handler("on_change_levels", &ImagePanelAssist::on_change_levels,
            "Levels inputs: set the panel's levels to the typed pair, as the docked inputs do.");
    cls.def_handler("on_auto_levels", &ImagePanelAssist::on_auto_levels,
            "Automatic-levels button: the panel's levels = None.");
    cls.def_handler("on_load_image", &ImagePanelAssist::on_load_image, "The panel's on_load_image.");
    cls.def_handler("on_save_image", &ImagePanelAssist::on_save_image, "The panel's on_save_image.");
    cls.def_handler("on_close", &ImagePanelAssist::on_close,
            "Close handler: destroys the window, then has the panel dock its bar again once the "
            "event has been handled.");

    cls.def_property_readonly(
        "ui_zoom_mode", [](const ImagePanelAssist& assist) { return assist.ui_zoom_mode; },
        "Zoom choice (wx.Choice), items as in the docked one.");
    cls.def_property_readonly(
        "ui_angle", [](const ImagePanelAssist& assist) { return assist.ui_angle; },
        "Rotation choice (wx.Choice), items as in the docked one.");
    cls.def_property_readonly(
        "ui_zoom_rate", [](const ImagePanelAssist& assist) { return assist.ui_zoom_rate; },
        "Zoom-rate input in percent (wx.TextCtrl), enabled while ZoomAny is chosen.");
    cls.def_property_readonly(
        "ui_angle_degree", [](const ImagePanelAssist& assist) { return assist.ui_angle_degree; },
        "Angle input in degrees (wx.TextCtrl), enabled while DegreeAny is chosen.");
    cls.def_property_readonly(
        "ui_levels_low", [](const ImagePanelAssist& assist) { return assist.ui_levels_low; },
        "Input of the value shown black (wx.TextCtrl), in a row shown for a source with levels.");
    cls.def_property_readonly(
        "ui_levels_high", [](const ImagePanelAssist& assist) { return assist.ui_levels_high; },
        "Input of the value shown white (wx.TextCtrl), likewise.");
    cls.def_property_readonly(
        "ui_levels_auto", [](const ImagePanelAssist& assist) { return assist.ui_levels_auto; },
        "Automatic-levels button (wx.Button), likewise.");
    cls.def_property_readonly(
        "ui_button_load", [](const ImagePanelAssist& assist) { return assist.ui_button_load; },
        "The load command (wx.Button).");
    cls.def_property_readonly(
        "ui_button_save", [](const ImagePanelAssist& assist) { return assist.ui_button_save; },
        "The save command (wx.Button).");
}

} // namespace tesk_vumo::python
