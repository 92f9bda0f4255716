#ifndef TESK_VUMO_CORE_VIEWER_CORE_H
#define TESK_VUMO_CORE_VIEWER_CORE_H

#include <any>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <opencv2/core.hpp>
#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/gdicmn.h>
#include <wx/image.h>
#include <wx/scrolbar.h>
#include <wx/textctrl.h>
#include <wx/window.h>

#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/common/image_source.h"
#include "tesk_vumo/common/rotation.h"
#include "tesk_vumo/common/viewer_events.h"
#include "tesk_vumo/common/view_transform.h"
#include "tesk_vumo/common/zoom_mode.h"

namespace tesk_vumo {

class BackgroundLoad;
struct Overlay;
struct ShownOverlays;
struct ViewLook;

/// The controls a viewing core works with, made by its viewer.
struct ViewerParts
{
    wxWindow* surface = nullptr; ///< the drawing surface, which the core paints
    /// The bars that show and move the scroll offset; without them the
    /// offset moves only through the core's own calls (keys, zooms).
    wxScrollBar* horizontal = nullptr;
    wxScrollBar* vertical = nullptr;
    /// Read-outs of the pointer's column, row and colour and of the
    /// selection's width and height; each may be null.
    wxTextCtrl* x = nullptr;
    wxTextCtrl* y = nullptr;
    wxTextCtrl* rgb = nullptr;
    wxTextCtrl* width = nullptr;
    wxTextCtrl* height = nullptr;
    /// Whether the user works the view (keys and drags on the surface) and
    /// the host hears of it (ViewerEvent); a view that is only shown has neither.
    bool interactive = true;
};

/// The viewing core of a viewer window: source image, zoom and rotation,
/// fitting, scrolling, the off-screen buffer and its composition, guide
/// lines, pointer read-out and selection. A helper beside the window class,
/// as wxScrollHelper is: the viewer derives from its form and from the core,
/// and gives the core the form's controls (ViewerParts) and itself. ImagePanel
/// and Image show all of it; SimpleImagePanel shows an image fitted to the
/// page and no more.
///
/// Coordinates: control coordinates are pixels of the surface's client area
/// (origin top-left, x right, y down), device pixels on a display with a
/// content scale factor, where the buffer has the device resolution and 1:1
/// shows one image pixel per device pixel; displayed-image coordinates are
/// column and row of image_being_shown(), the source after rotation and
/// zoom. One scroll unit is one displayed pixel; each thumb position is the
/// first visible column (row). The displayed image is 8-bit R, G, B; a
/// source of other samples is mapped to it through levels and a colour map
/// (see the pixel data members); an empty cv::Mat stands for "no image".
///
/// The viewer tells its host of changes through ViewerEvent: the pointer
/// (EVT_VIEWER_POINTER), the selection (EVT_VIEWER_SELECTION) and the view
/// (EVT_VIEWER_VIEW), each after its state is updated, and the end of an
/// asynchronous load (EVT_VIEWER_LOADED).
///
/// Every zoom mode and rotation is a view of the source (scale, angle and
/// scroll offset) that draws only its visible part, straight from the
/// source or its reduced copies: a fit is bilinear as cv::resize makes it,
/// NoZoom and the quarter turns exact. The whole displayed image is made
/// only when a host or a command asks for it.
///
/// Every public member runs on the GUI thread only: called from another
/// thread it throws ThreadError, naming the call, before it touches anything.
///
/// What differs between the viewers is a small seam of virtual calls:
/// whether each kind of guide line is shown, how a zoom change is reflected
/// in the viewer's own controls, and the wording of source errors.
class ViewerCore
{
public:
    /// The core of @p viewer, which owns @p parts. Binds the surface's paint,
    /// size, key and drag events and the bars' scroll events to the handlers below.
    ViewerCore(wxWindow& viewer, const ViewerParts& parts, SourceMessages wording);
    virtual ~ViewerCore();
    ViewerCore(const ViewerCore&) = delete;
    ViewerCore& operator=(const ViewerCore&) = delete;

