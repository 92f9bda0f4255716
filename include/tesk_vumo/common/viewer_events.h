#ifndef TESK_VUMO_COMMON_VIEWER_EVENTS_H
#define TESK_VUMO_COMMON_VIEWER_EVENTS_H

#include <array>
#include <string>
#include <utility>
#include <vector>

#include <wx/colour.h>
#include <wx/event.h>
#include <wx/gdicmn.h>

#include "tesk_vumo/common/rotation.h"
#include "tesk_vumo/common/zoom_mode.h"

namespace tesk_vumo {

/// What ImagePanel and Image tell their host: the pointer moved over the
/// image, the selection changed, the view (zoom, rotation, scroll)
/// changed, an asynchronous load ended, the user moved an editable overlay,
/// or files were dropped on it. Each is sent once per change, after the viewer has updated its
/// own state, to the viewer's own event handler; as a command event it then
/// goes up to the viewer's parents. Bind it like any wx event:
///
///     viewer->Bind(tesk_vumo::EVT_VIEWER_POINTER, [](tesk_vumo::ViewerEvent& event) {
///         // event.position(), event.source_position(), event.color()
///     });
///
/// Every event carries the whole state after the change; the getters name
/// the kind that they belong to.
class ViewerEvent : public wxCommandEvent
{
public:
    explicit ViewerEvent(wxEventType type = wxEVT_NULL, int id = 0) : wxCommandEvent(type, id) {}
    wxEvent* Clone() const override { return new ViewerEvent(*this); }

    // ---- pointer
    /// The pointer's column and row in the displayed image, (-1, -1) when it
    /// is outside the image.
    wxPoint position() const { return position_; }
    void set_position(const wxPoint& position) { position_ = position; }
    /// The source pixel shown there (column and row of the stored, unturned
    /// image), or (-1, -1).
    wxPoint source_position() const { return source_position_; }
    void set_source_position(const wxPoint& position) { source_position_ = position; }
    /// The displayed pixel's colour, as the read-out shows it; not IsOk()
    /// outside the image.
    wxColour color() const { return color_; }
    void set_color(const wxColour& colour) { color_ = colour; }
    /// The source's samples at source_position(), one per channel, as
    /// stored; empty outside the image.
    const std::vector<double>& value() const { return value_; }
    /// Whether the source's samples are integers (else floating point).
    bool value_is_integer() const { return value_is_integer_; }
    void set_value(std::vector<double> value, bool is_integer)
    {
        value_ = std::move(value);
        value_is_integer_ = is_integer;
    }

    // ---- selection
    /// The selection in displayed-image pixels as stored (width and height
    /// may be zero or negative); position (-1, -1) means none.
    wxRect selection_rect() const { return selection_rect_; }
    void set_selection_rect(const wxRect& rect) { selection_rect_ = rect; }

    // ---- view
    ZoomMode zoom_mode() const { return zoom_mode_; }
    void set_zoom_mode(ZoomMode mode) { zoom_mode_ = mode; }
    /// Displayed pixels per source pixel shown now; 0 while the viewer holds
    /// no source.
    double zoom_rate() const { return zoom_rate_; }
    void set_zoom_rate(double rate) { zoom_rate_ = rate; }
    Rotation rotation() const { return rotation_; }
    void set_rotation(Rotation rotation) { rotation_ = rotation; }
    /// Degrees, clockwise, by which the image is shown turned.
    double rotation_degree() const { return rotation_degree_; }
    void set_rotation_degree(double degree) { rotation_degree_ = degree; }
    /// The thumb positions of the horizontal and vertical scroll bars: the
    /// first visible column and row of the displayed image.
    wxPoint scroll_position() const { return scroll_position_; }
    void set_scroll_position(const wxPoint& position) { scroll_position_ = position; }

    // ---- load (EVT_VIEWER_LOADED)
    /// The file the load read, as the caller named it (UTF-8).
    const std::string& path() const { return path_; }
    void set_path(const std::string& path) { path_ = path; }
    /// Whether the file's image is now the source image.
    bool success() const { return success_; }
    void set_success(bool success) { success_ = success; }
    /// Whether a later load or image took the load's place before it ended;
    /// its image is never shown then.
    bool cancelled() const { return cancelled_; }
    void set_cancelled(bool cancelled) { cancelled_ = cancelled; }
    /// Why the load failed, for a person (UTF-8); empty on success and
    /// when cancelled.
    const std::string& failure() const { return failure_; }
    void set_failure(const std::string& failure) { failure_ = failure; }

    // ---- overlay (EVT_VIEWER_OVERLAY)
    /// The overlay the user changed.
    int overlay_id() const { return overlay_id_; }
    void set_overlay_id(int id) { overlay_id_ = id; }
    /// Its rectangle now, x, y, width and height in source pixels.
    const std::array<double, 4>& overlay_rect() const { return overlay_rect_; }
    void set_overlay_rect(const std::array<double, 4>& rect) { overlay_rect_ = rect; }
    // ---- drop (EVT_VIEWER_DROP)
    /// The files dropped on the viewer (UTF-8), in the order the drop gave them.
    const std::vector<std::string>& paths() const { return paths_; }
    void set_paths(std::vector<std::string> paths) { paths_ = std::move(paths); }
    /// Keeps the viewer from loading the dropped files: the host refuses the
    /// drop or takes it over.
    void veto() { allowed_ = false; }
    bool allowed() const { return allowed_; }

    // No wxDECLARE_DYNAMIC_CLASS: wxPython hands an event to Python by the
    // name of its class info, and drops one of a class it does not know.

private:
    wxPoint position_{-1, -1};
    wxPoint source_position_{-1, -1};
    wxColour color_;
    std::vector<double> value_;
    bool value_is_integer_ = true;
    wxRect selection_rect_{-1, -1, 0, 0};
    ZoomMode zoom_mode_ = ZoomMode::FitPage;
    double zoom_rate_ = 0.0;
    Rotation rotation_ = Rotation::NoRotation;
    double rotation_degree_ = 0.0;
    wxPoint scroll_position_{0, 0};
    std::string path_;
    bool success_ = false;
    bool cancelled_ = false;
    std::string failure_;
    int overlay_id_ = -1;
    std::array<double, 4> overlay_rect_{0.0, 0.0, 0.0, 0.0};
    std::vector<std::string> paths_;
    bool allowed_ = true;
};

/// The pointer moved to another pixel of the image, or off it.
wxDECLARE_EVENT(EVT_VIEWER_POINTER, ViewerEvent);
/// The selection rectangle changed (pressed, dragged, set, reset, cleared by a refit).
wxDECLARE_EVENT(EVT_VIEWER_SELECTION, ViewerEvent);
/// The zoom mode, the scale shown, the rotation or the scroll position changed.
wxDECLARE_EVENT(EVT_VIEWER_VIEW, ViewerEvent);
/// A load started by load_source_image() ended: the image is shown, or the
/// load failed (the previous image stays), or it was cancelled.
wxDECLARE_EVENT(EVT_VIEWER_LOADED, ViewerEvent);
/// The user moved or resized an editable overlay rectangle.
wxDECLARE_EVENT(EVT_VIEWER_OVERLAY, ViewerEvent);
/// Files were dropped on the viewer (position() is the control point of the
/// drop, paths() the files); sent before the viewer loads them, which
/// event.veto() prevents.
wxDECLARE_EVENT(EVT_VIEWER_DROP, ViewerEvent);

} // namespace tesk_vumo

#endif
