#ifndef TESK_VUMO_SRC_COMMON_OVERLAY_AREAS_H
#define TESK_VUMO_SRC_COMMON_OVERLAY_AREAS_H

#include <cstdint>
#include <optional>
#include <vector>

#include <opencv2/core.hpp>

namespace tesk_vumo {

/// What a redraw put on a viewer's surface, in device pixels of the
/// surface: the picture under the marks that follow the pointer, and where
/// those marks lie.
struct ShownOverlays
{
    /// What lies under the following lines and the outline. The number is
    /// a new one whenever the picture may have changed (a fitting, a new
    /// image, a redraw asked for by the host).
    struct Picture
    {
        unsigned long number = 0;
        cv::Point scroll;                          ///< the scroll bars' positions
        std::uint32_t background = 0;              ///< its colour (RGBA)
        std::optional<std::uint32_t> middle_lines; ///< their colour (RGBA), when drawn
        bool operator==(const Picture& other) const
        {
            return number == other.number && scroll == other.scroll && background == other.background
                   && middle_lines == other.middle_lines;
        }
    };
    Picture picture;
    cv::Size surface;
    std::optional<cv::Point> pointer; ///< where the following lines cross, when drawn
    cv::Rect outline;                 ///< the selection outline as drawn, from x to x + width - 1
    std::optional<std::uint32_t> focus; ///< the focus mark's colour (RGBA), when drawn along the surface's edge
};

/// The parts of the surface to show again when @p now replaces @p before
/// (none yet: nothing was shown): the whole surface when the picture or the
/// surface differ; else the bands, @p margin pixels to either side, of the
/// following lines and the outline's sides that moved, before and now, and
/// of the surface's edge where the focus mark came, went or changed colour,
/// cut to the surface. Empty when nothing changed. The rectangles may overlap.
std::vector<cv::Rect> changed_areas(const std::optional<ShownOverlays>& before, const ShownOverlays& now,
                                    int margin);

} // namespace tesk_vumo

#endif