    // ---- source image
    /// The stored image, shared with the caller when it was set from a
    /// 3-channel array; empty when none.
    const cv::Mat& source_image() const { require_gui_thread(__func__); return source_image_; }
    /// Stores a pixel array (8-bit gray becomes RGB; every other kind is
    /// shared as it is) and refits, keeping the scroll position when the
    /// size is unchanged. Throws TypeError for arrays that cannot be shown
    /// (see accept_source_array()).
    void set_source_image(const cv::Mat& image);
    /// Reads an image file (any characters in the path) and refits. Throws
    /// AssertionError when it cannot be read; nothing changes then.
    void set_source_image(const std::filesystem::path& path);
    void set_source_image(const std::string& path) { set_source_image(std::filesystem::path(path)); }
    void set_source_image(const char* path) { set_source_image(std::filesystem::path(path)); }
    /// Like the path overload, with @p path_text naming the file in the error.
    void set_source_image(const std::filesystem::path& path, const std::string& path_text);
    /// Clears the source and makes a fresh buffer; the displayed image
    /// (made now, unless it is too large to be made), the scroll bars and
    /// the selection stay; nothing is redrawn.
    void set_source_image(std::nullopt_t);
    // Every set_source_image that succeeds cancels a load_source_image running.

    // ---- asynchronous loading
    /// Decodes the image file at @p path on a worker thread (with the pixel
    /// limit of max_image_pixels()) while the event loop goes on, and makes
    /// it the source image on the GUI thread when it is decoded; the drawing
    /// surface shows a busy cursor and a progress indicator meanwhile. A
    /// later load or set_source_image cancels it: its image is never shown.
    /// Every load ends with EVT_VIEWER_LOADED, sent from the event loop after
    /// this call has returned: success, or the cause of the failure (the
    /// previous image stays), or cancelled.
    void load_source_image(const std::filesystem::path& path);
    void load_source_image(const std::string& path) { load_source_image(std::filesystem::path(path)); }
    void load_source_image(const char* path) { load_source_image(std::filesystem::path(path)); }
    /// Like the path overload, with @p path_text naming the file in the event.
    void load_source_image(const std::filesystem::path& path, const std::string& path_text);
    /// Whether a load_source_image is running.
    bool loading() const;

    // ---- zoom and rotation
    ZoomMode zoom_mode() const { require_gui_thread(__func__); return zoom_mode_; }
    /// Stores the mode and refits (scroll positions back to 0). Choosing
    /// ZoomAny keeps the scale shown at that moment.
    void set_zoom_mode(ZoomMode mode);
    Rotation rotation() const { require_gui_thread(__func__); return rotation_; }
    /// Stores the rotation and refits; DegreeAny turns by rotation_degree().
    void set_rotation(Rotation rotation);
    /// The scale shown now (displayed pixels per source pixel), in any mode;
    /// before the first fitting, the rate ZoomAny will show. A fit may show
    /// (and ZoomAny then keep) a scale beyond the rates set_zoom_rate takes.
    double zoom_rate() const;
    /// Switches to ZoomAny at @p rate, keeping the source point at the
    /// viewport's centre there. Throws ValueError "Unsupported Zoom Rate:
    /// <rate>" outside [1/64, 64]; nothing changes then.
    void set_zoom_rate(double rate);
    /// The clockwise angle DegreeAny turns the image by, in degrees.
    double rotation_degree() const { require_gui_thread(__func__); return rotation_degree_; }
    /// Stores @p degree and switches to DegreeAny. Throws ValueError
    /// "Unsupported Rotation Degree: <degree>" for a value that is not
    /// finite; nothing changes then.
    void set_rotation_degree(double degree);

    // ---- appearance and host data
    const wxColour& middle_line_color() const { require_gui_thread(__func__); return middle_line_color_; }
    void set_middle_line_color(const wxColour& colour) { require_gui_thread(__func__); middle_line_color_ = colour; }
    const wxColour& following_line_color() const { require_gui_thread(__func__); return following_line_color_; }
    void set_following_line_color(const wxColour& colour)
    {
        require_gui_thread(__func__);
        following_line_color_ = colour;
    }
    const std::any& user_data() const { require_gui_thread(__func__); return user_data_; }
    void set_user_data(std::any value) { require_gui_thread(__func__); user_data_ = std::move(value); }

    // ---- selection switch
    bool selecting_enabled() const { require_gui_thread(__func__); return selecting_enabled_; }
    /// Switching off also resets the selection to (0, 0, 0, 0) and redraws,
    /// and keeps the user from starting new selections until switched on.
    void enable_selecting(bool enable = true);
    void disable_selecting() { require_gui_thread(__func__); enable_selecting(false); }

