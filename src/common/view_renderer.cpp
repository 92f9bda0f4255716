#include "view_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include <opencv2/core/hal/intrin.hpp>
#include <opencv2/imgproc.hpp>

#include "image_memory.h"
#include "tesk_vumo/common/errors.h"

namespace tesk_vumo {

namespace {

// Rows of the picture are made in this many stripes, side by side where
// OpenCV has threads; each stripe has its own working row.
constexpr int stripes = 8;
// Interpolation weights are fixed-point fractions of weight_one.
constexpr int weight_bits = 8;
constexpr int weight_one = 1 << weight_bits;

/// Offsets (index x @p stride) of the image pixels nearest to @p count
/// points along one side of the image, @p step apart from @p first (OpenCV's
/// coordinates), clamped to its @p extent.
void nearest_taps(double first, double step, int count, int extent, int stride, std::vector<int>& taps)
{
    taps.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const int at = static_cast<int>(std::floor(first + step * i + 0.5));
        taps[i] = std::clamp(at, 0, extent - 1) * stride;
    }
}

/// As nearest_taps(), the pixels on either side of each point and the
/// weight of the second one.
void bilinear_taps(double first, double step, int count, int extent, int stride, std::vector<int>& taps,
                   std::vector<int>& next, std::vector<int>& weights)
{
    taps.resize(static_cast<std::size_t>(count));
    next.resize(taps.size());
    weights.resize(taps.size());
    for (int i = 0; i < count; ++i) {
        const double at = first + step * i;
        const double below = std::floor(at);
        const int index = static_cast<int>(below);
        taps[i] = std::clamp(index, 0, extent - 1) * stride;
        next[i] = std::clamp(index + 1, 0, extent - 1) * stride;
        weights[i] = static_cast<int>(std::lround((at - below) * weight_one));
    }
}

/// Pixel x of @p from and of @p to: the pixels of @p row at byte offsets
/// taps[x] and next[x].
void gather_pairs(const uchar* row, const int* taps, const int* next, int count, uchar* __restrict from,
                  uchar* __restrict to)
{
    for (int x = 0; x < count; ++x, from += 3, to += 3) {
        const uchar* a = row + taps[x];
        const uchar* b = row + next[x];
        from[0] = a[0];
        from[1] = a[1];
        from[2] = a[2];
        to[0] = b[0];
        to[1] = b[1];
        to[2] = b[2];
    }
}

/// out = from + (to - from) w / weight_one, rounded, byte by byte, where w
/// is weights[i], or @p weight for all bytes when @p weights is null.
void blend_bytes(const uchar* from, const uchar* to, const ushort* weights, int weight, int count, uchar* out)
{
    int i = 0;
#if CV_SIMD
    const cv::v_uint16 one = cv::vx_setall_u16(weight_one), half = cv::vx_setall_u16(weight_one / 2);
    const cv::v_uint16 fixed = cv::vx_setall_u16(static_cast<ushort>(weight));
    for (; i + cv::v_uint8::nlanes <= count; i += cv::v_uint8::nlanes) {
        cv::v_uint16 a0, a1, b0, b1;
        cv::v_expand(cv::vx_load(from + i), a0, a1);
        cv::v_expand(cv::vx_load(to + i), b0, b1);
        const cv::v_uint16 w0 = weights ? cv::vx_load(weights + i) : fixed;
        const cv::v_uint16 w1 = weights ? cv::vx_load(weights + i + cv::v_uint16::nlanes) : fixed;
        // At most 255 x weight_one + weight_one / 2: no 16-bit sum overflows.
        const cv::v_uint16 r0 = cv::v_mul_wrap(a0, one - w0) + cv::v_mul_wrap(b0, w0) + half;
        const cv::v_uint16 r1 = cv::v_mul_wrap(a1, one - w1) + cv::v_mul_wrap(b1, w1) + half;
        cv::v_store(out + i, cv::v_pack(r0 >> weight_bits, r1 >> weight_bits));
    }
#endif
    for (; i < count; ++i) {
        const int w = weights ? weights[i] : weight;
        out[i] = static_cast<uchar>((from[i] * (weight_one - w) + to[i] * w + weight_one / 2) >> weight_bits);
    }
}

template <class Work>
void for_each_stripe(int rows, const Work& work)
{
    cv::parallel_for_(cv::Range(0, stripes), [&](const cv::Range& range) {
        for (int s = range.start; s < range.end; ++s)
            work(s, rows * s / stripes, rows * (s + 1) / stripes);
    });
}

} // namespace

