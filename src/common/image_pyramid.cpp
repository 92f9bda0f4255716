#include "image_pyramid.h"

#include <algorithm>
#include <cmath>

#include <opencv2/imgproc.hpp>

#include "image_memory.h"

namespace tesk_vumo {

namespace {

/// The 2 x 2 means of @p from into @p to, of half its size rounded up.
void halve(const cv::Mat& from, cv::Mat& to)
{
    if (from.depth() == CV_32S) {
        // OpenCV averages no 32-bit integers: as doubles, the means rounded back.
        cv::Mat wide, half;
        from.convertTo(wide, CV_64F);
        halve(wide, half);
        make_image(to, half.size(), from.type());
        half.convertTo(to, CV_32S);
        return;
    }
    const int w = from.cols, h = from.rows, half_w = w / 2, half_h = h / 2;
    make_image(to, cv::Size((w + 1) / 2, (h + 1) / 2), from.type());
    // INTER_AREA at exactly one half is OpenCV's fast 2 x 2 mean; the odd
    // column and row are averaged apart so that level pixels keep their
    // place instead of stretching over the whole width.
    const auto area = [](const cv::Mat& a, cv::Mat b) { cv::resize(a, b, b.size(), 0, 0, cv::INTER_AREA); };
    if (half_w > 0 && half_h > 0)
        area(from(cv::Rect(0, 0, 2 * half_w, 2 * half_h)), to(cv::Rect(0, 0, half_w, half_h)));
    if (w % 2 != 0 && half_h > 0)
        area(from(cv::Rect(w - 1, 0, 1, 2 * half_h)), to(cv::Rect(half_w, 0, 1, half_h)));
    if (h % 2 != 0 && half_w > 0)
        area(from(cv::Rect(0, h - 1, 2 * half_w, 1)), to(cv::Rect(0, half_h, half_w, 1)));
    if (w % 2 != 0 && h % 2 != 0)
        from(cv::Rect(w - 1, h - 1, 1, 1)).copyTo(to(cv::Rect(half_w, half_h, 1, 1)));
}

} // namespace

void ImagePyramid::reset(const cv::Mat& image)
{
    made_ = 0;
    if (image.empty()) {
        levels_.clear();
        return;
    }
    int count = 1;
    for (cv::Size size = image.size(); count <= max_level && (size.width > 1 || size.height > 1); ++count)
        size = {(size.width + 1) / 2, (size.height + 1) / 2};
    const bool same = !levels_.empty() && levels_[0].size() == image.size() && levels_[0].type() == image.type();
    levels_.resize(static_cast<std::size_t>(count));
    for (std::size_t k = 1; k < levels_.size(); ++k)
        if (!same || !held_alone(levels_[k]))
            levels_[k].release();
    levels_[0] = image;
    made_ = 1;
}

int ImagePyramid::level_for(double scale) const
{
    if (levels_.empty() || !(scale > 0))
        return 0;
    const long k = std::lround(-std::log2(scale));
    return static_cast<int>(std::clamp<long>(k, 0, level_count() - 1));
}

const cv::Mat& ImagePyramid::level(int k)
{
    static const cv::Mat none;
    if (levels_.empty())
        return none;
    k = std::clamp(k, 0, level_count() - 1);
    for (; made_ <= k; ++made_)
        halve(levels_[made_ - 1], levels_[made_]);
    return levels_[k];
}

std::size_t ImagePyramid::level_bytes() const
{
    std::size_t bytes = 0;
    for (int k = 1; k < made_; ++k)
        bytes += levels_[k].total() * levels_[k].elemSize();
    return bytes;
}

} // namespace tesk_vumo