    // ---- pointer navigation switch
    /// Whether Ctrl+wheel zooms about the pointer and the middle button (or
    /// the left one with Space held) drags the view. Off at first: the wheel
    /// then scrolls whatever the modifier keys, and every drag moves the
    /// selection's corner. The keys zoom and scroll either way.
    bool pointer_navigation() const { require_gui_thread(__func__); return pointer_navigation_; }
    /// Switching off ends a drag of the view in progress.
    void set_pointer_navigation(bool on);

    // ---- selection kept across views
    /// Whether the selection is kept in source pixels: every fitting (a new
    /// source image, a zoom, a rotation, a resize) shows it again, as the
    /// bounding box of the kept source rectangle through the new view in
    /// whole displayed pixels; a new source of another size cuts it to that
    /// source, and clears it where nothing is left. Off at first: every
    /// fitting clears the selection.
    bool keep_selection() const { require_gui_thread(__func__); return keep_selection_; }
    /// Switching on keeps the selection of the moment; switching off
    /// changes nothing until the next fitting.
    void set_keep_selection(bool on);

    // ---- overlays (shapes a host draws over the picture)
    /// Shapes in continuous source coordinates (pixel (c, r) covers
    /// [c, c + 1) x [r, r + 1)), drawn above the image and below the guide
    /// lines, the selection outline and the focus mark, following zoom,
    /// rotation, scroll and the display's content scale; never into the
    /// displayed image. Widths and marker sizes are logical screen pixels;
    /// lines are drawn opaque. Each add returns the overlay's id, higher
    /// ids drawn above lower ones. Adding, removing, hiding and showing
    /// overlays redraw once when the event loop next runs, however many
    /// changes came before. A new source of the same size keeps the
    /// overlays (a live feed); one of another size clears them unless
    /// keep_overlays().
    ///
    /// A rectangle from (@p x, @p y) of @p w x @p h source pixels, its outline
    /// inside its edges, @p label above it. An editable one is moved by a
    /// drag inside it and resized by its corner and edge handles (a fixed
    /// size on screen), each change sent as EVT_VIEWER_OVERLAY; such a drag
    /// starts no selection. Throws ValueError for a negative or non-finite
    /// size or position, or a width below 1.
    int add_rect(double x, double y, double w, double h, const wxColour& colour, int width = 1,
                 const std::string& label = "", bool editable = false);
    /// A polygon through @p points (at least one), closed unless @p closed is false.
    int add_polygon(const std::vector<cv::Point2d>& points, const wxColour& colour, int width = 1, bool closed = true,
                    const std::string& label = "");
    /// A marker of @p size screen pixels at each point: @p marker "cross",
    /// "circle" or "square", else ValueError.
    int add_points(const std::vector<cv::Point2d>& points, const wxColour& colour, int size = 5,
                   const std::string& marker = "cross");
    /// @p text (UTF-8; OpenCV's Hershey font shows ASCII) with its top-left at (@p x, @p y).
    int add_text(double x, double y, const std::string& text, const wxColour& colour);
    /// Blends @p colour at @p alpha (0 to 1) over the source pixels where
    /// @p mask, 8-bit, 16-bit or 32-bit integer of the source's size, is not
    /// 0: label 1 in @p colour, every other label in a hue of its own.
    /// ValueError for another size or type, or without a source.
    int add_mask(const cv::Mat& mask, const wxColour& colour, double alpha = 0.5);
    /// ValueError for an id that is not an overlay's.
    void remove_overlay(int id);
    void clear_overlays();
    /// The ids, lowest (drawn first) first.
    std::vector<int> overlay_ids() const;
    void set_overlay_visible(int id, bool visible);
    /// A rectangle's (x, y, w, h) in source pixels, as the user left it;
    /// ValueError for an id that is not a rectangle's.
    std::array<double, 4> overlay_rect(int id) const;
    /// The topmost visible overlay at control point (@p x, @p y), or nullopt.
    std::optional<int> hit_test(int x, int y) const;
    bool keep_overlays() const;
    void set_keep_overlays(bool keep);