const cv::Mat& ViewRenderer::render(ImagePyramid& pyramid, const geometry::ViewTransform& view,
                                    const cv::Vec3b& background)
{
    make_image(picture_, view.viewport(), CV_8UC3);
    const cv::Scalar fill(background[0], background[1], background[2]);
    const cv::Rect covered
        = pyramid.empty() ? cv::Rect() : view.image_rect() & cv::Rect(cv::Point(), picture_.size());
    fill_outside(picture_, covered, fill);
    if (covered.area() <= 0)
        return picture_;

    const int k = pyramid.level_for(view.scale());
    const cv::Mat& level = pyramid.level(k);
    // Picture pixel (x, y) of the covered part, centre (x + 0.5, y + 0.5)
    // in control coordinates, to the level in OpenCV's coordinates.
    const double to_level = std::ldexp(1.0, -k);
    const cv::Matx23d m = view.control_to_source_matrix();
    const double cx = covered.x + 0.5, cy = covered.y + 0.5;
    const cv::Matx23d to_image(to_level * m(0, 0), to_level * m(0, 1),
                               to_level * (m(0, 0) * cx + m(0, 1) * cy + m(0, 2)) - 0.5, to_level * m(1, 0),
                               to_level * m(1, 1), to_level * (m(1, 0) * cx + m(1, 1) * cy + m(1, 2)) - 0.5);
    const int quarter = view.quarter_turns();
    if (quarter >= 0 && view.scale() == to_level && copy_block(level, to_image, covered))
        return picture_;
    const bool nearest = view.scale() > 1.0 || (view.scale() == 1.0 && quarter >= 0);
    if (quarter < 0) {
        cv::Mat place = picture_(covered);
        cv::warpAffine(level, place, to_image, covered.size(),
                       (nearest ? cv::INTER_NEAREST : cv::INTER_LINEAR) | cv::WARP_INVERSE_MAP, cv::BORDER_CONSTANT,
                       fill);
        return picture_;
    }
    // A quarter turn keeps rows on rows or columns: its samples are tables
    // per row and per column, several times faster than warpAffine's, and
    // its edge pixels repeat the image's instead of fading into the
    // background (the displayed image is all image). Turned a quarter,
    // picture rows run along image columns: the picture is sampled
    // transposed, reading image rows, and transposed into place.
    const bool upright = quarter % 2 == 0;
    const Line rows = upright ? Line{to_image(1, 2), to_image(1, 1)} : Line{to_image(1, 2), to_image(1, 0)};
    const Line columns = upright ? Line{to_image(0, 2), to_image(0, 0)} : Line{to_image(0, 2), to_image(0, 1)};
    // Of the viewport's size, so that zooming in and out keeps its memory.
    if (!upright)
        make_image(transposed_, cv::Size(picture_.rows, picture_.cols), CV_8UC3);
    cv::Mat target = upright ? picture_(covered) : transposed_(cv::Rect(0, 0, covered.height, covered.width));
    if (nearest)
        sample_nearest(level, rows, columns, target);
    else
        sample_bilinear(level, rows, columns, target);
    if (!upright) {
        cv::Mat place = picture_(covered);
        cv::transpose(target, place);
    }
    return picture_;
}

bool ViewRenderer::copy_block(const cv::Mat& image, const cv::Matx23d& to_image, cv::Rect covered)
{
    // Nearer a whole pixel than a bilinear weight's step: sampling would
    // take that pixel alone.
    constexpr double whole_tolerance = 1e-6;
    cv::Matx23d whole;
    for (int i = 0; i < 6; ++i) {
        whole.val[i] = std::round(to_image.val[i]);
        if (std::abs(to_image.val[i] - whole.val[i]) > whole_tolerance)
            return false;
    }
    const cv::Point2d first = whole * cv::Vec3d(0, 0, 1);
    const cv::Point2d last = whole * cv::Vec3d(covered.width - 1, covered.height - 1, 1);
    const cv::Rect block(cv::Point(static_cast<int>(std::min(first.x, last.x)), static_cast<int>(std::min(first.y, last.y))),
                         cv::Point(static_cast<int>(std::max(first.x, last.x)) + 1,
                                   static_cast<int>(std::max(first.y, last.y)) + 1));
    // Sampling repeats the edge pixels beyond the image; a block must lie within it.
    if ((block & cv::Rect(0, 0, image.cols, image.rows)) != block)
        return false;
    cv::Mat place = picture_(covered);
    const cv::Mat part = image(block);
    if (whole(0, 0) == 1 && whole(1, 1) == 1)
        part.copyTo(place);
    else if (whole(0, 0) == -1 && whole(1, 1) == -1)
        cv::rotate(part, place, cv::ROTATE_180);
    else if (whole(0, 1) == 1 && whole(1, 0) == -1)
        cv::rotate(part, place, cv::ROTATE_90_CLOCKWISE);
    else if (whole(0, 1) == -1 && whole(1, 0) == 1)
        cv::rotate(part, place, cv::ROTATE_90_COUNTERCLOCKWISE);
    else
        return false;
    return true;
}

