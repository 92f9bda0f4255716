#include "declarations.h"
#include "dispatch.h"
#include "viewer_core.h"
#include "wx_class.h"

#include "tesk_vumo/viewer/image.h"

namespace tesk_vumo::python {

using namespace pybind11::literals;

void declare_image(py::module_& m)
{
    WxClass<Image> cls(
        m, "Image",
        "The full viewer driven from a right-click popup menu instead of an assist bar (a "
        "wx.Panel): zoom modes, quarter turns, guide lines on and off, loading a file and saving "
        "the current view in colour or in gray.");

    cls.def_init(
        [](wxWindow* parent, IdOrSize id, const wxPoint& pos, const wxSize& size, long style, const std::string& name) {
            if (!parent)
                throw py::type_error("Image needs a parent window");
            return new Overridable<Image>(parent, id.id, pos, size_of(id, size, "Image", wxSize(640, 480)), style,
                                          wxString::FromUTF8(name));
        },
        "Makes an empty viewer in window parent, as any wx.Panel. Image(parent, size) works too.",
        "parent"_a, "id"_a = IdOrSize{}, "pos"_a = wxDefaultPosition, "size"_a = wxSize(640, 480),
        "style"_a = long(wxTAB_TRAVERSAL), "name"_a = std::string("panel"));

    bind_viewer_core(cls);

    cls.def_property(
        "middle_line_enabled", [](const Image& viewer) { return viewer.middle_line_enabled(); },
        [](Image& viewer, bool enabled) { viewer.set_middle_line_enabled(enabled); },
        "Whether the dashed lines through the image centre are drawn; False at first. Takes effect "
        "at the next redraw.");
    cls.def_property(
        "following_line_enabled", [](const Image& viewer) { return viewer.following_line_enabled(); },
        [](Image& viewer, bool enabled) { viewer.set_following_line_enabled(enabled); },
        "Whether the dashed lines through the pointer are drawn and follow it; False at first. "
        "Takes effect at the next redraw.");

    cls.def_handler("on_mouse_right_down", &Image::on_mouse_right_down,
            "Right press: the next popup menu opens at the event's position.");
    cls.def_handler("on_popup_menu", &Image::on_popup_menu,
            "Context-menu request: shows ui_poup_menu at the last right press, or at the event's "
            "screen position in client coordinates.");
    struct MenuCommand
    {
        const char* name;
        void (Image::*handler)(wxCommandEvent&);
        const char* doc;
    };
    const MenuCommand zoom_and_turn[] = {
        {"on_zoom_none", &Image::on_zoom_none, "Menu item: zoom_mode = ZoomMode.NoZoom, which refits."},
        {"on_zoom_fit_width", &Image::on_zoom_fit_width, "Menu item: zoom_mode = ZoomMode.FitWidth, which refits."},
        {"on_zoom_fit_height", &Image::on_zoom_fit_height,
         "Menu item: zoom_mode = ZoomMode.FitHeight, which refits."},
        {"on_zoom_fit_page", &Image::on_zoom_fit_page, "Menu item: zoom_mode = ZoomMode.FitPage, which refits."},
        {"on_zoom_any", &Image::on_zoom_any,
         "Menu item: zoom_mode = ZoomMode.ZoomAny, keeping the scale shown."},
        {"on_zoom_in", &Image::on_zoom_in,
         "Menu item: zooms a step in (ZoomAny) about the point where the menu was opened."},
        {"on_zoom_out", &Image::on_zoom_out, "Menu item: zooms a step out, likewise."},
        {"on_zoom_actual_size", &Image::on_zoom_actual_size, "Menu item: zoom_rate 1 (1:1), likewise."},
        {"on_rotation_none", &Image::on_rotation_none,
         "Menu item: rotation = Rotation.NoRotation, which refits."},
        {"on_rotation_cw90", &Image::on_rotation_cw90,
         "Menu item: rotation = Rotation.ClockWise90, which refits."},
        {"on_rotation_180", &Image::on_rotation_180, "Menu item: rotation = Rotation.Double90, which refits."},
        {"on_rotation_ccw90", &Image::on_rotation_ccw90,
         "Menu item: rotation = Rotation.CounterClockWise90, which refits."},
        {"on_rotation_any", &Image::on_rotation_any,
         "Menu item: rotation = Rotation.DegreeAny, turning by rotation_degree."},
    };
    for (const MenuCommand& command : zoom_and_turn)
        cls.def_handler(command.name, command.handler, command.doc);
    cls.def_handler("on_show_middle_lines", &Image::on_show_middle_lines,
            "Menu item: middle_line_enabled = True, then redraws.");
    cls.def_handler("on_hide_middle_lines", &Image::on_hide_middle_lines,
            "Menu item: middle_line_enabled = False, then redraws.");
    cls.def_handler("on_show_following_lines", &Image::on_show_following_lines,
            "Menu item: following_line_enabled = True, then redraws.");
    cls.def_handler("on_hide_following_lines", &Image::on_hide_following_lines,
            "Menu item: following_line_enabled = False, then redraws.");
    cls.def_handler("on_copy_image", &Image::on_copy_image,
            "Copy item: the selection (or the view) to the clipboard, as copy_to_clipboard().");
    cls.def_handler("on_paste_image", &Image::on_paste_image,
            "Paste item: the clipboard's image as the source image, as paste_from_clipboard(); an empty "
            "clipboard or a refused image is told in a message box.");
    cls.def_handler("on_load_image", &Image::on_load_image,
            "Menu item: asks for an image file (see set_user_interaction) and shows it; a file that "
            "cannot be read leaves the previous image and is reported in an error box.");
    cls.def_handler("on_save_current_view", &Image::on_save_current_view,
            "Menu item: writes the displayed image, or the pixels get_selection_image() gives for "
            "a selection, in colour to a file chosen in a dialog; reports the outcome in a message box.");
    cls.def_handler("on_save_grayscale", &Image::on_save_grayscale,
            "Menu item: as on_save_current_view, as one gray channel.");
    cls.def_handler("on_auto_levels", &Image::on_auto_levels,
            "Menu item \"auto levels\" (enabled for a source with levels): levels = None.");
    cls.def_handler("on_save_source_selection", &Image::on_save_source_selection,
            "Menu item: save_source_selection().");

    cls.def_property_readonly(
        "ui_poup_menu", [](const Image& viewer) { return wrap_dependent(&viewer, viewer.ui_poup_menu, "wxMenu"); },
        "The popup menu (wx.Menu), owned by the viewer.");
}

} // namespace tesk_vumo::python
