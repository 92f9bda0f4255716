#ifndef TESK_VUMO_COMMON_VIEW_TRANSFORM_H
#define TESK_VUMO_COMMON_VIEW_TRANSFORM_H

// A view of an image at a free scale and angle, scrolled in a viewport: the
// arithmetic of showing an image without making its displayed image.
//
// Three coordinate systems, all continuous, x to the right and y down, with
// pixel (c, r) covering [c, c + 1) x [r, r + 1), so that its centre is at
// (c + 0.5, r + 0.5):
//  - source: the stored image, unturned;
//  - displayed: the turned and scaled image, whose pixels span the bounding
//    box of the turned image (displayed_size());
//  - control: the viewport (the drawing surface's client area, or the
//    buffer's pixels where these differ).
// A displayed point d is at control point d - offset() + placement().

#include <opencv2/core.hpp>

#include "tesk_vumo/common/rotation.h"
#include "tesk_vumo/common/view_geometry.h"
#include "tesk_vumo/common/zoom_mode.h"

namespace tesk_vumo::geometry {

inline constexpr double min_zoom_rate = 1.0 / 64;
inline constexpr double max_zoom_rate = 64.0;

/// @p rate, or ValueError "Unsupported Zoom Rate: <rate>" outside
/// [min_zoom_rate, max_zoom_rate] (NaN included).
double checked_zoom_rate(double rate);

/// The rate @p steps rungs up (steps > 0) or down from @p rate on the ladder
/// of quarter powers of two (..., 0.5, 0.59, 0.71, 0.84, 1, 1.19, ...), which
/// passes through 1:1 and every power of two; clamped to the allowed rates.
/// A rate between two rungs goes to the next rung in the step's direction;
/// a rate beyond an end (a fit's) steps to that end toward the ladder and
/// stays where it is away from it.
double stepped_zoom_rate(double rate, int steps);

/// The scale at which a zoom mode shows an image of (turned) size @p image
/// on a surface of outer size @p surface: fit_ratio() as a number, not
/// limited to the rates a host may set (a fit may enlarge beyond them);
/// throws as fitted_size() does.
double fitted_zoom_rate(ZoomMode mode, cv::Size image, cv::Size surface);

/// Degrees, clockwise, by which @p rotation turns the image: the quarter
/// turns' own, @p any_degree for DegreeAny.
double rotation_degrees(Rotation rotation, double any_degree);

/// An image of a given size at a scale and a clockwise angle, turned around
/// its centre, in a viewport, scrolled. An immutable value: the changes make
/// new transforms. Quarter turns are exact (no trigonometry), and agree with
/// geometry::rotate().
class ViewTransform
{
public:
    /// @param source  size of the unturned image (both sides > 0)
    /// @param scale   displayed pixels per source pixel, positive (a fit's
    ///                scale may lie beyond the rates checked_zoom_rate() allows)
    /// @param degrees clockwise angle, any finite value (taken modulo 360)
    /// @param viewport size of the viewport (may be empty)
    /// @param offset  scroll offset, clamped to [0, max_offset()]
    /// Throws ValueError for an empty source, a scale that is not positive
    /// and finite or makes a side longer than 2^30, or an angle that is not
    /// finite.
    ViewTransform(cv::Size source, double scale, double degrees, cv::Size viewport,
                  cv::Point2d offset = {0.0, 0.0});

    /// The view a fit mode shows: @p source turned by @p quarter_turns (0 to
    /// 3) and stretched to @p displayed, each side by its own ratio, as
    /// cv::resize maps the turned image onto that size. scale() is the
    /// fit's @p scale, which the truncated sides only approach. Throws as
    /// the constructor does.
    static ViewTransform fitted(cv::Size source, double scale, int quarter_turns, cv::Size displayed,
                                cv::Size viewport, cv::Point2d offset = {0.0, 0.0});

    cv::Size source_size() const { return source_; }
    double scale() const { return scale_; }
    /// The angle in [0, 360).
    double degrees() const { return degrees_; }
    /// 0 to 3 quarter turns clockwise, or -1 for any other angle.
    int quarter_turns() const { return quarter_; }
    cv::Size viewport() const { return viewport_; }
    /// Whether this is a fit's view, stretched to its sides (see fitted()).
    bool stretched() const { return stretched_; }

