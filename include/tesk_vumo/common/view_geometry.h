#ifndef TESK_VUMO_COMMON_VIEW_GEOMETRY_H
#define TESK_VUMO_COMMON_VIEW_GEOMETRY_H

// The viewers' arithmetic, as pure functions over plain values. Sizes are
// width x height in pixels; control coordinates have their origin at the
// top-left of the drawing surface's client area, x to the right, y down;
// displayed-image coordinates are column and row of the displayed image.

#include <array>

#include <opencv2/core.hpp>

#include "tesk_vumo/common/rotation.h"
#include "tesk_vumo/common/zoom_mode.h"

namespace tesk_vumo::geometry {

/// Integer division rounding toward minus infinity (-3 / 2 gives -2).
int floor_div(int a, int b);

/// a * b / c with the product formed exactly and the quotient truncated
/// toward zero.
int scaled_extent(int a, int b, int c);

/// Size of the image after @p rotation: quarter turns swap width and height;
/// DegreeAny leaves the image unturned.
cv::Size rotated_size(cv::Size image, Rotation rotation);

/// Turns @p src by @p rotation into @p dst (dst may be reused between calls).
/// ClockWise90 puts the top-left source pixel at the top-right. A half turn
/// may be made in place (@p src and @p dst the same image).
void rotate(const cv::Mat& src, cv::Mat& dst, Rotation rotation);

/// The scale a zoom mode shows, as an exact ratio: displayed pixels per
/// image pixel along the side the mode fits.
struct FitRatio
{
    int displayed; ///< the surface's extent along that side (1 for NoZoom)
    int image;     ///< the image's extent along that side (1 for NoZoom)
    double value() const { return static_cast<double>(displayed) / image; }
};

/// The scale at which @p mode shows an (already rotated) image of size
/// @p image on a surface of outer size @p surface: FitPage fits the height
/// when the surface is wider than the image (aspect ratios compared), else
/// the width; NoZoom is 1. The one definition of a fit's scale: both the
/// displayed size (fitted_size()) and the zoom rate a viewer reports follow
/// from it. Throws ValueError "Unsupported Zoom Mode: <name>" for ZoomAny,
/// and ValueError when a fit mode cannot form a scale (a surface or image
/// extent of 0 that the mode needs).
FitRatio fit_ratio(ZoomMode mode, cv::Size image, cv::Size surface);

/// A displayed extent from the exact @p extent of an image at some scale:
/// truncated as fitted_size() truncates (a hair below a whole pixel, as
/// floating point leaves it, counts as that pixel), at least 1.
int displayed_extent(double extent);

/// Displayed size of an (already rotated) image of size @p image on a
/// surface of outer size @p surface: each side scaled by fit_ratio() and
/// truncated, the fitted side thus the surface's. NoZoom keeps the image
/// size. A side that the scale would truncate to 0 gets 1 pixel. Throws ValueError
/// "Unsupported Zoom Mode: <name>" for ZoomAny, and ValueError when a fit
/// mode cannot form a scale (a surface or image extent of 0 that the mode
/// needs) or would make a side longer than 2^30 pixels.
cv::Size fitted_size(ZoomMode mode, cv::Size image, cv::Size surface);

/// Settings of one scroll bar after a fitting.
struct ScrollBarSetup
{
    int position;
    int thumb_size;
    int range;
    int page_size;
};

/// One scroll bar for a displayed extent @p image_extent on a surface of
/// outer extent @p surface_extent, at @p position: the thumb is the surface
/// while it is smaller than the image, else the image; the page is one less.
ScrollBarSetup scroll_bar_setup(int position, int surface_extent, int image_extent);

/// The part of the displayed image that is visible, and where it goes.
struct VisibleRegion
{
    cv::Rect source; ///< columns and rows of the displayed image, cut at its edges
    int x;           ///< left edge in control coordinates
    int y;           ///< top edge in control coordinates
    int width;       ///< width of the visible region
    int height;      ///< height of the visible region
};

/// Visible region of a displayed image of size @p image in a client area of
/// size @p client scrolled to thumb positions (@p subx, @p suby). An image
/// narrower (shorter) than the client area is centred, the odd pixel going
/// to the right (bottom).
VisibleRegion visible_region(cv::Size image, cv::Size client, int subx, int suby);

/// Top-left corner at which an image of size @p image is centred in a
/// client area of size @p client (may be negative).
cv::Point centred_origin(cv::Size image, cv::Size client);

/// -1, 0 or 1 after the sign of a wheel rotation.
int wheel_sign(int rotation);

/// True when a wheel turn at @p pointer moves the horizontal scroll bar: the
/// pointer is at least as near the bottom edge as the right edge.
bool wheel_moves_horizontal(cv::Point pointer, cv::Size client);

/// New thumb position after a scroll of @p sign * @p count positions (a
/// positive sign moves toward the start), clamped to [0, range - thumb].
int scrolled_position(int position, int sign, int count, int range, int thumb_size);

/// Thumb positions that drag the view with the pointer: the positions
/// @p start had when the pointer was at @p from, moved against its way to
/// @p to; saturated to the range of int (the bars clamp them further).
cv::Point panned_position(cv::Point start, cv::Point from, cv::Point to);

/// Displayed-image position under control point @p pointer, or (-1, -1)
/// when it lies outside @p image_rect (edges inclusive).
cv::Point image_position(cv::Point pointer, cv::Rect image_rect, int subx, int suby);

/// Selection size when dragging from @p anchor to @p pointer: the number of
/// columns (rows) from one to the other, both included, positive going right
/// (down) and negative going left (up). Dragging from column 20 to 50 gives
/// 31, from 50 to 20 gives -31; only an undragged anchor has a size of 0.
cv::Size drag_size(cv::Point anchor, cv::Point pointer);

/// The pixels a selection (x, y, width, height) covers, as [x, y, width,
/// height] with non-negative width and height: a negative extent counts
/// back from the anchor, which stays included (x 50, width -31 gives x 20,
/// width 31). A width or height of 0 covers no pixel.
std::array<int, 4> normalised_selection(int x, int y, int width, int height);

/// The part of @p rect inside an image of size @p image (may be empty).
cv::Rect clip_to_image(cv::Rect rect, cv::Size image);

/// Columns (or rows) of the middle lines of an extent: one at extent / 2 for
/// an even extent, two at (extent - 1) / 2 and (extent + 1) / 2 for an odd one.
std::array<int, 2> middle_lines(int extent, int& count);

} // namespace tesk_vumo::geometry

#endif
