#ifndef TESK_VUMO_SRC_COMMON_DISPLAY_MAPPING_H
#define TESK_VUMO_SRC_COMMON_DISPLAY_MAPPING_H

// How samples of any depth and 1, 3 or 4 channels become the 8-bit R, G, B
// a screen shows: levels, colour map, alpha over a checkerboard, NaN and
// infinities as background. Pure functions on cv::Mat.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <opencv2/core.hpp>

namespace tesk_vumo {

struct DisplayMapping
{
    double low = 0.0;   ///< shown as 0
    double high = 255.0; ///< shown as 255
    int colormap = -1;  ///< a cv::ColormapTypes value for one-channel samples; -1 for gray
    cv::Vec3b background{0, 0, 0}; ///< R, G, B of NaN and infinite samples
    bool operator==(const DisplayMapping& other) const
    {
        return low == other.low && high == other.high && colormap == other.colormap && background == other.background;
    }
};

/// Side of a checkerboard square in screen pixels, and its two greys.
inline constexpr int checker_square = 8;
inline constexpr uchar checker_light = 204;
inline constexpr uchar checker_dark = 153;

/// The cv::ColormapTypes value of colour map @p name ("viridis", ...), -1 for
/// "gray", nullopt for a name no map has.
std::optional<int> colormap_code(const std::string& name);

/// Whether @p interpolation names a mode: "linear", "nearest" or "area".
bool interpolation_known(const std::string& interpolation);

/// The full scale of an alpha sample of depth @p depth: 255, 65535, 32767,
/// 2^31 - 1, or 1 for floating point.
double alpha_scale(int depth);

/// The least and greatest finite colour samples (alpha left out) of
/// @p image; (0, 255) for 8-bit samples, and for an image without a finite
/// sample; (v, v + 1) for an image of one value v. Reads every sample:
/// give it a reduced copy of a large image.
std::pair<double, double> sample_range(const cv::Mat& image);

/// The levels a new source is shown with: (0, 255) for 8-bit samples, else
/// sample_range() of @p image, read from every row of an image of up to
/// 4 megapixels and from evenly spaced rows of about a megapixel in all of
/// a larger one (a pass over a large source would cost more than showing it).
std::pair<double, double> automatic_levels(const cv::Mat& image);

/// The read-out of samples @p value of depth @p depth: integers as they
/// are, floating point to four significant digits, separated by ", ".
std::string value_text(const std::vector<double>& value, int depth);

/// Writes into @p rgb (8-bit R, G, B, of @p samples' size) the picture of
/// @p samples (1, 3 or 4 channels, any depth but 8-bit 3-channel): each
/// colour sample levelled linearly from [low, high] to [0, 255]; one channel
/// through the colour map; alpha (unlevelled) over the checkerboard fixed
/// on the screen, where pixel (x, y) of @p samples lies at screen point
/// @p checker_origin + (x, y); a pixel with a NaN or infinite colour sample
/// in the background colour.
void map_samples(const cv::Mat& samples, const DisplayMapping& mapping, cv::Point checker_origin, cv::Mat rgb);

} // namespace tesk_vumo

#endif
