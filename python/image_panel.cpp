#include "declarations.h"
#include "dispatch.h"
#include "enums.h"
#include "viewer_core.h"
#include "wx_class.h"

#include "tesk_vumo/assist/image_panel_assist.h"
#include "tesk_vumo/panel/image_panel.h"

namespace tesk_vumo::python {

using namespace pybind11::literals;

void declare_image_panel(py::module_& m)
{
    WxClass<ImagePanel> cls(
        m, "ImagePanel",
        "The full viewer (a wx.Panel): an image scaled by a zoom mode, turned in quarter turns, "
        "scrolled with scroll bars and the wheel, with guide lines, a pointer read-out and a "
        "rubber-band selection, driven from a docked assist bar that can float in an "
        "ImagePanelAssist window.");

    cls.def_init(
        [](wxWindow* parent, IdOrSize id, const wxPoint& pos, const wxSize& size, long style, const std::string& name) {
            if (!parent)
                throw py::type_error("ImagePanel needs a parent window");
            return new Overridable<ImagePanel>(parent, id.id, pos, size_of(id, size, "ImagePanel", wxSize(640, 480)),
                                               style, wxString::FromUTF8(name));
        },
        "Makes an empty viewer in window parent, as any wx.Panel. ImagePanel(parent, size) works too.",
        "parent"_a, "id"_a = IdOrSize{}, "pos"_a = wxDefaultPosition, "size"_a = wxSize(640, 480),
        "style"_a = long(wxTAB_TRAVERSAL), "name"_a = std::string("panel"));
    cls.attr("ZoomMode", int_enum_class<ZoomMode>().type);
    cls.attr("Rotation", int_enum_class<Rotation>().type);

    bind_viewer_core(cls);

    cls.def("enable_middle_lines", &ImagePanel::enable_middle_lines,
            "Checks (or unchecks) the middle-lines box without an event; the lines show at the next "
            "redraw.",
            "enabled"_a = true);
    cls.def("disable_middle_lines", &ImagePanel::disable_middle_lines, "enable_middle_lines(False).");
    cls.def_handler("on_change_zoom_mode", &ImagePanel::on_change_zoom_mode,
            "Docked zoom choice: applies the chosen item's mode without setting the choice again.");
    cls.def_handler("on_change_rotation", &ImagePanel::on_change_rotation,
            "Docked rotation choice: sets rotation to the chosen item.");
    cls.def_handler("on_change_zoom_rate", &ImagePanel::on_change_zoom_rate,
            "Docked zoom-rate input (Enter, or the focus leaving it): sets zoom_rate to the typed "
            "percent; a text that is no number or out of range is reported and replaced by the rate "
            "in force.");
    cls.def_handler("on_change_angle_degree", &ImagePanel::on_change_angle_degree,
            "Docked angle input (Enter, or the focus leaving it): sets rotation_degree to the typed "
            "degrees, likewise.");
    cls.def_handler("on_change_levels", &ImagePanel::on_change_levels,
            "Docked levels inputs (Enter, or the focus leaving them but for each other): sets levels to "
            "the typed pair; a text that is no number or a pair levels refuses is reported and both "
            "inputs show display_levels again.");
    cls.def_handler("on_auto_levels", &ImagePanel::on_auto_levels,
            "Docked automatic-levels button: levels = None.");
    cls.def_handler("on_show_middle_lines", &ImagePanel::on_show_middle_lines,
            "Middle-lines check box: redraws with or without the lines.");
    cls.def_handler("on_show_following_lines", &ImagePanel::on_show_following_lines,
            "Following-lines check box: redraws with or without the lines.");
    cls.def_handler("on_load_image", &ImagePanel::on_load_image,
            "Asks for an image file (see set_user_interaction) and shows it; a file that cannot be "
            "decoded keeps the previous image and is reported with its cause in an error box. "
            "Cancelling changes nothing.");
    cls.def_handler("on_save_image", &ImagePanel::on_save_image,
            "Asks for a file name and writes the displayed image, or the pixels "
            "get_selection_image() gives for a selection, asking before an existing file is replaced; reports the outcome in a message "
            "box. Does nothing while no image is displayed.");
    cls.def_handler("on_copy_image", &ImagePanel::on_copy_image,
            "Copy button: the selection (or the view) to the clipboard, as copy_to_clipboard().");
    cls.def_handler("on_paste_image", &ImagePanel::on_paste_image,
            "Paste button: the clipboard's image as the source image, as paste_from_clipboard(); an "
            "empty clipboard or a refused image is told in a message box.");
    cls.def_handler("on_close_assist_bar", &ImagePanel::on_close_assist_bar,
            "Hides the docked assist bar and shows the floating ImagePanelAssist in its place.");
    cls.def_handler("on_show_overflow_menu", &ImagePanel::on_show_overflow_menu,
            "Drops down, from ui_button_overflow, a menu of what the narrow docked bar has no room for: its "
            "choices, guide-line switches and read-outs (see set_user_interaction).");
    cls.def("on_assist_closed", &ImagePanel::on_assist_closed,
            "Shows the docked assist bar again and forgets the floating window.");
    cls.def("on_going_to_destroy", &ImagePanel::on_going_to_destroy,
            "Destroys the floating assist window, if any.");
    cls.def_property_readonly(
        "assist",
        [](const ImagePanel& panel) { return WxClass<ImagePanelAssist, wxFrame>::wrap(panel.assist()); },
        "The floating ImagePanelAssist window while the assist bar is undocked, else None.");

    cls.def_property_readonly(
        "ui_zoom_mode", [](const ImagePanel& panel) { return panel.ui_zoom_mode; },
        "Docked zoom choice (wx.Choice); item i is ZoomMode(i).");
    cls.def_property_readonly(
        "ui_angle", [](const ImagePanel& panel) { return panel.ui_angle; },
        "Docked rotation choice (wx.Choice); item i is Rotation(i).");
    cls.def_property_readonly(
        "ui_zoom_rate", [](const ImagePanel& panel) { return panel.ui_zoom_rate; },
        "Docked zoom-rate input in percent (wx.TextCtrl), shown while ZoomAny is chosen.");
    cls.def_property_readonly(
        "ui_angle_degree", [](const ImagePanel& panel) { return panel.ui_angle_degree; },
        "Docked angle input in degrees (wx.TextCtrl), shown while DegreeAny is chosen.");
    cls.def_property_readonly(
        "ui_levels_low", [](const ImagePanel& panel) { return panel.ui_levels_low; },
        "Docked input of the value shown black (wx.TextCtrl), shown for a source with levels; it "
        "shows display_levels[0].");
    cls.def_property_readonly(
        "ui_levels_high", [](const ImagePanel& panel) { return panel.ui_levels_high; },
        "Docked input of the value shown white (wx.TextCtrl), likewise.");
    cls.def_property_readonly(
        "ui_levels_auto", [](const ImagePanel& panel) { return panel.ui_levels_auto; },
        "Docked automatic-levels button (wx.Button), shown with the levels inputs.");
    cls.def_property_readonly(
        "ui_checkbox_middle_lines", [](const ImagePanel& panel) { return panel.ui_checkbox_middle_lines; },
        "Whether the middle lines are drawn (wx.CheckBox).");
    cls.def_property_readonly(
        "ui_checkbox_follow_lines", [](const ImagePanel& panel) { return panel.ui_checkbox_follow_lines; },
        "Whether the following lines are drawn (wx.CheckBox).");
    cls.def_property_readonly(
        "ui_panel_assist", [](const ImagePanel& panel) { return panel.ui_panel_assist; },
        "The docked assist bar (wx.Panel).");
    cls.def_property_readonly(
        "ui_button_load", [](const ImagePanel& panel) { return panel.ui_button_load; },
        "The docked load command (wx.Button).");
    cls.def_property_readonly(
        "ui_button_save", [](const ImagePanel& panel) { return panel.ui_button_save; },
        "The docked save command (wx.Button).");
    cls.def_property_readonly(
        "ui_button_copy", [](const ImagePanel& panel) { return panel.ui_button_copy; },
        "The docked copy command (wx.Button).");
    cls.def_property_readonly(
        "ui_button_paste", [](const ImagePanel& panel) { return panel.ui_button_paste; },
        "The docked paste command (wx.Button).");
    cls.def_property_readonly(
        "ui_button_close_assist", [](const ImagePanel& panel) { return panel.ui_button_close_assist; },
        "The command that undocks the assist bar (wx.Button).");
    cls.def_property_readonly(
        "ui_button_overflow", [](const ImagePanel& panel) { return panel.ui_button_overflow; },
        "The drop-down at the end of the docked bar (wx.Button), shown while the bar is too narrow "
        "for some of its controls.");
}

} // namespace tesk_vumo::python
