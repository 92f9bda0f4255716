#ifndef TESK_VUMO_SRC_COMMON_OVERLAY_SHAPES_H
#define TESK_VUMO_SRC_COMMON_OVERLAY_SHAPES_H

// What a host draws over a viewer's picture, in source pixels, and the
// arithmetic that puts it on the surface: mapping through the view, culling
// what is out of sight, drawing into composed pixels, hit testing and the
// drags of editable rectangles. No toolkit window enters.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <opencv2/core.hpp>

#include "tesk_vumo/common/view_transform.h"

namespace tesk_vumo {

enum class OverlayMarker
{
    Cross,
    Circle,
    Square
};

/// One shape in continuous source coordinates (pixel (c, r) covers
/// [c, c + 1) x [r, r + 1)).
struct Overlay
{
    enum class Kind
    {
        Rect,
        Polygon,
        Points,
        Text,
        Mask
    };
    Kind kind = Kind::Rect;
    /// A rectangle's top-left and bottom-right corners; a polygon's
    /// vertices; the points; the text's top-left.
    std::vector<cv::Point2d> points;
    cv::Vec4b colour{255, 0, 0, 255}; ///< R, G, B, A
    int width = 1;                   ///< stroke width, or marker size, in logical screen pixels
    bool closed = true;
    OverlayMarker marker = OverlayMarker::Cross;
    std::string text; ///< the text, or a rectangle's or polygon's label
    /// A label image of the source's size (8U, 16U or 32S); 0 is nothing.
    cv::Mat mask;
    double alpha = 0.5;
    bool visible = true;
    bool editable = false;
};

/// Overlays by id; a higher id lies above a lower one.
using OverlayList = std::map<int, Overlay>;

/// The colour label @p label of a mask in @p colour is shown in: @p colour
/// for 1, a hue of its own, spread by the golden angle, for every other.
cv::Vec4b mask_label_colour(const cv::Vec4b& colour, int label);

/// Draws the visible overlays of @p overlays seen through @p view into
/// @p pixels, which hold the control pixels from @p origin on (8-bit R, G,
/// B, or B, G, R when @p bgra, and a fourth channel, if any, that the
/// shapes cover as an alpha channel). Widths and
/// marker sizes are multiplied by @p scale, the display's content scale.
/// Shapes out of sight are skipped before they are drawn.
void draw_overlays(cv::Mat& pixels, cv::Point origin, bool bgra, const OverlayList& overlays,
                   const geometry::ViewTransform& view, double scale);

/// The runs of covered pixels of @p layer (8-bit, 4 channels), row by
/// row: (row, first column, column past the last).
std::vector<cv::Vec3i> covered_runs(const cv::Mat& layer);

/// Puts @p layer, overlays drawn by draw_overlays() into 4 channels in
/// @p pixels' order over transparent black (premultiplied by the fourth),
/// whose covered @p runs are given, over @p pixels, which hold the layer's
/// pixels from @p origin on.
void composite_overlays(const cv::Mat& layer, const std::vector<cv::Vec3i>& runs, cv::Mat& pixels,
                        cv::Point origin);

/// Handle size of an editable rectangle, in logical screen pixels.
inline constexpr int overlay_handle_size = 7;

/// What a press on an editable rectangle grips.
enum class OverlayGrip
{
    None,
    Inside,
    Left,
    Right,
    Top,
    Bottom,
    TopLeft,
    TopRight,
    BottomLeft,
    BottomRight
};

/// What control point @p control grips of @p rect (source corners) seen
/// through @p view, handles first; None off it.
OverlayGrip overlay_grip(const Overlay& rect, const geometry::ViewTransform& view, cv::Point2d control, double scale);

/// The direction on screen a grip of @p rect drags: 0 none, 1 moving it,
/// 2 across, 3 up and down, 4 along the diagonal from the top-left down,
/// 5 along the other diagonal.
int overlay_grip_direction(const Overlay& rect, OverlayGrip grip, const geometry::ViewTransform& view);

/// @p start (x, y, w, h in source pixels) after the pointer gripping @p grip
/// moved by @p moved source pixels: moved, or an edge or corner dragged
/// (never past the opposite one, whose side stays at least @p minimum).
cv::Rect2d dragged_rect(const cv::Rect2d& start, OverlayGrip grip, cv::Point2d moved, double minimum);

/// The topmost visible overlay at control point @p control, or nullopt.
std::optional<int> overlay_at(const OverlayList& overlays, const geometry::ViewTransform& view, cv::Point2d control,
                              double scale);

} // namespace tesk_vumo

#endif