    // ---- state read by hosts and tests
    /// The displayed image (source turned and scaled), the viewer's own
    /// memory, never the source's, made when first asked for after a
    /// fitting and kept until the next: a host may write into it and call
    /// draw_image() to show that. Empty before the first fitting. Throws
    /// ValueError when it would have more pixels than max_image_pixels();
    /// the screen shows the view all the same.
    const cv::Mat& image_being_shown() const;
    /// Size of the displayed image, made or not; (0, 0) while none is shown.
    cv::Size displayed_size() const;
    /// Whether the view is free: ZoomAny, or an angle that is no quarter turn.
    bool free_view() const;
    /// Off-screen picture of the surface's client size; invalid until that had a positive size.
    const wxBitmap& buffer() const;
    /// Control rectangle covered by the visible region at the last redraw.
    const wxRect& image_rect() const { require_gui_thread(__func__); return image_rect_; }
    /// Stored until the next redraw replaces it.
    void set_image_rect(const wxRect& rect) { require_gui_thread(__func__); image_rect_ = rect; }
    /// Selection in displayed-image coordinates as stored (width and height
    /// may be zero or negative); position (-1, -1) means none.
    const wxRect& selection_rect() const { require_gui_thread(__func__); return selection_rect_; }
    /// Last pointer position in control coordinates; (0, 0) before any.
    wxPoint mouse_position_in_panel() const
    {
        require_gui_thread(__func__);
        return mouse_position_.value_or(wxPoint(0, 0));
    }

    /// How often the viewer has fitted its view and recomposed its picture
    /// since construction.
    unsigned long fitting_count() const { require_gui_thread(__func__); return fitting_count_; }
    unsigned long redraw_count() const { require_gui_thread(__func__); return redraw_count_; }

    // ---- geometry
    /// Makes a new buffer when the surface's client size is positive and the
    /// buffer is missing, of another size, or there is no image; then refits.
    virtual void init_buffer();
    /// Forms the view from the source, the rotation, the zoom mode and the
    /// surface's size; sets up the scroll offset and both
    /// scroll bars (positions kept when @p keep_scroll_pos, else 0), clears
    /// the selection (shows the kept one again with keep_selection()) and redraws. Does nothing without a source. Throws
    /// ValueError (a fit mode without a scale) before anything has changed.
    virtual void fitting(bool keep_scroll_pos = false);

    /// The visible part of the displayed image and where it goes.
    struct SubImage
    {
        cv::Mat image; ///< a view into image_being_shown(), empty when nothing is shown
        int x_in_ctrl_region;
        int y_in_ctrl_region;
        int w;
        int h;
    };
    SubImage get_sub_image_to_draw() const;

    /// Moves @p ui, one of the viewer's bars, by -sign * count_per_action
    /// positions, clamped to [0, range - thumb]; redraws only when the
    /// position changed.
    void do_scroll(wxScrollBar* ui, int sign, int count_per_action);

    // ---- navigation
    /// Zooms @p steps rungs in (out when negative) along the ladder of
    /// quarter powers of two, about the control point @p at (the source
    /// pixel under it stays there); switches to ZoomAny. Nothing happens
    /// without an image or at the end of the ladder.
    void zoom_step(int steps, const wxPoint& at);
    /// Shows the image at 1:1 about @p at, likewise.
    void zoom_actual_size(const wxPoint& at);
    /// Where a zoom from the keyboard or a menu is anchored: the pointer
    /// while it is over the drawing surface, else the surface's centre.
    wxPoint zoom_anchor() const;

    // ---- rendering
    /// Composes background, visible image, selection outline, following
    /// lines (once the pointer has been over the surface) and middle lines
    /// into buffer() and has the paint handler show it, at once where the
    /// toolkit allows. Does nothing while no image is displayed.
    virtual void draw_image();

    // ---- pointer and selection
    /// The pointer's position in the displayed image, or (-1, -1) when it is
    /// outside the image or nothing is shown.
    wxPoint get_mouse_image_position() const;
    /// Writes the selection's stored width and height to their read-outs.
    void update_selection_rect_info();
    /// The selection with non-negative width and height, [x, y, w, h].
    std::array<int, 4> get_selection_rect() const;
    /// Sets the selection exactly as given (no check) and redraws; the
    /// read-outs keep their text.
    void set_selection_rect(const std::array<int, 4>& rect);
    /// Columns and rows of image_being_shown() under the normalised selection,
    /// cut at the image's edges; nullopt when there is no selection or it
    /// covers no pixel (a width or height of 0).
    std::optional<cv::Rect> selection_image_region() const;
    /// The pixels of that region, sharing memory with image_being_shown()
    /// (an empty Mat for a region of zero width or height); nullopt as above.
    /// Where the displayed image is too large to be made, they are made for
    /// the region alone, in new memory.
    std::optional<cv::Mat> get_selection_image() const;
    /// The displayed pixels of @p region (within the displayed image), made
    /// alone where the displayed image cannot be, as above.
    cv::Mat displayed_part(const cv::Rect& region) const;
    /// What a save of the view writes: the pixels get_selection_image()
    /// gives (empty when the selection lies wholly outside the image), or the
    /// whole displayed image without a selection.
    cv::Mat view_to_save() const;