    /// Size of the displayed image: the bounding box of the turned, scaled
    /// image in whole pixels (at least 1 x 1), truncated as displayed_extent()
    /// does at a quarter turn, so that a fit's scale gives the fit's size,
    /// rounded at any other angle. Centre maps to centre.
    cv::Size displayed_size() const { return displayed_; }
    /// The displayed point at the viewport's top-left (or image_rect()'s
    /// top-left where the image does not fill the viewport): the scroll
    /// position, which is 0 along a side where the image fits.
    cv::Point2d offset() const { return offset_; }
    /// The largest offset: displayed size - viewport, at least 0, per side.
    cv::Point2d max_offset() const;
    /// Where the displayed image's top-left is at offset 0: centred along a
    /// side where it is narrower than the viewport (the odd pixel right or
    /// down, as visible_region()), else 0.
    cv::Point placement() const { return placement_; }
    /// The control pixels that the displayed image covers in the viewport.
    cv::Rect image_rect() const;
    /// The visible part of the displayed image and where it is drawn, as
    /// visible_region() gives it for a materialised displayed image scrolled
    /// to the whole pixels of offset().
    VisibleRegion visible_region() const;

    cv::Point2d source_to_display(cv::Point2d p) const;
    cv::Point2d display_to_source(cv::Point2d d) const;
    cv::Point2d display_to_control(cv::Point2d d) const;
    cv::Point2d control_to_display(cv::Point2d c) const;
    cv::Point2d source_to_control(cv::Point2d p) const;
    cv::Point2d control_to_source(cv::Point2d c) const;

    /// The source pixel under the centre of control pixel @p control, or
    /// (-1, -1) where that is outside the source image.
    cv::Point source_pixel(cv::Point control) const;
    /// The displayed pixel under control pixel @p control, or (-1, -1) where
    /// that is outside image_rect() (edges inclusive, as image_position()).
    cv::Point display_pixel(cv::Point control) const;
    /// The source pixels that displayed rectangle @p display (pixels, may be
    /// partly outside) covers: the bounding box of its four corners mapped
    /// to the source, widened to whole pixels and cut at the source's edges.
    cv::Rect source_rect(cv::Rect display) const;
    /// The bounding box of displayed rectangle @p display's corners mapped
    /// to the source, in continuous source coordinates, uncut.
    cv::Rect2d source_box(cv::Rect2d display) const;
    /// The source pixels that source box @p box touches: widened to whole
    /// pixels and cut at the source's edges. source_rect() is
    /// source_pixels(source_box(display)).
    cv::Rect source_pixels(cv::Rect2d box) const;
    /// The displayed pixels that source box @p box spans: the bounding box
    /// of its corners mapped to the displayed image, its edges rounded to
    /// whole pixels; at least one pixel along a side where @p box has extent.
    cv::Rect display_rect(cv::Rect2d box) const;
    /// How many displayed pixels one source pixel spans across and down (the
    /// bounding box of its turned, scaled square), rounded, at least 1.
    cv::Size source_pixel_span() const;

    /// Source coordinates as a function of displayed coordinates, which no
    /// viewport or scroll enters.
    cv::Matx23d display_to_source_matrix() const;
    /// Source coordinates as a function of control coordinates, and back.
    cv::Matx23d control_to_source_matrix() const;
    cv::Matx23d source_to_control_matrix() const;

    /// The same view at @p scale, scrolled so that the source point under
    /// @p control stays under it, as far as the scroll range allows.
    ViewTransform zoomed_about(cv::Point2d control, double scale) const;
    /// The same view at @p degrees, keeping the source point under @p control.
    ViewTransform turned_about(cv::Point2d control, double degrees) const;
    /// The same view in a viewport of @p viewport, keeping the source point
    /// at the viewport's centre at the new centre.
    ViewTransform resized(cv::Size viewport) const;
    /// The same view (scale, angle, displayed size and mapping) in a
    /// viewport of @p viewport scrolled to @p offset (clamped).
    ViewTransform in_viewport(cv::Size viewport, cv::Point2d offset) const;
    /// The same view scrolled to @p offset (clamped).
    ViewTransform scrolled_to(cv::Point2d offset) const;

    /// Whether both show the same pixels in the same places.
    bool operator==(const ViewTransform& other) const;
    bool operator!=(const ViewTransform& other) const { return !(*this == other); }

private:
    cv::Point2d clamped(cv::Point2d offset) const;
    /// This transform's source point @p p put under @p control in @p next.
    static ViewTransform anchored(ViewTransform next, cv::Point2d p, cv::Point2d control);

    cv::Size source_;
    double scale_;
    double degrees_;
    int quarter_;
    double cos_;
    double sin_;
    // Displayed pixels per source pixel along the displayed image's x and y:
    // both the scale but in a fit's view.
    double scale_x_;
    double scale_y_;
    bool stretched_ = false;
    cv::Size viewport_;
    cv::Size displayed_;
    cv::Point placement_;
    cv::Point2d offset_;
};

} // namespace tesk_vumo::geometry

#endif
