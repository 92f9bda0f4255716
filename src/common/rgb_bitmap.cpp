#include "rgb_bitmap.h"

#include <cstring>

#include <wx/image.h>

namespace tesk_vumo {

wxBitmap bitmap_from_rgb(const cv::Mat& rgb)
{
    if (rgb.empty() || rgb.type() != CV_8UC3)
        return wxBitmap();
    const int w = rgb.cols, h = rgb.rows;
    // wxImage takes ownership of malloc'ed data and frees it itself.
    auto* data = static_cast<unsigned char*>(malloc(static_cast<size_t>(w) * h * 3));
    if (!data)
        return wxBitmap();
    const size_t row_bytes = static_cast<size_t>(w) * 3;
    for (int r = 0; r < h; ++r)
        std::memcpy(data + r * row_bytes, rgb.ptr(r), row_bytes);
    wxImage image(w, h, data);
    return wxBitmap(image);
}

} // namespace tesk_vumo