    // ---- source pixels
    /// A point of the displayed image (continuous: pixel (c, r) covers
    /// [c, c + 1) x [r, r + 1)) mapped to the source, through the zoom and
    /// the rotation in force, and back; nullopt while nothing is shown.
    std::optional<cv::Point2d> display_to_source(cv::Point2d displayed) const;
    std::optional<cv::Point2d> source_to_display(cv::Point2d source) const;
    /// The source pixel under the pointer, or (-1, -1) where there is none
    /// (off the image, in a corner a free angle leaves, nothing shown).
    wxPoint get_mouse_source_position() const;
    /// The source pixels the selection covers, [x, y, w, h]: the bounding
    /// box of its corners mapped to the source, widened to whole pixels and
    /// cut at the source's edges; with keep_selection(), the kept source
    /// rectangle so widened and cut, whatever the view. nullopt when there
    /// is no selection or it covers no pixel, or nothing is shown.
    std::optional<std::array<int, 4>> get_selection_source_rect() const;
    /// With @p source, the source's own pixels under that rectangle, in the
    /// source's orientation and resolution (sharing the source's memory);
    /// without, as get_selection_image().
    std::optional<cv::Mat> get_selection_image(bool source) const;
    /// Asks for a file name and writes the source's pixels under the
    /// selection there (the whole source without a selection) with their
    /// depth and channels, reporting the outcome in a message box (a format
    /// that cannot hold them, e.g. JPEG for 16 bits or alpha, is such a
    /// failure, and touches no file). Does nothing without a source.
    void save_source_selection();

    // ---- scientific pixel data
    /// Whether image files are read at their own depth and channels (gray
    /// stays one channel, alpha stays, 16-bit and float samples stay), EXIF
    /// orientation applied; false at first: 8-bit R, G, B.
    bool native_depth() const { require_gui_thread(__func__); return native_depth_; }
    void set_native_depth(bool on) { require_gui_thread(__func__); native_depth_ = on; }
    /// The source values shown black and white (linearly between), or
    /// nullopt for automatic levels. Never used for 3-channel 8-bit sources.
    std::optional<std::pair<double, double>> levels() const { require_gui_thread(__func__); return levels_; }
    /// Throws ValueError when low >= high or either is not finite; nothing
    /// changes then. Redraws.
    void set_levels(std::optional<std::pair<double, double>> levels);
    /// The levels in force: those set, or the automatic ones (0-255 for
    /// 8-bit sources, else the minimum and maximum of the source's finite
    /// colour samples); (0, 255) without a source.
    std::pair<double, double> display_levels() const;
    /// The colour map of one-channel sources: "gray" (at first), "viridis",
    /// "magma", "inferno", "plasma", "turbo", "jet", "hot" or "bone".
    std::string colormap() const { require_gui_thread(__func__); return colormap_; }
    /// Throws ValueError for other names; nothing changes then. Redraws.
    void set_colormap(const std::string& name);
    /// How source pixels become screen pixels: "linear" (at first), "nearest"
    /// (each screen pixel one source pixel, at every zoom) or "area".
    std::string interpolation() const { require_gui_thread(__func__); return interpolation_; }
    /// Throws ValueError for other modes; nothing changes then. Redraws.
    void set_interpolation(const std::string& mode);
    /// The source's samples at column @p x, row @p y, one per channel, as
    /// stored. Throws ValueError without a source or outside it.
    std::vector<double> get_source_value(int x, int y) const;
    /// Whether the source is shown through levels: a source is set and it
    /// is not 3-channel 8-bit.
    bool source_has_levels() const;
    // ---- clipboard and dropped files
    /// Puts the selection's pixels (without a selection, the whole view) on
    /// the clipboard as an image, as the screen shows them; with @p source,
    /// the source's own pixels under the selection (without one, the whole
    /// source), samples other than 8-bit R, G, B mapped as the screen maps
    /// them. False, changing nothing, when there is nothing to copy or the
    /// clipboard cannot be opened. Throws ValueError where the displayed
    /// image is too large to be made.
    bool copy_to_clipboard(bool source = false);
    /// Makes the clipboard's image the source image, as set_source_image()
    /// does with an array. False, changing nothing, when the clipboard holds
    /// no image; ValueError, changing nothing, for one of more pixels than
    /// max_image_pixels().
    bool paste_from_clipboard();
    /// Files dropped at control point (@p x, @p y): sends EVT_VIEWER_DROP
    /// and, unless a handler vetoed it, loads the first of @p paths that
    /// decodes as the load command does (in the background; where none
    /// does, the last failure is reported in the load-failure box).
    /// True when the viewer took the drop.
    bool on_drop_files(int x, int y, const std::vector<std::string>& paths);

