#include "tesk_vumo/core/viewer_core.h"

#include "viewport.h"

#include "../common/overlay_shapes.h"
#include "../common/rgb_bitmap.h"

#include <cmath>
#include <string>

#include <wx/cursor.h>

namespace tesk_vumo {

struct ViewerCore::OverlayState
{
    OverlayList list;
    int next_id = 1;
    bool keep = false;
    cv::Size source; // the source size the overlays were made for; empty before any
    struct Drag
    {
        int id;
        OverlayGrip grip;
        cv::Point2d start; // pointer at the press, in source coordinates
        cv::Rect2d rect;   // the rectangle then
    };
    std::optional<Drag> drag;
    wxStockCursor cursor = wxCURSOR_NONE; // the shape set on the surface, none while its own
    bool redraw_queued = false;
    int editable = 0; // how many overlays the user may drag
    // A new number whenever an overlay changes.
    unsigned long revision = 0;
    // What the last redraw drew the overlays for.
    struct Drawn
    {
        unsigned long revision;
        geometry::ViewTransform view;
        double scale;
        cv::Size surface;
        bool bgra;
        bool operator==(const Drawn& o) const
        {
            return revision == o.revision && view == o.view && scale == o.scale && surface == o.surface
                   && bgra == o.bgra;
        }
    };
    std::optional<Drawn> drawn;
    // The overlays of the whole surface drawn once for a view that is drawn
    // again (redraws of a still view, the bands under moving marks).
    cv::Mat layer;
    std::vector<cv::Vec3i> runs; // its covered pixels
};

namespace {

cv::Vec4b rgba(const wxColour& colour)
{
    if (!colour.IsOk())
        throw ValueError("expected an overlay colour, got a colour without one");
    return {colour.Red(), colour.Green(), colour.Blue(), colour.Alpha()};
}

double finite(double value, const char* what)
{
    if (!std::isfinite(value))
        throw ValueError(std::string("overlay ") + what + " must be finite, got " + std::to_string(value));
    return value;
}

int positive(int value, const char* what)
{
    if (value < 1)
        throw ValueError(std::string("overlay ") + what + " must be at least 1, got " + std::to_string(value));
    return value;
}

std::vector<cv::Point2d> checked_points(const std::vector<cv::Point2d>& points)
{
    if (points.empty())
        throw ValueError("an overlay needs at least one point");
    for (const cv::Point2d& p : points) {
        finite(p.x, "coordinates");
        finite(p.y, "coordinates");
    }
    return points;
}

std::array<double, 4> as_array(const cv::Rect2d& r)
{
    return {r.x, r.y, r.width, r.height};
}

cv::Rect2d rect_of(const Overlay& o)
{
    return {o.points[0].x, o.points[0].y, o.points[1].x - o.points[0].x, o.points[1].y - o.points[0].y};
}

} // namespace

ViewerCore::OverlayState& ViewerCore::overlays() const
{
    if (!overlays_)
        overlays_ = std::make_shared<OverlayState>();
    return *overlays_;
}

int ViewerCore::add_overlay(Overlay&& overlay)
{
    OverlayState& state = overlays();
    const int id = state.next_id++;
    state.editable += overlay.editable ? 1 : 0;
    state.list.emplace(id, std::move(overlay));
    if (state.source.empty())
        state.source = source_image_.size();
    show_overlays();
    return id;
}

void ViewerCore::show_overlays()
{
    // A host adds many shapes at once (a frame's detections): they are shown
    // together when the event loop next runs, as a Refresh() would.
    ++picture_number_;
    OverlayState& state = overlays();
    ++state.revision;
    if (state.redraw_queued)
        return;
    state.redraw_queued = true;
    viewer_.CallAfter([this] {
        overlays().redraw_queued = false;
        redraw();
    });
}

int ViewerCore::add_rect(double x, double y, double w, double h, const wxColour& colour, int width,
                         const std::string& label, bool editable)
{
    require_gui_thread(__func__);
    if (finite(w, "width") < 0 || finite(h, "height") < 0)
        throw ValueError("overlay rectangle size must not be negative, got " + std::to_string(w) + " x "
                         + std::to_string(h));
    Overlay o;
    o.kind = Overlay::Kind::Rect;
    o.points = {{finite(x, "x"), finite(y, "y")}, {x + w, y + h}};
    o.colour = rgba(colour);
    o.width = positive(width, "width");
    o.text = label;
    o.editable = editable;
    return add_overlay(std::move(o));
}

int ViewerCore::add_polygon(const std::vector<cv::Point2d>& points, const wxColour& colour, int width, bool closed,
                            const std::string& label)
{
    require_gui_thread(__func__);
    Overlay o;
    o.kind = Overlay::Kind::Polygon;
    o.points = checked_points(points);
    o.colour = rgba(colour);
    o.width = positive(width, "width");
    o.closed = closed;
    o.text = label;
    return add_overlay(std::move(o));
}

int ViewerCore::add_points(const std::vector<cv::Point2d>& points, const wxColour& colour, int size,
                           const std::string& marker)
{
    require_gui_thread(__func__);
    Overlay o;
    o.kind = Overlay::Kind::Points;
    if (marker == "cross")
        o.marker = OverlayMarker::Cross;
    else if (marker == "circle")
        o.marker = OverlayMarker::Circle;
    else if (marker == "square")
        o.marker = OverlayMarker::Square;
    else
        throw ValueError("unknown marker \"" + marker + "\": expected \"cross\", \"circle\" or \"square\"");
    o.points = checked_points(points);
    o.colour = rgba(colour);
    o.width = positive(size, "marker size");
    return add_overlay(std::move(o));
}

int ViewerCore::add_text(double x, double y, const std::string& text, const wxColour& colour)
{
    require_gui_thread(__func__);
    Overlay o;
    o.kind = Overlay::Kind::Text;
    o.points = {{finite(x, "x"), finite(y, "y")}};
    o.colour = rgba(colour);
    o.text = text;
    return add_overlay(std::move(o));
}

int ViewerCore::add_mask(const cv::Mat& mask, const wxColour& colour, double alpha)
{
    require_gui_thread(__func__);
    if (source_image_.empty())
        throw ValueError("a mask needs a source image to cover");
    if (mask.size() != source_image_.size() || mask.channels() != 1
        || (mask.depth() != CV_8U && mask.depth() != CV_8S && mask.depth() != CV_16U && mask.depth() != CV_16S
            && mask.depth() != CV_32S))
        throw ValueError("expected a mask of one integer channel and the source's size " + std::to_string(source_image_.cols)
                         + " x " + std::to_string(source_image_.rows) + ", got " + std::to_string(mask.cols) + " x "
                         + std::to_string(mask.rows) + " of " + std::to_string(mask.channels()) + " channel(s)");
    if (!(alpha >= 0.0 && alpha <= 1.0))
        throw ValueError("mask alpha must be within [0, 1], got " + std::to_string(alpha));
    Overlay o;
    o.kind = Overlay::Kind::Mask;
    o.colour = rgba(colour);
    o.alpha = alpha;
    // A copy: the host may go on writing into its array for the next frame.
    if (mask.depth() == CV_8S || mask.depth() == CV_16S)
        mask.convertTo(o.mask, CV_32S);
    else
        o.mask = mask.clone();
    return add_overlay(std::move(o));
}

void ViewerCore::remove_overlay(int id)
{
    require_gui_thread(__func__);
    OverlayState& state = overlays();
    const auto found = state.list.find(id);
    if (found == state.list.end())
        throw ValueError("no overlay with id " + std::to_string(id));
    state.editable -= found->second.editable ? 1 : 0;
    state.list.erase(found);
    if (state.drag && state.drag->id == id)
        state.drag.reset();
    show_overlays();
}

void ViewerCore::clear_overlays()
{
    require_gui_thread(__func__);
    OverlayState& state = overlays();
    state.list.clear();
    state.editable = 0;
    state.drag.reset();
    show_overlays();
}

std::vector<int> ViewerCore::overlay_ids() const
{
    require_gui_thread(__func__);
    std::vector<int> ids;
    for (const auto& entry : overlays().list)
        ids.push_back(entry.first);
    return ids;
}

void ViewerCore::set_overlay_visible(int id, bool visible)
{
    require_gui_thread(__func__);
    const auto found = overlays().list.find(id);
    if (found == overlays().list.end())
        throw ValueError("no overlay with id " + std::to_string(id));
    if (found->second.visible == visible)
        return;
    found->second.visible = visible;
    show_overlays();
}

std::array<double, 4> ViewerCore::overlay_rect(int id) const
{
    require_gui_thread(__func__);
    const auto found = overlays().list.find(id);
    if (found == overlays().list.end() || found->second.kind != Overlay::Kind::Rect)
        throw ValueError("no overlay rectangle with id " + std::to_string(id));
    return as_array(rect_of(found->second));
}

std::optional<int> ViewerCore::hit_test(int x, int y) const
{
    require_gui_thread(__func__);
    if (!view_ || source_image_.empty())
        return std::nullopt;
    return overlay_at(overlays().list, scrolled_view(), cv::Point2d(x + 0.5, y + 0.5),
                      parts_.surface->GetContentScaleFactor());
}

bool ViewerCore::keep_overlays() const
{
    require_gui_thread(__func__);
    return overlays().keep;
}

void ViewerCore::set_keep_overlays(bool keep)
{
    require_gui_thread(__func__);
    overlays().keep = keep;
}

void ViewerCore::draw_overlays_on(wxBitmap& buffer, const cv::Rect& area)
{
    if (!overlays_ || overlays_->list.empty() || !view_)
        return;
    OverlayState& state = *overlays_;
    const double scale = parts_.surface->GetContentScaleFactor();
    const cv::Size surface(buffer.GetWidth(), buffer.GetHeight());
    paint_pixels(buffer, area, [&](cv::Mat& pixels, bool bgra) {
        const OverlayState::Drawn now{state.revision, *view_, scale, surface, bgra};
        if (!state.drawn || !(*state.drawn == now)) {
            // A view or overlays that change at every redraw (a scroll, a
            // drag) are drawn straight into the picture.
            state.drawn = now;
            state.layer.release();
            draw_overlays(pixels, area.tl(), bgra, state.list, *view_, scale);
            return;
        }
        if (state.layer.empty()) {
            state.layer.create(surface, CV_8UC4);
            state.layer.setTo(cv::Scalar::all(0));
            draw_overlays(state.layer, cv::Point(), bgra, state.list, *view_, scale);
            state.runs = covered_runs(state.layer);
        }
        composite_overlays(state.layer, state.runs, pixels, area.tl());
    });
}

void ViewerCore::fit_overlays()
{
    if (!overlays_)
        return;
    OverlayState& state = *overlays_;
    const cv::Size source = source_image_.size();
    if (source.empty() || source == state.source)
        return;
    if (!state.source.empty() && !state.keep) {
        state.list.clear();
        state.editable = 0;
        state.drag.reset();
        ++state.revision;
    }
    state.source = source;
}

bool ViewerCore::press_overlay(const wxPoint& at)
{
    if (!overlays_ || !view_ || source_image_.empty())
        return false;
    const geometry::ViewTransform view = scrolled_view();
    const cv::Point2d control(at.x + 0.5, at.y + 0.5);
    const auto id = overlay_at(overlays_->list, view, control, parts_.surface->GetContentScaleFactor());
    if (!id)
        return false;
    const Overlay& overlay = overlays_->list.at(*id);
    if (!overlay.editable)
        return false;
    const OverlayGrip grip = overlay_grip(overlay, view, control, parts_.surface->GetContentScaleFactor());
    overlays_->drag = OverlayState::Drag{*id, grip, view.control_to_source(control), rect_of(overlay)};
    if (!parts_.surface->HasCapture())
        parts_.surface->CaptureMouse();
    return true;
}

bool ViewerCore::drag_overlay(const wxPoint& at, bool dragging)
{
    if (!overlays_ || !view_ || source_image_.empty())
        return false;
    OverlayState& state = *overlays_;
    const geometry::ViewTransform view = scrolled_view();
    const cv::Point2d control(at.x + 0.5, at.y + 0.5);
    // A drag whose button came up elsewhere ends here.
    if (state.drag && !dragging && !release_overlay())
        return true;
    if (!state.drag) {
        if (state.editable == 0 && state.cursor == wxCURSOR_NONE)
            return false;
        // The pointer's shape tells what a press here would drag.
        wxStockCursor cursor = wxCURSOR_NONE;
        const double scale = parts_.surface->GetContentScaleFactor();
        if (const auto id = overlay_at(state.list, view, control, scale)) {
            const Overlay& overlay = state.list.at(*id);
            if (overlay.editable) {
                constexpr wxStockCursor shapes[] = {wxCURSOR_NONE,       wxCURSOR_SIZING,     wxCURSOR_SIZEWE,
                                                    wxCURSOR_SIZENS,     wxCURSOR_SIZENWSE,   wxCURSOR_SIZENESW};
                cursor = shapes[overlay_grip_direction(overlay, overlay_grip(overlay, view, control, scale), view)];
            }
        }
        if (cursor != state.cursor) {
            state.cursor = cursor;
            parts_.surface->SetCursor(cursor == wxCURSOR_NONE ? wxNullCursor : wxCursor(cursor));
        }
        return false;
    }
    const OverlayState::Drag drag = *state.drag;
    const auto found = state.list.find(drag.id);
    if (found == state.list.end()) {
        state.drag.reset();
        return false;
    }
    const cv::Rect2d rect = dragged_rect(drag.rect, drag.grip, view.control_to_source(control) - drag.start,
                                         1.0 / view.scale());
    if (rect == rect_of(found->second))
        return true;
    found->second.points = {rect.tl(), rect.br()};
    ++state.revision;
    draw_image();
    ViewerEvent event = make_event(EVT_VIEWER_OVERLAY);
    event.set_overlay_id(drag.id);
    event.set_overlay_rect(as_array(rect));
    // The read-outs follow when the drag ends: writing them at each motion
    // would cost more than the redraw.
    deliver(event);
    return true;
}

bool ViewerCore::release_overlay()
{
    if (!overlays_ || !overlays_->drag)
        return true;
    overlays_->drag.reset();
    if (parts_.surface->HasCapture() && !pan_)
        parts_.surface->ReleaseMouse();
    return follow_pointer();
}

} // namespace tesk_vumo
