#include "viewer_core.h"

#include "dispatch.h"
#include "enums.h"
#include "ndarray_mat.h"
#include "source_image.h"

#include "tesk_vumo/panel/image_panel.h"
#include "tesk_vumo/viewer/image.h"

#include <pybind11/stl.h>

namespace tesk_vumo::python {

namespace {

using namespace pybind11::literals;

SourceMessages wording(const ImagePanel*)
{
    return SourceMessages::Standard;
}

SourceMessages wording(const Image*)
{
    return SourceMessages::ContextViewer;
}

/// The one array Python sees for the viewer's displayed image (None when
/// there is none); it keeps that image alive after a refit replaced it.
template <class T>
py::object shown_array(const T& viewer)
{
    return cached_array(window_state(&viewer).slot("image_being_shown"), viewer.image_being_shown());
}

/// Rows and columns of @p shown (the displayed image's array) under
/// @p region: a numpy view of the same memory, not a copy.
py::object slice(const py::object& shown, const cv::Rect& region)
{
    return shown[py::make_tuple(py::slice(region.y, region.y + region.height, 1),
                                py::slice(region.x, region.x + region.width, 1))];
}

/// Where @p part, a region of @p whole's memory, lies in @p whole.
cv::Rect region_in(const cv::Mat& whole, const cv::Mat& part)
{
    const auto offset = static_cast<size_t>(part.data - whole.data);
    return {static_cast<int>(offset % whole.step[0] / whole.elemSize()), static_cast<int>(offset / whole.step[0]),
            part.cols, part.rows};
}

py::tuple pair(const wxPoint& point)
{
    return py::make_tuple(point.x, point.y);
}

/// @p colour for the guide lines; wx.Colour() holds no colour, and lines
/// drawn with it would silently not show.
const wxColour& line_colour(const wxColour& colour)
{
    if (!colour.IsOk())
        throw py::value_error("expected a colour for the lines, got wx.Colour() without one");
    return colour;
}

/// One sample as Python has it for the source's type.
py::object sample(double value, bool integer)
{
    return integer ? py::object(py::int_(static_cast<long long>(value))) : py::object(py::float_(value));
}

/// Points given as (x, y) pairs: a sequence of pairs or an N x 2 array.
std::vector<cv::Point2d> overlay_points(const py::object& points)
{
    const auto array = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(points);
    if (!array || array.ndim() != 2 || array.shape(1) != 2 || array.shape(0) == 0)
        throw py::value_error("expected points as a non-empty sequence of (x, y) pairs or an N x 2 array");
    std::vector<cv::Point2d> out;
    for (py::ssize_t i = 0; i < array.shape(0); ++i)
        out.emplace_back(array.at(i, 0), array.at(i, 1));
    return out;
}

/// A mask array as the core takes it: booleans as 0 and 1, wider integers
/// as 32-bit where their labels fit.
cv::Mat overlay_mask(const py::object& mask)
{
    py::module_ numpy = py::module_::import("numpy");
    py::array array = numpy.attr("asarray")(mask);
    const char kind = array.dtype().kind();
    if (kind == 'b')
        array = array.attr("view")("u1");
    else if (kind != 'u' && kind != 'i')
        throw py::value_error("expected a boolean or integer label array as mask, got dtype "
                              + std::string(py::str(array.dtype())));
    else if (array.dtype().itemsize() > 4 || (kind == 'u' && array.dtype().itemsize() == 4)) {
        const bool fits = array.size() == 0
                          || (py::int_(array.attr("min")()).cast<long long>() >= INT32_MIN
                              && py::int_(array.attr("max")()).cast<long long>() <= INT32_MAX);
        if (!fits)
            throw py::value_error("mask labels must fit in 32 bits");
        array = array.attr("astype")("int32");
    }
    if (array.ndim() != 2)
        throw py::value_error("expected a mask of rows x columns, got " + std::to_string(array.ndim())
                              + " dimension(s)");
    return mat_from_array(array);
}

} // namespace

py::object source_samples(const std::vector<double>& value, bool integer)
{
    if (value.empty())
        return py::none();
    if (value.size() == 1)
        return sample(value[0], integer);
    py::tuple samples(value.size());
    for (std::size_t c = 0; c < value.size(); ++c)
        samples[c] = sample(value[c], integer);
    return std::move(samples);
}

template <class T, class Base>
void bind_pixel_data(WxClass<T, Base>& cls)
{
    cls.def_property(
        "native_depth", [](const T& viewer) { return viewer.native_depth(); },
        [](T& viewer, bool on) { viewer.set_native_depth(on); },
        "Whether image files (source_image = path, load_source_image, the load command) keep their own "
        "depth and channels: gray stays one channel, alpha stays, 16-bit and float samples stay (EXIF "
        "orientation applied). False at first: files are read as 8-bit R, G, B.");
    cls.def_property(
        "levels",
        [](const T& viewer) -> py::object {
            const auto levels = viewer.levels();
            return levels ? py::object(py::make_tuple(levels->first, levels->second)) : py::object(py::none());
        },
        [](T& viewer, std::optional<std::pair<double, double>> levels) { viewer.set_levels(levels); },
        "None for automatic levels, or (low, high): the source values shown black and white, linearly "
        "between (finite, low < high, else ValueError). Not used for 3-channel uint8 sources.");
    cls.def_property_readonly(
        "display_levels",
        [](const T& viewer) {
            const auto levels = viewer.display_levels();
            return py::make_tuple(levels.first, levels.second);
        },
        "The (low, high) levels in force: those set, or the automatic ones ((0, 255) for uint8 sources, "
        "else the least and greatest finite colour samples).");
    cls.def_property(
        "colormap", [](const T& viewer) { return viewer.colormap(); },
        [](T& viewer, const std::string& name) { viewer.set_colormap(name); },
        "Colour map of one-channel sources: \"gray\" (at first), \"viridis\", \"magma\", \"inferno\", "
        "\"plasma\", \"turbo\", \"jet\", \"hot\" or \"bone\" (else ValueError).");
    cls.def_property(
        "interpolation", [](const T& viewer) { return viewer.interpolation(); },
        [](T& viewer, const std::string& mode) { viewer.set_interpolation(mode); },
        "How source pixels become screen pixels: \"linear\" (at first), \"nearest\" (each screen pixel "
        "shows one source pixel, at every zoom) or \"area\" (else ValueError).");
    cls.def_returning(
        "get_source_value", "int | float | tuple[int | float, ...]",
        [](const T& viewer, int x, int y) {
            const int depth = viewer.source_image().depth();
            return source_samples(viewer.get_source_value(x, y), depth != CV_32F && depth != CV_64F);
        },
        "The source's value at source pixel (x, y) in its own type: an int or float for one channel, a "
        "tuple for several. ValueError without a source or outside it.",
        "x"_a, "y"_a);
}

template <class T, class Base>
void bind_viewer_core(WxClass<T, Base>& cls)
{
    bind_source_image(cls, wording(static_cast<const T*>(nullptr)));

    cls.def(
        "load_source_image",
        [](T& viewer, py::object path) {
            const auto file = source_path(path);
            viewer.load_source_image(file.path, file.text);
        },
        "Decodes the image file at ``path`` (str, bytes or os.PathLike) on a worker thread, without "
        "stopping the event loop or other Python threads, and makes it the source image when it is "
        "decoded; the viewer shows a busy cursor and a progress indicator meanwhile. A later "
        "load_source_image or source_image set cancels it (its image is never shown). Returns at once; "
        "the load ends with EVT_VIEWER_LOADED (event.success, event.failure, event.cancelled, "
        "event.path). On failure the previous image stays.",
        "path"_a);
    cls.def_property_readonly(
        "loading", [](const T& viewer) { return viewer.loading(); },
        "Whether a load_source_image is running.");
    cls.def_property(
        "zoom_mode", [](const T& viewer) { return viewer.zoom_mode(); },
        [](T& viewer, ZoomMode mode) { viewer.set_zoom_mode(mode); },
        "How the image is scaled to the drawing surface (ZoomMode; an int is accepted). Setting it "
        "refits with the scroll positions back at 0; choosing ZoomAny keeps the scale shown at that "
        "moment (see zoom_rate).");
    cls.def_property(
        "rotation", [](const T& viewer) { return viewer.rotation(); },
        [](T& viewer, Rotation rotation) { viewer.set_rotation(rotation); },
        "Turn applied to the image (Rotation; an int is accepted). Setting it refits; DegreeAny "
        "turns by rotation_degree.");
    cls.def_property(
        "zoom_rate", [](const T& viewer) { return viewer.zoom_rate(); },
        [](T& viewer, double rate) { viewer.set_zoom_rate(rate); },
        "The scale shown now, displayed pixels per source pixel, in any zoom mode (a fit may show, and "
        "ZoomAny then keep, a scale beyond 1/64 to 64). Setting it (1/64 to 64, else ValueError) "
        "switches to ZoomAny, keeping the point at the centre of the view.");
    cls.def_property(
        "rotation_degree", [](const T& viewer) { return viewer.rotation_degree(); },
        [](T& viewer, double degree) { viewer.set_rotation_degree(degree); },
        "Clockwise angle in degrees by which DegreeAny turns the image around its centre (0 at "
        "first). Setting it (any finite float, else ValueError) switches to DegreeAny.");
    cls.def_property(
        "middle_line_color", [](const T& viewer) { return viewer.middle_line_color(); },
        [](T& viewer, const wxColour& colour) { viewer.set_middle_line_color(line_colour(colour)); },
        "Colour of the dashed lines through the image centre (anything wx.Colour takes: a wx.Colour, "
        "a name such as \"red\" or \"#ff0000\", (r, g, b) or (r, g, b, alpha)); blue at "
        "first. Takes effect at the next redraw.");
    cls.def_property(
        "following_line_color", [](const T& viewer) { return viewer.following_line_color(); },
        [](T& viewer, const wxColour& colour) { viewer.set_following_line_color(line_colour(colour)); },
        "Colour of the dashed lines through the pointer (as middle_line_color takes it); grey (128, 128, "
        "128) at first. Takes effect at the next redraw.");
    cls.def_property_readonly(
        "selecting_enabled", [](const T& viewer) { return viewer.selecting_enabled(); },
        "Whether the user may drag selections (see enable_selecting).");
    cls.def_property(
        "pointer_navigation", [](const T& viewer) { return viewer.pointer_navigation(); },
        [](T& viewer, bool on) { viewer.set_pointer_navigation(on); },
        "Whether Ctrl+wheel zooms about the pointer and the middle button (or the left one with "
        "Space held) drags the view. False at first: the wheel then scrolls whatever the modifier "
        "keys, and a drag with any button moves the selection's corner. The keys (+, -, 0, arrows, "
        "Page Up/Down, Home, End) zoom and scroll either way.");
    cls.def_property(
        "keep_selection", [](const T& viewer) { return viewer.keep_selection(); },
        [](T& viewer, bool on) { viewer.set_keep_selection(on); },
        "Whether the selection is kept in source pixels and shown again after every refit (a new "
        "source image, a zoom, a rotation, a resize), as the bounding box of the kept source "
        "rectangle in the new view; a new source of another size cuts it (and clears it where "
        "nothing is left). False at first: every refit clears the selection. Switching it on keeps "
        "the selection of the moment; switching it off changes nothing until the next refit.");
    bind_pixel_data(cls);
    // ---- overlays
    cls.def(
        "add_rect",
        [](T& viewer, double x, double y, double w, double h, const wxColour& colour, int width,
           const std::string& label, bool editable) {
            return viewer.add_rect(x, y, w, h, colour, width, label, editable);
        },
        "Draws a rectangle over the picture from source point (x, y), w x h source pixels (floats; "
        "pixel (c, r) covers [c, c + 1) x [r, r + 1)), its outline width screen pixels wide inside "
        "its edges, label above it. An editable one is moved by a drag inside it and resized by its "
        "handles, each change sent as EVT_VIEWER_OVERLAY. Colours as middle_line_color takes them. "
        "Returns the overlay's id.",
        "x"_a, "y"_a, "w"_a, "h"_a, "color"_a, "width"_a = 1, "label"_a = "", "editable"_a = false);
    cls.def(
        "add_polygon",
        [](T& viewer, const py::object& points, const wxColour& colour, int width, bool closed,
           const std::string& label) {
            return viewer.add_polygon(overlay_points(points), colour, width, closed, label);
        },
        "Draws a polygon through points ((x, y) pairs in source pixels, or an N x 2 array), closed "
        "unless closed is False. Returns its id.",
        "points"_a, "color"_a, "width"_a = 1, "closed"_a = true, "label"_a = "");
    cls.def(
        "add_points",
        [](T& viewer, const py::object& points, const wxColour& colour, int size, const std::string& marker) {
            return viewer.add_points(overlay_points(points), colour, size, marker);
        },
        "Draws a marker of size screen pixels at each point (source pixels): marker \"cross\", "
        "\"circle\" or \"square\" (else ValueError). Returns its id.",
        "points"_a, "color"_a, "size"_a = 5, "marker"_a = "cross");
    cls.def(
        "add_text",
        [](T& viewer, double x, double y, const std::string& text, const wxColour& colour) {
            return viewer.add_text(x, y, text, colour);
        },
        "Draws text with its top-left at source point (x, y). Returns its id.", "x"_a, "y"_a, "text"_a,
        "color"_a);
    cls.def(
        "add_mask",
        [](T& viewer, const py::object& mask, const wxColour& colour, double alpha) {
            return viewer.add_mask(overlay_mask(mask), colour, alpha);
        },
        "Blends color at alpha over the source pixels where mask, a boolean or integer label array "
        "of the source's size (else ValueError), is not 0; label 1 (True) in color, every other "
        "label in a hue of its own. The mask is copied. Returns its id.",
        "mask"_a, "color"_a, "alpha"_a = 0.5);
    cls.def(
        "remove_overlay", [](T& viewer, int id) { viewer.remove_overlay(id); },
        "Removes overlay id (ValueError for an unknown id).", "id"_a);
    cls.def("clear_overlays", [](T& viewer) { viewer.clear_overlays(); }, "Removes every overlay.");
    cls.def_returning(
        "overlay_ids", "list[int]",
        [](const T& viewer) { return py::cast(viewer.overlay_ids()); },
        "The overlays' ids, the one drawn lowest first.");
    cls.def(
        "set_overlay_visible", [](T& viewer, int id, bool visible) { viewer.set_overlay_visible(id, visible); },
        "Shows or hides overlay id (ValueError for an unknown id).", "id"_a, "visible"_a);
    cls.def_returning(
        "overlay_rect", "tuple[float, float, float, float]",
        [](const T& viewer, int id) {
            const auto r = viewer.overlay_rect(id);
            return py::make_tuple(r[0], r[1], r[2], r[3]);
        },
        "Rectangle id's (x, y, w, h) in source pixels, as the user left it (ValueError for an id "
        "that is no rectangle's).",
        "id"_a);
    cls.def_returning(
        "hit_test", "int | None",
        [](const T& viewer, int x, int y) -> py::object {
            const auto id = viewer.hit_test(x, y);
            return id ? py::object(py::int_(*id)) : py::object(py::none());
        },
        "The id of the topmost visible overlay at point (x, y) of the drawing surface (as "
        "mouse_position_in_panel), or None.",
        "x"_a, "y"_a);
    cls.def_property(
        "keep_overlays", [](const T& viewer) { return viewer.keep_overlays(); },
        [](T& viewer, bool keep) { viewer.set_keep_overlays(keep); },
        "Whether a new source image of another size keeps the overlays. False at first: it clears "
        "them (one of the same size, a live feed's next frame, keeps them either way).");

    cls.def_python_value("user_data", "Any object of the caller's; the viewer never uses it. None at first.");

    cls.def_property_readonly(
        "image_being_shown", [](const T& viewer) { return shown_array(viewer); },
        "The displayed image, the source turned and scaled (H x W x 3 uint8 array), or None before "
        "the first fitting. It is the viewer's own, never the source's memory: pixels written into it "
        "are shown by draw_image() until the next fitting. The array stays valid, with its pixels, "
        "after the viewer refits.");
    cls.def_property_readonly(
        "buffer", [](const T& viewer) { return viewer.buffer(); },
        "A copy of the composed off-screen picture (wx.Bitmap of the drawing surface's client "
        "size), or None while that never had a positive size.");
    cls.def_property(
        "image_rect", [](const T& viewer) { return viewer.image_rect(); },
        [](T& viewer, const wxRect& rect) { viewer.set_image_rect(rect); },
        "wx.Rect of the drawing surface covered by the visible part of the image at the last "
        "redraw (a copy). Assigning a wx.Rect or (x, y, width, height) stores it until the next "
        "redraw.");
    cls.def_property(
        "selection_rect", [](const T& viewer) { return viewer.selection_rect(); },
        [](T& viewer, const wxRect& rect) { viewer.set_selection_rect({rect.x, rect.y, rect.width, rect.height}); },
        "The selection in displayed-image pixels as a wx.Rect (a copy), as stored: width and height "
        "may be zero or negative; position (-1, -1) means no selection. Assigning a wx.Rect or "
        "(x, y, width, height) sets it as given and redraws.");
    cls.def_property_readonly(
        "mouse_position_in_panel", [](const T& viewer) { return pair(viewer.mouse_position_in_panel()); },
        "The last pointer position in the drawing surface, (x, y); (0, 0) before any.");
    cls.def_property_readonly(
        "fitting_count", [](const T& viewer) { return viewer.fitting_count(); },
        "How many times the viewer has rebuilt its displayed image.");
    cls.def_property_readonly(
        "redraw_count", [](const T& viewer) { return viewer.redraw_count(); },
        "How many times the viewer has composed its picture.");

    cls.def(
        "enable_selecting", [](T& viewer, bool enable) { viewer.enable_selecting(enable); },
        "Allows (True) or forbids (False) dragging selections. Forbidding also resets the "
        "selection to (0, 0, 0, 0) and redraws.",
        "enable"_a = true);
    cls.def(
        "disable_selecting", [](T& viewer) { viewer.disable_selecting(); }, "enable_selecting(False).");
    cls.def(
        "init_buffer", [](T& viewer) { viewer.T::init_buffer(); },
        "Makes a new buffer of the drawing surface's client size when that is positive and the "
        "buffer is missing, of another size, or there is no image; then refits.");
    cls.def(
        "fitting", [](T& viewer, bool keep_scroll_pos) { own_fitting(viewer, keep_scroll_pos); },
        "Rebuilds the displayed image from the source, rotation, zoom mode and surface size, sets "
        "up the scroll bars (keeping their positions if asked), clears the selection (shows the kept "
        "one again with keep_selection) and redraws. "
        "Does nothing without a source image.",
        "keep_scroll_pos"_a = false);
    cls.def_returning(
        "get_sub_image_to_draw", "tuple[numpy.ndarray | None, int, int, int, int]",
        [](const T& viewer) {
            const auto sub = viewer.get_sub_image_to_draw();
            py::object image = py::none();
            if (!sub.image.empty())
                image = slice(shown_array(viewer), region_in(viewer.image_being_shown(), sub.image));
            return py::make_tuple(image, sub.x_in_ctrl_region, sub.y_in_ctrl_region, sub.w, sub.h);
        },
        "The visible part of the displayed image and its place: (image, x, y, w, h), where image is "
        "a view of image_being_shown's memory drawn at (x, y) of the drawing surface. (None, -1, "
        "-1, 0, 0) while nothing is shown.");
    cls.def(
        "do_scroll",
        [](T& viewer, wxScrollBar* ui, int sign, int count_per_action) { viewer.do_scroll(ui, sign, count_per_action); },
        "Moves scroll bar ``ui`` by -sign * count_per_action positions, clamped to its range, and "
        "redraws when the position changed.",
        "ui"_a, "sign"_a, "count_per_action"_a);
    cls.def(
        "draw_image", [](T& viewer) { viewer.T::draw_image(); },
        "Composes background, visible image, selection outline and guide lines into the buffer "
        "and has the paint handler show it. Does nothing while no image is displayed.");
    cls.def_returning(
        "get_mouse_image_position", "tuple[int, int]", [](const T& viewer) { return pair(viewer.get_mouse_image_position()); },
        "The pointer's (column, row) in the displayed image, or (-1, -1) outside it.");
    cls.def(
        "update_selection_rect_info", [](T& viewer) { viewer.update_selection_rect_info(); },
        "Writes the selection's stored width and height into ui_width and ui_height.");
    cls.def_returning(
        "get_selection_rect", "list[int]",
        [](const T& viewer) {
            const auto rect = viewer.get_selection_rect();
            return py::list(py::make_tuple(rect[0], rect[1], rect[2], rect[3]));
        },
        "The pixels the selection covers as [x, y, width, height], width and height non-negative: "
        "a negative width or height counts back from the anchor, which stays included.");
    cls.def(
        "set_selection_rect",
        [](T& viewer, const wxRect& rect) { viewer.set_selection_rect({rect.x, rect.y, rect.width, rect.height}); },
        "Sets the selection to ``rect`` (a wx.Rect or four ints x, y, width, height) exactly as given "
        "and redraws; the width and height read-outs keep their text.",
        "rect"_a);
    cls.def_returning(
        "get_selection_image", "numpy.ndarray | None",
        [](const T& viewer, bool source) -> py::object {
            if (source) {
                const auto pixels = viewer.get_selection_image(true);
                if (!pixels)
                    return py::none();
                return array_from_mat(pixels->clone());
            }
            const auto region = viewer.selection_image_region();
            if (!region)
                return py::none();
            if (viewer.free_view()) {
                // Made for the selection alone: the whole displayed image may be far too large.
                return array_from_mat(viewer.get_selection_image()->clone());
            }
            return slice(shown_array(viewer), *region);
        },
        "The displayed pixels under the selection, cut at the image's edges: a view of "
        "image_being_shown's memory (with no columns or rows when it lies wholly outside the "
        "image), or None when there is no selection or it covers no pixel (a width or height of "
        "0); under ZoomAny or a free angle, an array of their own, made "
        "for the selection alone. With source=True, a copy of the source's own pixels under "
        "it (see get_selection_source_rect), in the source's orientation and resolution.",
        "source"_a = false);
    cls.def_returning(
        "display_to_source", "tuple[float, float] | None",
        [](const T& viewer, double x, double y) -> py::object {
            const auto p = viewer.display_to_source({x, y});
            return p ? py::object(py::make_tuple(p->x, p->y)) : py::object(py::none());
        },
        "The source point under displayed-image point (x, y) (pixel (c, r) covers [c, c + 1) x "
        "[r, r + 1)), through the zoom and the rotation in force; None while nothing is shown.",
        "x"_a, "y"_a);
    cls.def_returning(
        "source_to_display", "tuple[float, float] | None",
        [](const T& viewer, double x, double y) -> py::object {
            const auto p = viewer.source_to_display({x, y});
            return p ? py::object(py::make_tuple(p->x, p->y)) : py::object(py::none());
        },
        "The displayed-image point showing source point (x, y); the inverse of display_to_source.",
        "x"_a, "y"_a);
    cls.def_returning(
        "get_mouse_source_position", "tuple[int, int]",
        [](const T& viewer) { return pair(viewer.get_mouse_source_position()); },
        "The source pixel (column, row) under the pointer, or (-1, -1) where there is none.");
    cls.def_returning(
        "get_selection_source_rect", "list[int] | None",
        [](const T& viewer) -> py::object {
            const auto rect = viewer.get_selection_source_rect();
            if (!rect)
                return py::none();
            return py::list(py::make_tuple((*rect)[0], (*rect)[1], (*rect)[2], (*rect)[3]));
        },
        "The source pixels the selection covers, [x, y, width, height], cut at the source's edges "
        "(with keep_selection, those of the kept source rectangle, whatever the view); "
        "None without a selection (or one that covers no pixel).");
    cls.def(
        "save_source_selection", [](T& viewer) { viewer.save_source_selection(); },
        "Asks for a file name (see set_user_interaction) and writes the source's pixels under the "
        "selection there, the whole source without one; reports the outcome in a message box.");

    cls.def(
        "copy_to_clipboard", [](T& viewer, bool source) { return viewer.copy_to_clipboard(source); },
        "Puts the selection's pixels (without a selection, the whole view) on the clipboard as an "
        "image, as the screen shows them; with source=True the source's own pixels under the selection "
        "(without one, the whole source). Returns False, changing nothing, when there is nothing to copy "
        "or the clipboard cannot be opened.",
        "source"_a = false);
    cls.def(
        "paste_from_clipboard", [](T& viewer) { return viewer.paste_from_clipboard(); },
        "Makes the clipboard's image the source image, as setting source_image to an array does. "
        "Returns False, changing nothing, when the clipboard holds no image; ValueError for one of more "
        "pixels than get_max_image_pixels().");
    cls.def(
        "on_drop_files",
        [](T& viewer, int x, int y, const std::vector<py::object>& paths) {
            std::vector<std::string> names;
            for (const py::object& path : paths)
                names.push_back(source_path(path).text);
            return viewer.on_drop_files(x, y, names);
        },
        "Files dropped on ui_image at control point (x, y): sends EVT_VIEWER_DROP (event.paths, "
        "event.position; event.veto() refuses the drop) and, unless vetoed, loads the first of ``paths`` "
        "that decodes as the load command does, in the background. Returns whether the drop was taken. "
        "A subclass may override it (calling super() for the library's own behaviour).",
        "x"_a, "y"_a, "paths"_a);

    cls.def_handler("on_size", &T::on_size, "Size handler of ui_image: init_buffer(), and the event goes on.");
    cls.def_handler("on_paint", &T::on_paint, "Paint handler of ui_image: copies the buffer to the window.");
    cls.def_handler("on_scroll", &T::on_scroll, "Scroll-bar handler: redraws at the bars' new positions.");
    cls.def_handler("on_mouse_wheel", &T::on_mouse_wheel,
            "Wheel over ui_image: scrolls the bar nearer to the pointer by 10 positions (with "
            "pointer_navigation, Ctrl+wheel zooms about the pointer instead).");
    cls.def_handler("on_mouse_wheel_scroll", &T::on_mouse_wheel_scroll,
            "Wheel over a scroll bar (the event's object): scrolls it by 1 position.");
    cls.def_handler("on_mouse_motion", &T::on_mouse_motion,
            "Pointer motion over ui_image: records it, writes the position and colour read-outs, "
            "sizes a dragged selection and redraws when needed.");
    cls.def_handler("on_start_dragging", &T::on_start_dragging,
            "Button press over ui_image: anchors a new selection at the pressed pixel.");

    cls.def_property_readonly(
        "ui_image", [](const T& viewer) { return viewer.ui_image; }, "The drawing surface (wx.Panel).");
    cls.def_property_readonly(
        "ui_scroll_bar_horizontal", [](const T& viewer) { return viewer.ui_scroll_bar_horizontal; },
        "Horizontal scroll bar; its thumb position is the first visible column.");
    cls.def_property_readonly(
        "ui_scroll_bar_vertical", [](const T& viewer) { return viewer.ui_scroll_bar_vertical; },
        "Vertical scroll bar; its thumb position is the first visible row.");
    cls.def_property_readonly(
        "ui_x", [](const T& viewer) { return viewer.ui_x; }, "Read-out of the pointer's column.");
    cls.def_property_readonly(
        "ui_y", [](const T& viewer) { return viewer.ui_y; }, "Read-out of the pointer's row.");
    cls.def_property_readonly(
        "ui_rgb", [](const T& viewer) { return viewer.ui_rgb; }, "Read-out of the colour under the pointer.");
    cls.def_property_readonly(
        "ui_width", [](const T& viewer) { return viewer.ui_width; }, "Read-out of the selection's width.");
    cls.def_property_readonly(
        "ui_height", [](const T& viewer) { return viewer.ui_height; }, "Read-out of the selection's height.");
}

template void bind_viewer_core(WxClass<ImagePanel, wxPanel>&);
template void bind_viewer_core(WxClass<Image, wxPanel>&);

} // namespace tesk_vumo::python