    // ---- handlers
    void on_size(wxSizeEvent& event);
    void on_paint(wxPaintEvent& event);
    void on_scroll(wxScrollEvent& event);
    void on_mouse_wheel(wxMouseEvent& event);
    void on_mouse_wheel_scroll(wxMouseEvent& event);
    void on_mouse_motion(wxMouseEvent& event);
    void on_start_dragging(wxMouseEvent& event);
    /// The pointer left the drawing surface: the following lines go.
    void on_mouse_leave(wxMouseEvent& event);
    /// Keys on the focused drawing surface: + and - zoom a step about the
    /// pointer, 0 shows 1:1; the arrows scroll a tenth of the view, Page
    /// Up and Page Down a view, Home and End to the start and the end;
    /// Shift+Right (Down) widens (heightens) the selection by a source pixel
    /// at its far edge, Shift+Left (Up) narrows it, and Escape clears it;
    /// Ctrl+C copies the selection (or the view), Ctrl+V pastes an image;
    /// with pointer_navigation(), Space held makes a left drag move the view.
    void on_key_down(wxKeyEvent& event);
    void on_key_up(wxKeyEvent& event);
    /// With pointer_navigation(), the middle button (or the left one with
    /// Space held) drags the view.
    void on_pan_start(wxMouseEvent& event);
    void on_pan_end(wxMouseEvent& event);
    /// The drawing surface gained or lost the keyboard: its focus mark, a
    /// dotted frame along its edge, comes or goes.
    void on_focus(wxFocusEvent& event);

protected:
    /// Whether the middle (centre) guide lines are drawn; none unless a viewer shows them.
    virtual bool middle_lines_shown() const { return false; }
    /// Whether the following (pointer) guide lines are drawn, likewise.
    virtual bool following_lines_shown() const { return false; }
    /// Called by set_zoom_mode before the mode is applied, for a viewer
    /// that shows the mode in a control of its own.
    virtual void show_zoom_mode(ZoomMode) {}
    /// Called by set_rotation before the rotation is applied, likewise.
    virtual void show_rotation(Rotation) {}
    /// Called by every fitting, for a viewer that shows the zoom rate and
    /// the free angle in controls of its own.
    virtual void show_view() {}
    /// Called when display_levels() may have changed (a new source, new
    /// levels), for a viewer that shows them in controls of its own.
    virtual void show_levels() {}

    /// What Destroy() of the viewer does first. Called from a handler of one
    /// of its events (or of an event it passes on), the viewer is hidden at
    /// once and deleted when that delivery is over, at the toolkit's next
    /// pending-event run: the viewer's code and the toolkit's still run on it
    /// until then, and it sends no events meanwhile. True then; false when
    /// the viewer may be deleted now.
    bool put_off_destroy();

