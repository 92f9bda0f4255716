#ifndef TESK_VUMO_SRC_COMMON_RGB_BITMAP_H
#define TESK_VUMO_SRC_COMMON_RGB_BITMAP_H

#include <opencv2/core.hpp>
#include <wx/bitmap.h>

namespace tesk_vumo {

/// A bitmap of @p rgb's own size from its 8-bit R, G, B samples (any row
/// stride). Returns an invalid bitmap for an empty image.
wxBitmap bitmap_from_rgb(const cv::Mat& rgb);

} // namespace tesk_vumo

#endif