void ViewRenderer::sample_nearest(const cv::Mat& image, Line rows, Line columns, cv::Mat target)
{
    // The pixel at target (x, y) is image byte row_taps_[y] + column_taps_[x].
    const int pixel = static_cast<int>(image.elemSize());
    nearest_taps(rows.first, rows.step, target.rows, image.rows, static_cast<int>(image.step[0]), row_taps_);
    nearest_taps(columns.first, columns.step, target.cols, image.cols, pixel, column_taps_);
    const bool contiguous = column_taps_.back() - column_taps_.front() == (target.cols - 1) * pixel;
    const std::size_t row_bytes = static_cast<std::size_t>(target.cols) * 3;
    for_each_stripe(target.rows, [&](int, int begin, int end) {
        for (int y = begin; y < end; ++y) {
            uchar* out = target.ptr(y);
            if (y > begin && row_taps_[y] == row_taps_[y - 1]) {
                std::memcpy(out, target.ptr(y - 1), row_bytes);
                continue;
            }
            const uchar* base = image.data + row_taps_[y];
            if (contiguous) {
                std::memcpy(out, base + column_taps_.front(), row_bytes);
                continue;
            }
            for (int x = 0; x < target.cols; ++x, out += 3) {
                const uchar* in = base + column_taps_[x];
                out[0] = in[0];
                out[1] = in[1];
                out[2] = in[2];
            }
        }
    });
}

void ViewRenderer::sample_bilinear(const cv::Mat& image, Line rows, Line columns, cv::Mat target)
{
    // Separable: each target row blends its two image rows over the columns
    // it reads, then interpolates along that blended row.
    const int pixel = static_cast<int>(image.elemSize());
    bilinear_taps(rows.first, rows.step, target.rows, image.rows, 1, row_taps_, row_next_, row_weights_);
    bilinear_taps(columns.first, columns.step, target.cols, image.cols, pixel, column_taps_, column_next_,
                  column_weights_);
    const auto [low, high] = std::minmax_element(column_taps_.begin(), column_taps_.end());
    const int first = std::min(*low, *std::min_element(column_next_.begin(), column_next_.end()));
    const int last = std::max(*high, *std::max_element(column_next_.begin(), column_next_.end())) + pixel;
    const int span = last - first;
    for (std::size_t x = 0; x < column_taps_.size(); ++x) {
        column_taps_[x] -= first;
        column_next_[x] -= first;
    }
    const int width_bytes = target.cols * 3;
    // Per stripe: the blended row, and the two pixels each column blends.
    const int working = std::max(span, 2 * width_bytes);
    if (working_rows_.rows < 2 * stripes || working_rows_.cols < working)
        make_image(working_rows_, cv::Size(std::max(working, working_rows_.cols), 2 * stripes), CV_8UC1);
    byte_weights_.resize(static_cast<std::size_t>(width_bytes));
    for (int x = 0; x < target.cols; ++x)
        for (int c = 0; c < 3; ++c)
            byte_weights_[3 * x + c] = static_cast<ushort>(column_weights_[x]);
    const int* taps = column_taps_.data();
    const int* next = column_next_.data();
    for_each_stripe(target.rows, [&](int stripe, int begin, int end) {
        uchar* blended = working_rows_.ptr(2 * stripe);
        uchar* from = working_rows_.ptr(2 * stripe + 1);
        uchar* to = from + width_bytes;
        for (int y = begin; y < end; ++y) {
            const int weight = row_weights_[y];
            const uchar* row = image.ptr(row_taps_[y]) + first;
            if (weight != 0 && row_next_[y] != row_taps_[y]) {
                blend_bytes(row, image.ptr(row_next_[y]) + first, nullptr, weight, span, blended);
                row = blended;
            }
            gather_pairs(row, taps, next, target.cols, from, to);
            blend_bytes(from, to, byte_weights_.data(), 0, width_bytes, target.ptr(y));
        }
    });
}

cv::Mat displayed_image(ImagePyramid& pyramid, const geometry::ViewTransform& view, const cv::Vec3b& background,
                        long long max_pixels)
{
    const cv::Size size = view.displayed_size();
    if (static_cast<long long>(size.width) * size.height > max_pixels)
        throw ValueError("Cannot make a " + std::to_string(size.width) + "x" + std::to_string(size.height)
                         + " displayed image: more than " + std::to_string(max_pixels) + " pixels");
    // Its own renderer: the picture it leaves is the caller's alone.
    ViewRenderer renderer;
    return renderer.render(pyramid,
                           geometry::ViewTransform(view.source_size(), view.scale(), view.degrees(), size),
                           background);
}

} // namespace tesk_vumo