    /// Stores the mode and refits, without touching any control.
    void do_set_zoom_mode(ZoomMode mode);
    /// @p size or @p point of the surface's (logical) coordinates in device
    /// pixels, the control coordinates of the viewing core.
    wxSize in_device(const wxSize& size) const;
    wxPoint in_device(const wxPoint& point) const;
    void update_mouse_position_in_panel(const wxMouseEvent& event);
    /// Stores @p image and refits as the source_image setter does.
    void store(const cv::Mat& image);
    /// load_source_image() for the user's load command: a failure is also
    /// reported in the load-failure box when the load ends.
    void load_for_user(const std::filesystem::path& path);
    /// The user's copy and paste commands: copy_to_clipboard() and
    /// paste_from_clipboard(), with what keeps them from working told in a
    /// message box. Files on the clipboard (copied in a file manager) are
    /// pasted as dropped files are loaded.
    void copy_for_user();
    void paste_for_user();

private:
    // ---- overlays (overlays.cpp)
    struct OverlayState;
    OverlayState& overlays() const;
    /// Stores @p overlay under a new id, returned, and shows it.
    int add_overlay(Overlay&& overlay);
    /// Has the overlays shown anew by one redraw when the event loop next runs.
    void show_overlays();
    /// Draws the overlays over @p area of the composed buffer.
    void draw_overlays_on(wxBitmap& buffer, const cv::Rect& area);
    /// A fitting for another source: forgets overlays made for another size.
    void fit_overlays();
    /// A press at control point @p at: true when it grips an editable rectangle.
    bool press_overlay(const wxPoint& at);
    /// Pointer motion: true while it drags an editable rectangle; else sets the pointer's shape.
    bool drag_overlay(const wxPoint& at, bool dragging);
    /// Ends a drag of an editable rectangle; false when a handler of the
    /// pointer event that follows destroyed the viewer.
    bool release_overlay();

    class Viewport;
    struct Drawing;
    /// Applies @p change to the source and the view's settings and refits;
    /// where the fitting throws, puts every setting back as it was (and the
    /// controls that show them) and rethrows.
    void change_view(const std::function<void()>& change, bool keep_scroll_pos);
    /// The rotation as shown: DegreeAny at a quarter turn is that turn.
    Rotation shown_rotation() const;
    /// The view the zoom mode and rotation give on a surface of outer size
    /// @p surface, scrolled to @p offset (clamped). Throws ValueError where
    /// a fit mode cannot form a scale.
    geometry::ViewTransform fitted_view(cv::Size surface, cv::Point2d offset) const;
    /// The view scrolled to the scroll offset.
    geometry::ViewTransform scrolled_view() const;
    /// Counts the fitting, clears the selection and redraws.
    void finish_fitting();
    /// Scrolls the view to thumb positions (@p x, @p y), clamped; redraws
    /// when they changed.
    void scroll_view_to(int x, int y);
    /// Switches to ZoomAny at @p rate, keeping the source point under
    /// control point @p at there.
    void zoom_about(cv::Point2d at, double rate);
    /// Empties the pointer read-outs, which described the previous image.
    void clear_pointer_readouts();
    /// Writes the pointer read-outs for displayed pixel @p at; false where
    /// no colour is shown there.
    bool show_pointer_readouts(const wxPoint& at);
    /// After the image moved under a pointer that is still over the
    /// surface: the read-outs and the pointer event tell the pixel now under
    /// it. False when a handler destroyed the viewer.
    bool follow_pointer();
    /// Keeps the selection just set by the user or the host, in source
    /// coordinates, while keep_selection() is on.
    void remember_selection();
    /// The selection a fitting shows: the kept one through the new view, or none.
    wxRect fitted_selection();
    /// Moves the selection's right and bottom edges by @p columns and
    /// @p rows source pixels, each at least one displayed pixel.
    void resize_selection(int columns, int rows);
    /// Clears the selection as a press off the image does.
    void clear_selection();
    /// The source's samples under the pointer; empty where there is none.
    std::vector<double> value_under_pointer() const;
    /// The colour shown at displayed pixel @p at, under the pointer.
    std::optional<cv::Vec3b> colour_under_pointer(const wxPoint& at) const;
    /// What the screen shows the displayed image from where that is a whole
    /// image (the displayed image a host has asked for, or the source shown
    /// as it is); null where the renderer's picture of the viewport is shown.
    const cv::Mat* drawn_whole() const;
    /// The surface's background colour as R, G, B.
    cv::Vec3b background_rgb() const;

    /// What the displayed image was last fitted for.
    struct Fitted
    {
        wxSize surface;
        ZoomMode zoom;
        Rotation rotation;
        bool operator==(const Fitted& other) const
        {
            return surface == other.surface && zoom == other.zoom && rotation == other.rotation;
        }
    };
    void draw_middle_lines(wxDC& dc, const SubImage& region, int subx, int suby, const wxSize& client);
    /// draw_image() for the pointer's marks: where the picture is the one
    /// last shown, only the bands where the following lines and the
    /// outline moved are composed and shown again.
    void redraw();

    // ---- host events (events.cpp). Each sends its event when what it
    // reports differs from what it reported last; false when a handler
    // destroyed the viewer, which must then not be touched any more.
    bool send_pointer();
    bool send_selection();
    bool send_view();
    ViewerEvent make_event(wxEventType type) const;
    bool deliver(ViewerEvent& event);
    /// Queues the deletion that Destroy() put off.
    void queue_destroy();

    // ---- asynchronous loading (loading.cpp)
    /// Loads @p path; where it does not decode, @p next in turn.
    void start_load(const std::filesystem::path& path, const std::string& path_text, bool report,
                    std::vector<std::filesystem::path> next = {});
    /// Cancels a running load; its event follows from the event loop.
    void cancel_load();
    void finish_load(const std::string& path_text, const cv::Mat& image, std::string failure, bool report,
                     std::vector<std::filesystem::path> next);
    /// Has the drawing surface take files dropped from other programs.
    void accept_dropped_files();

    wxWindow& viewer_;
    const ViewerParts parts_;
    std::unique_ptr<Viewport> viewport_; // the surface, its buffer and the scroll offset
    SourceMessages wording_;
    cv::Mat source_image_;
    wxImage draw_staging_; // working image of redraws where the buffer cannot be written directly
    ZoomMode zoom_mode_ = ZoomMode::FitPage;
    Rotation rotation_ = Rotation::NoRotation;
    double zoom_rate_ = 1.0;
    double rotation_degree_ = 0.0;
    // The view shown; none before the first fitting, or while no scale can be formed.
    std::optional<geometry::ViewTransform> view_;
    // Where the next fitting scrolls to, instead of the scroll offset.
    std::optional<cv::Point2d> next_offset_;
    // The unrounded offset the view was last fitted for.
    cv::Point2d exact_offset_{0.0, 0.0};
    std::unique_ptr<Drawing> drawing_; // pyramid, renderer and the displayed image made on demand
    struct Pan
    {
        wxPoint start;      // pointer where the drag began
        wxPoint positions;  // the scroll offset then
    };
    std::optional<Pan> pan_;
    bool space_held_ = false;
    bool pointer_navigation_ = false;
    bool focused_ = false; // the surface has the keyboard
    // A new number whenever what lies under the pointer's marks may change.
    unsigned long picture_number_ = 0;
    std::unique_ptr<ShownOverlays> shown_; // what the last redraw put on the surface
    Fitted fitted_{wxDefaultSize, ZoomMode::FitPage, Rotation::NoRotation};
    wxRect image_rect_{0, 0, 0, 0};
    wxRect selection_rect_{0, 0, 0, 0};
    bool selecting_enabled_ = true;
    bool keep_selection_ = false;
    // The selection in continuous source coordinates, for a source of the
    // given size, while it is kept.
    struct KeptSelection
    {
        cv::Rect2d box;
        cv::Size source;
    };
    std::optional<KeptSelection> kept_selection_;
    std::optional<wxPoint> mouse_position_;
    bool pointer_away_ = false; // off the drawing surface since the last position
    wxColour middle_line_color_{0, 0, 255};
    wxColour following_line_color_{128, 128, 128};
    std::any user_data_;
    unsigned long fitting_count_ = 0;
    unsigned long redraw_count_ = 0;
    std::pair<wxPoint, wxPoint> pointer_reported_{{-1, -1}, {-1, -1}}; // displayed and source pixel
    wxRect selection_reported_{0, 0, 0, 0};
    std::optional<std::tuple<ZoomMode, double, Rotation, double, wxPoint>> view_reported_;
    int delivering_ = 0;           // events being delivered now, nested
    bool destroy_pending_ = false; // Destroy() called during a delivery
    bool destroy_queued_ = false;
    // How the source's samples are shown; see the pixel data members above.
    bool native_depth_ = false;
    std::optional<std::pair<double, double>> levels_;
    // The source's automatic levels, found when first needed: a source
    // shown with levels of the host's costs no pass over its samples.
    mutable std::optional<std::pair<double, double>> auto_levels_;
    std::pair<double, double> automatic_levels_in_force() const;
    std::string colormap_ = "gray";
    std::string interpolation_ = "linear";
    /// Hands the renderer what it maps the source's samples with, and redraws.
    void apply_mapping();
    /// The sampling and mapping the settings above give.
    ViewLook look() const;
    std::unique_ptr<BackgroundLoad> load_;
    std::string loading_path_; // how the running load names its file
    mutable std::shared_ptr<OverlayState> overlays_; // made at first use
};

} // namespace tesk_vumo

#endif
