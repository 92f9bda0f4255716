#include "view_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>

#include <opencv2/imgproc.hpp>

#include "image_memory.h"
#include "tesk_vumo/common/errors.h"

namespace tesk_vumo {

namespace {

// Rows of the picture are made in this many stripes, side by side where
// OpenCV has threads; each stripe has its own working row.
constexpr int stripes = 8;
// Interpolation weights are fixed-point fractions of weight_one, as precise
// as cv::resize's: (255 x 2^11) x 2^11 still fits an int.
constexpr int weight_bits = 11;
constexpr int weight_one = 1 << weight_bits;

/// Offsets (index x @p stride) of the image pixels nearest to @p count
/// points along one side of the image, point i at first + step (origin + i)
/// (OpenCV's coordinates), clamped to its @p extent.
void nearest_taps(double first, double step, int origin, int count, int extent, int stride, std::vector<int>& taps)
{
    taps.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const int at = static_cast<int>(std::floor(first + step * (origin + i) + 0.5));
        taps[i] = std::clamp(at, 0, extent - 1) * stride;
    }
}

/// As nearest_taps(), the pixels on either side of each point and the
/// weight of the second one in fixed point, as cv::resize forms them.
void bilinear_taps(double first, double step, int origin, int count, int extent, int stride,
                   std::vector<int>& taps, std::vector<int>& next, std::vector<int>& weights)
{
    taps.resize(static_cast<std::size_t>(count));
    next.resize(taps.size());
    weights.resize(taps.size());
    for (int i = 0; i < count; ++i) {
        const double at = first + step * (origin + i);
        const double below = std::floor(at);
        const int index = static_cast<int>(below);
        taps[i] = std::clamp(index, 0, extent - 1) * stride;
        next[i] = std::clamp(index + 1, 0, extent - 1) * stride;
        weights[i] = static_cast<int>(std::lround((at - below) * weight_one));
    }
}

/// Row @p row resampled along its columns: for each tap pair, the pixel at
/// taps[x] and the one at next[x] weighted, in fixed point (weight_one
/// times the value), channel by channel.
void resample_row(const uchar* row, const int* taps, const int* next, const int* weights, int count, int channels,
                  int* out)
{
    if (channels == 3) {
        // R, G, B spelled out: the loop the compiler cannot unroll costs half the redraw.
        for (int x = 0; x < count; ++x, out += 3) {
            const uchar* a = row + taps[x];
            const uchar* b = row + next[x];
            const int w = weights[x], k = weight_one - w;
            out[0] = a[0] * k + b[0] * w;
            out[1] = a[1] * k + b[1] * w;
            out[2] = a[2] * k + b[2] * w;
        }
        return;
    }
    for (int x = 0; x < count; ++x, out += channels) {
        const uchar* a = row + taps[x];
        const uchar* b = row + next[x];
        const int w = weights[x];
        for (int c = 0; c < channels; ++c)
            out[c] = a[c] * (weight_one - w) + b[c] * w;
    }
}

/// out = (from (weight_one - w) + to w) / weight_one^2, rounded.
void blend_rows(const int* from, const int* to, int w, int count, uchar* out)
{
    constexpr int shift = 2 * weight_bits;
    constexpr int half = 1 << (shift - 1);
    if (w == 0) {
        for (int i = 0; i < count; ++i)
            out[i] = static_cast<uchar>((from[i] * weight_one + half) >> shift);
        return;
    }
    const int keep = weight_one - w;
    for (int i = 0; i < count; ++i)
        out[i] = static_cast<uchar>((from[i] * keep + to[i] * w + half) >> shift);
}

/// @p src (8-bit, 3 channels) turned a quarter into @p dst (of the turned
/// size), clockwise or not, in tiles that stay in the cache: a block of a
/// wide image read down its columns would touch a page per pixel.
void turn_quarter(const cv::Mat& src, cv::Mat dst, bool clockwise)
{
    constexpr int tile = 64;
    const int across = (src.cols + tile - 1) / tile, down = (src.rows + tile - 1) / tile;
    cv::parallel_for_(cv::Range(0, across * down), [&](const cv::Range& range) {
        for (int t = range.start; t < range.end; ++t) {
            const int x0 = (t % across) * tile, y0 = (t / across) * tile;
            const int x1 = std::min(x0 + tile, src.cols), y1 = std::min(y0 + tile, src.rows);
            // Source pixel (x, y) lands at row x, column rows - 1 - y clockwise,
            // at row cols - 1 - x, column y otherwise: each row of the tile
            // is written down one column of the target.
            for (int y = y0; y < y1; ++y) {
                const uchar* in = src.ptr(y) + 3 * x0;
                const int column = clockwise ? src.rows - 1 - y : y;
                for (int x = x0; x < x1; ++x, in += 3) {
                    uchar* out = dst.ptr(clockwise ? x : src.cols - 1 - x) + 3 * column;
                    out[0] = in[0];
                    out[1] = in[1];
                    out[2] = in[2];
                }
            }
        }
    });
}

/// Picture pixel (x, y) of @p covered, centre (x + 0.5, y + 0.5) in
/// control coordinates, to level @p k of @p view's image in OpenCV's
/// coordinates.
cv::Matx23d to_level_matrix(const geometry::ViewTransform& view, int k, const cv::Rect& covered)
{
    const double to_level = std::ldexp(1.0, -k);
    const cv::Matx23d m = view.control_to_source_matrix();
    const double cx = covered.x + 0.5, cy = covered.y + 0.5;
    return {to_level * m(0, 0), to_level * m(0, 1), to_level * (m(0, 0) * cx + m(0, 1) * cy + m(0, 2)) - 0.5,
            to_level * m(1, 0), to_level * m(1, 1), to_level * (m(1, 0) * cx + m(1, 1) * cy + m(1, 2)) - 0.5};
}

/// cv::warpAffine (an inverse map), for 32-bit integers too, which it does
/// not take: the block of the image the picture reads is warped as doubles.
void warp_any(const cv::Mat& image, cv::Mat place, const cv::Matx23d& to_image, int interpolation, int border,
              const cv::Scalar& fill)
{
    if (image.depth() != CV_32S) {
        cv::warpAffine(image, place, to_image, place.size(), interpolation | cv::WARP_INVERSE_MAP, border, fill);
        return;
    }
    cv::Point2d low(1e300, 1e300), high(-1e300, -1e300);
    for (const cv::Point2d corner : {cv::Point2d(0, 0), cv::Point2d(place.cols - 1, 0),
                                     cv::Point2d(0, place.rows - 1), cv::Point2d(place.cols - 1, place.rows - 1)}) {
        const cv::Point2d at = to_image * cv::Vec3d(corner.x, corner.y, 1);
        low = {std::min(low.x, at.x), std::min(low.y, at.y)};
        high = {std::max(high.x, at.x), std::max(high.y, at.y)};
    }
    const cv::Rect block = cv::Rect(cv::Point(static_cast<int>(std::floor(low.x)) - 1, static_cast<int>(std::floor(low.y)) - 1),
                                    cv::Point(static_cast<int>(std::ceil(high.x)) + 2, static_cast<int>(std::ceil(high.y)) + 2))
                         & cv::Rect(0, 0, image.cols, image.rows);
    cv::Mat wide, warped;
    image(block).convertTo(wide, CV_64F);
    cv::Matx23d shifted = to_image;
    shifted(0, 2) -= block.x;
    shifted(1, 2) -= block.y;
    cv::warpAffine(wide, warped, shifted, place.size(), interpolation | cv::WARP_INVERSE_MAP, border, fill);
    warped.convertTo(place, CV_32S);
}

/// The block of @p image that a picture of @p size shows pixel for pixel,
/// unturned and unscaled, through @p to_image (whole pixels within the
/// image); empty where it shows anything else.
cv::Mat upright_block(const cv::Mat& image, const cv::Matx23d& to_image, cv::Size size)
{
    constexpr double whole_tolerance = 1e-6; // as copy_block's
    const cv::Point2d at(std::round(to_image(0, 2)), std::round(to_image(1, 2)));
    if (std::abs(to_image(0, 0) - 1) > whole_tolerance || std::abs(to_image(1, 1) - 1) > whole_tolerance
        || std::abs(to_image(0, 1)) > whole_tolerance || std::abs(to_image(1, 0)) > whole_tolerance
        || std::abs(to_image(0, 2) - at.x) > whole_tolerance || std::abs(to_image(1, 2) - at.y) > whole_tolerance)
        return cv::Mat();
    const cv::Rect block(cv::Point(static_cast<int>(at.x), static_cast<int>(at.y)), size);
    if ((block & cv::Rect(0, 0, image.cols, image.rows)) != block)
        return cv::Mat();
    return image(block);
}

/// Puts @p fill on the pixels of @p place whose centres (through
/// @p to_image, as warp_any maps them) fall outside @p image: the corners
/// a free angle leaves.
void background_outside_image(const cv::Mat& image, const cv::Matx23d& to_image, const cv::Scalar& fill, cv::Mat place)
{
    const cv::Vec3b colour(static_cast<uchar>(fill[0]), static_cast<uchar>(fill[1]), static_cast<uchar>(fill[2]));
    for (int y = 0; y < place.rows; ++y) {
        // Along the row the image point moves linearly: the columns within
        // [-0.5, extent - 0.5) on both axes form one interval.
        double from = 0.0, to = place.cols;
        for (int axis = 0; axis < 2; ++axis) {
            const double start = to_image(axis, 1) * y + to_image(axis, 2), step = to_image(axis, 0);
            const double extent = axis == 0 ? image.cols : image.rows;
            if (step == 0.0) {
                if (!(start >= -0.5 && start < extent - 0.5))
                    from = to;
                continue;
            }
            double a = (-0.5 - start) / step, b = (extent - 0.5 - start) / step;
            if (a > b)
                std::swap(a, b);
            from = std::max(from, std::ceil(a));
            to = std::min(to, std::ceil(b));
        }
        cv::Vec3b* row = place.ptr<cv::Vec3b>(y);
        const int inside_from = static_cast<int>(std::clamp(from, 0.0, double(place.cols)));
        const int inside_to = std::max(inside_from, static_cast<int>(std::clamp(to, 0.0, double(place.cols))));
        std::fill(row, row + inside_from, colour);
        std::fill(row + inside_to, row + place.cols, colour);
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
    const uchar* image = pyramid.empty() ? nullptr : pyramid.level(0).data;
    const cv::Size size = pyramid.empty() ? cv::Size() : pyramid.level(0).size();
    const bool same_image = last_ && last_->background == background && last_->image == image
                         && last_->size == size && picture_.size() == view.viewport();
    if (same_image && last_->view == view)
        return picture_;
    // The checkerboard under alpha stays where it is on the screen: a
    // picture with alpha does not move.
    const bool moves = !pyramid.empty() && !(pyramid.level(0).channels() == 4 && pyramid.level(0).type() != CV_8UC3);
    if (!(same_image && moves && scroll(pyramid, last_->view, view, background))) {
        make_image(picture_, view.viewport(), CV_8UC3);
        render_into(pyramid, view, background, picture_);
    }
    last_ = Shown{view, background, image, size};
    return picture_;
}

bool ViewRenderer::scroll(ImagePyramid& pyramid, const geometry::ViewTransform& from,
                          const geometry::ViewTransform& to, const cv::Vec3b& background)
{
    const cv::Point2d moved = to.offset() - from.offset();
    if (to.quarter_turns() < 0 || from.scrolled_to(to.offset()) != to || moved.x != std::round(moved.x)
        || moved.y != std::round(moved.y))
        return false;
    const int dx = static_cast<int>(moved.x), dy = static_cast<int>(moved.y);
    const cv::Size size = picture_.size();
    // Along a side the image fills (the only sides that scroll): what stays
    // in sight is moved, the rest sampled as the view shows it.
    if (std::abs(dx) >= size.width || std::abs(dy) >= size.height || (dx != 0 && dy != 0))
        return false;
    const cv::Rect kept(std::max(dx, 0), std::max(dy, 0), size.width - std::abs(dx), size.height - std::abs(dy));
    const cv::Point to_place(std::max(-dx, 0), std::max(-dy, 0));
    // Rows overlap when moved along y: a copy through a row at a time in the
    // direction that reads each row before it is written over.
    if (dy != 0) {
        for (int i = 0; i < kept.height; ++i) {
            const int row = dy > 0 ? i : kept.height - 1 - i;
            std::memcpy(picture_.ptr(to_place.y + row), picture_.ptr(kept.y + row), picture_.cols * picture_.elemSize());
        }
    } else {
        for (int y = 0; y < size.height; ++y) {
            uchar* row = picture_.ptr(y);
            std::memmove(row + to_place.x * 3, row + kept.x * 3, static_cast<std::size_t>(kept.width) * 3);
        }
    }
    const cv::Rect fresh = dx > 0   ? cv::Rect(size.width - dx, 0, dx, size.height)
                         : dx < 0 ? cv::Rect(0, 0, -dx, size.height)
                         : dy > 0 ? cv::Rect(0, size.height - dy, size.width, dy)
                                  : cv::Rect(0, 0, size.width, -dy);
    // The strip's own view: the viewport cut to it, scrolled to the
    // displayed point at its top-left.
    const cv::Point2d strip_offset(to.offset().x + (dx != 0 ? fresh.x : 0), to.offset().y + (dy != 0 ? fresh.y : 0));
    const cv::Size strip_viewport(dx != 0 ? fresh.width : size.width, dy != 0 ? fresh.height : size.height);
    render_into(pyramid, to.in_viewport(strip_viewport, strip_offset), background, picture_(fresh));
    return true;
}

void ViewRenderer::render_into(ImagePyramid& pyramid, const geometry::ViewTransform& view,
                               const cv::Vec3b& background, cv::Mat picture, cv::Point screen)
{
    CV_Assert(picture.size() == view.viewport() && picture.type() == CV_8UC3);
    const cv::Scalar fill(background[0], background[1], background[2]);
    const cv::Rect covered
        = pyramid.empty() ? cv::Rect() : view.image_rect() & cv::Rect(cv::Point(), picture.size());
    fill_outside(picture, covered, fill);
    if (covered.area() <= 0)
        return;

    // A fit's view is cv::resize's picture of the source: bilinear from the
    // source itself at every scale. Nearest takes the source's own pixels;
    // area reduces a fit from the level at or above its scale.
    const bool stretched = view.stretched();
    int k = look_.sampling == Sampling::Nearest || (stretched && look_.sampling == Sampling::Linear)
                ? 0
                : pyramid.level_for(view.scale());
    if (stretched && look_.sampling == Sampling::Area)
        k = std::clamp(static_cast<int>(std::floor(-std::log2(view.scale()))), 0, std::max(pyramid.level_count() - 1, 0));
    const cv::Mat& level = pyramid.level(k);
    cv::Mat place = picture(covered);
    if (level.type() == CV_8UC3) {
        sample(level, k, view, covered, background, place);
        return;
    }
    DisplayMapping mapping = look_.mapping;
    mapping.background = background;
    // Shown pixel for pixel, the source's own block is mapped straight to the screen.
    const cv::Mat block = upright_block(level, to_level_matrix(view, k, covered), covered.size());
    if (!block.empty()) {
        map_samples(block, mapping, screen + covered.tl(), place);
        return;
    }
    // Other samples are sampled in their own type into memory of the
    // viewport's size, kept across zooms, and mapped to the screen's.
    if (samples_.type() != level.type() || samples_.rows < covered.height || samples_.cols < covered.width)
        make_image(samples_, cv::Size(std::max(covered.width, picture.cols), std::max(covered.height, picture.rows)),
                   level.type());
    cv::Mat target = samples_(cv::Rect(cv::Point(), covered.size()));
    sample(level, k, view, covered, background, target);
    map_samples(target, mapping, screen + covered.tl(), place);
    if (view.quarter_turns() < 0)
        background_outside_image(level, to_level_matrix(view, k, covered), fill, place);
}

void ViewRenderer::sample(const cv::Mat& level, int k, const geometry::ViewTransform& view, const cv::Rect& covered,
                          const cv::Vec3b& background, cv::Mat place)
{
    const cv::Scalar fill(background[0], background[1], background[2]);
    const bool stretched = view.stretched();
    const double to_level = std::ldexp(1.0, -k);
    const cv::Matx23d to_image = to_level_matrix(view, k, covered);
    const int quarter = view.quarter_turns();
    const bool direct = level.type() == CV_8UC3;
    if (quarter >= 0 && (stretched || view.scale() == to_level) && copy_block(level, to_image, place))
        return;
    const int resize_flag = look_.sampling == Sampling::Area ? cv::INTER_AREA : cv::INTER_LINEAR;
    // OpenCV resizes no 32-bit integers; they take the sampling below.
    if (stretched && look_.sampling != Sampling::Nearest && level.depth() != CV_32S
        && view.visible_region().source == cv::Rect(cv::Point(), view.displayed_size())) {
        // A fit that shows all of its displayed image is resize's own
        // picture; turned, the source is resized to the turned shape and
        // turned after, which touches only the reduced pixels.
        if (quarter == 0) {
            cv::resize(level, place, place.size(), 0, 0, resize_flag);
        } else if (quarter == 2) {
            cv::resize(level, place, place.size(), 0, 0, resize_flag);
            cv::flip(place, place, -1);
        } else {
            if (transposed_.type() != level.type() || transposed_.rows < view.viewport().width
                || transposed_.cols < view.viewport().height)
                make_image(transposed_, cv::Size(view.viewport().height, view.viewport().width), level.type());
            cv::Mat work = transposed_(cv::Rect(0, 0, place.rows, place.cols));
            cv::resize(level, work, work.size(), 0, 0, resize_flag);
            cv::rotate(work, place, quarter == 1 ? cv::ROTATE_90_CLOCKWISE : cv::ROTATE_90_COUNTERCLOCKWISE);
        }
        return;
    }
    const bool nearest = look_.sampling == Sampling::Nearest
                      || (!stretched && (view.scale() > 1.0 || (view.scale() == 1.0 && quarter >= 0)));
    if (quarter < 0) {
        // Other samples than the screen's are put in the background colour
        // after mapping: the fill is no sample of theirs.
        warp_any(level, place, to_image, nearest ? cv::INTER_NEAREST : cv::INTER_LINEAR,
                 direct ? cv::BORDER_CONSTANT : cv::BORDER_REPLICATE, fill);
        return;
    }
    // A quarter turn keeps rows on rows or columns: its samples are tables
    // per row and per column, several times faster than warpAffine's, and
    // its edge pixels repeat the image's instead of fading into the
    // background (the displayed image is all image). Samples are placed by
    // the displayed pixel they show, whatever the viewport and the scroll:
    // a displayed pixel comes out the same in every picture that shows it.
    // Turned a quarter, picture rows run along image columns: the picture
    // is sampled transposed, reading image rows, and transposed into place.
    const cv::Matx23d d = view.display_to_source_matrix();
    const cv::Point2d offset = view.offset();
    const cv::Point2d whole(std::floor(offset.x), std::floor(offset.y));
    const int first_column = covered.x - view.placement().x + static_cast<int>(whole.x);
    const int first_row = covered.y - view.placement().y + static_cast<int>(whole.y);
    const double fx = 0.5 + offset.x - whole.x, fy = 0.5 + offset.y - whole.y;
    const auto line = [&](int i, double along, double centre, int first) {
        return Line{to_level * (d(i, 2) + along * centre) - 0.5, to_level * along, first};
    };
    const bool upright = quarter % 2 == 0;
    const Line rows = upright ? line(1, d(1, 1), fy, first_row) : line(1, d(1, 0), fx, first_column);
    const Line columns = upright ? line(0, d(0, 0), fx, first_column) : line(0, d(0, 1), fy, first_row);
    // Of the viewport's size, so that zooming in and out keeps its memory.
    if (!upright && (transposed_.type() != level.type() || transposed_.rows < view.viewport().width
                     || transposed_.cols < view.viewport().height))
        make_image(transposed_, cv::Size(view.viewport().height, view.viewport().width), level.type());
    cv::Mat target = upright ? place : transposed_(cv::Rect(0, 0, covered.height, covered.width));
    if (nearest)
        sample_nearest(level, rows, columns, target);
    else
        sample_bilinear(level, rows, columns, target);
    if (!upright)
        cv::transpose(target, place);
}

bool ViewRenderer::copy_block(const cv::Mat& image, const cv::Matx23d& to_image, cv::Mat place)
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
    const cv::Point2d last = whole * cv::Vec3d(place.cols - 1, place.rows - 1, 1);
    const cv::Rect block(cv::Point(static_cast<int>(std::min(first.x, last.x)), static_cast<int>(std::min(first.y, last.y))),
                         cv::Point(static_cast<int>(std::max(first.x, last.x)) + 1,
                                   static_cast<int>(std::max(first.y, last.y)) + 1));
    // Sampling repeats the edge pixels beyond the image; a block must lie within it.
    if ((block & cv::Rect(0, 0, image.cols, image.rows)) != block)
        return false;
    const cv::Mat part = image(block);
    if (whole(0, 0) == 1 && whole(1, 1) == 1)
        part.copyTo(place);
    else if (whole(0, 0) == -1 && whole(1, 1) == -1)
        cv::rotate(part, place, cv::ROTATE_180);
    else if (whole(0, 1) == 1 && whole(1, 0) == -1 && part.type() == CV_8UC3)
        turn_quarter(part, place, true);
    else if (whole(0, 1) == -1 && whole(1, 0) == 1 && part.type() == CV_8UC3)
        turn_quarter(part, place, false);
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
    nearest_taps(rows.first, rows.step, rows.origin, target.rows, image.rows, static_cast<int>(image.step[0]), row_taps_);
    nearest_taps(columns.first, columns.step, columns.origin, target.cols, image.cols, pixel, column_taps_);
    const bool contiguous = column_taps_.back() - column_taps_.front() == (target.cols - 1) * pixel;
    const std::size_t row_bytes = static_cast<std::size_t>(target.cols) * pixel;
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
            if (pixel == 3) {
                for (int x = 0; x < target.cols; ++x, out += 3) {
                    const uchar* in = base + column_taps_[x];
                    out[0] = in[0];
                    out[1] = in[1];
                    out[2] = in[2];
                }
            } else {
                for (int x = 0; x < target.cols; ++x, out += pixel)
                    std::memcpy(out, base + column_taps_[x], static_cast<std::size_t>(pixel));
            }
        }
    });
}

void ViewRenderer::sample_bilinear(const cv::Mat& image, Line rows, Line columns, cv::Mat target)
{
    switch (image.depth()) {
    case CV_16U: return sample_bilinear_typed<ushort>(image, rows, columns, target);
    case CV_16S: return sample_bilinear_typed<short>(image, rows, columns, target);
    case CV_32S: return sample_bilinear_typed<int>(image, rows, columns, target);
    case CV_32F: return sample_bilinear_typed<float>(image, rows, columns, target);
    case CV_64F: return sample_bilinear_typed<double>(image, rows, columns, target);
    default: break;
    }
    // Separable, in cv::resize's order and precision: each image row that a
    // target row needs is resampled along the columns once per stripe (two
    // kept, for enlargements that read a row many times), then the two rows
    // a target row lies between are blended.
    const int channels = image.channels();
    bilinear_taps(rows.first, rows.step, rows.origin, target.rows, image.rows, 1, row_taps_, row_next_, row_weights_);
    bilinear_taps(columns.first, columns.step, columns.origin, target.cols, image.cols, channels, column_taps_, column_next_,
                  column_weights_);
    const int width = target.cols * channels;
    if (working_rows_.rows < 2 * stripes || working_rows_.cols < width)
        make_image(working_rows_, cv::Size(std::max(width, working_rows_.cols), 2 * stripes), CV_32SC1);
    for_each_stripe(target.rows, [&](int stripe, int begin, int end) {
        int* kept[2] = {working_rows_.ptr<int>(2 * stripe), working_rows_.ptr<int>(2 * stripe + 1)};
        constexpr int none = std::numeric_limits<int>::min() / 2;
        int kept_row[2] = {none, none};
        // Row r resampled, made now unless kept; the kept row @p keep stays.
        const auto resampled = [&](int r, int keep) -> const int* {
            for (int i = 0; i < 2; ++i)
                if (kept_row[i] == r)
                    return kept[i];
            int i = std::llabs(static_cast<long long>(kept_row[0]) - r)
                            > std::llabs(static_cast<long long>(kept_row[1]) - r)
                        ? 0
                        : 1;
            if (kept_row[i] == keep)
                i = 1 - i;
            resample_row(image.ptr(r), column_taps_.data(), column_next_.data(), column_weights_.data(),
                         target.cols, channels, kept[i]);
            kept_row[i] = r;
            return kept[i];
        };
        for (int y = begin; y < end; ++y) {
            const int* from = resampled(row_taps_[y], none);
            const int* to = row_next_[y] == row_taps_[y] ? from : resampled(row_next_[y], row_taps_[y]);
            blend_rows(from, to, row_weights_[y], width, target.ptr(y));
        }
    });
}

template <class T>
void ViewRenderer::sample_bilinear_typed(const cv::Mat& image, Line rows, Line columns, cv::Mat target)
{
    // As sample_bilinear(), in floating point: rows resampled along the
    // columns, then blended.
    using W = std::conditional_t<(sizeof(T) >= 4), double, float>;
    const int channels = image.channels();
    bilinear_taps(rows.first, rows.step, rows.origin, target.rows, image.rows, 1, row_taps_, row_next_, row_weights_);
    bilinear_taps(columns.first, columns.step, columns.origin, target.cols, image.cols, channels, column_taps_, column_next_,
                  column_weights_);
    const int width = target.cols * channels;
    const W one = W(1) / weight_one;
    for_each_stripe(target.rows, [&](int, int begin, int end) {
        std::vector<W> kept[2] = {std::vector<W>(static_cast<std::size_t>(width)), std::vector<W>(static_cast<std::size_t>(width))};
        int kept_row[2] = {-1, -1};
        const auto resampled = [&](int r, int keep) -> const W* {
            for (int i = 0; i < 2; ++i)
                if (kept_row[i] == r)
                    return kept[i].data();
            const int i = kept_row[0] == keep ? 1 : 0;
            const T* row = image.ptr<T>(r);
            W* out = kept[i].data();
            for (int x = 0; x < target.cols; ++x, out += channels) {
                const T* a = row + column_taps_[x];
                const T* b = row + column_next_[x];
                const W w = column_weights_[x] * one;
                for (int c = 0; c < channels; ++c)
                    out[c] = w == 0 ? W(a[c]) : a[c] * (1 - w) + b[c] * w;
            }
            kept_row[i] = r;
            return kept[i].data();
        };
        for (int y = begin; y < end; ++y) {
            const W* from = resampled(row_taps_[y], -1);
            const W w = row_weights_[y] * one;
            const W* to = row_next_[y] == row_taps_[y] || w == 0 ? from : resampled(row_next_[y], row_taps_[y]);
            T* out = target.ptr<T>(y);
            for (int i = 0; i < width; ++i)
                out[i] = cv::saturate_cast<T>(w == 0 ? from[i] : from[i] * (1 - w) + to[i] * w);
        }
    });
}

cv::Mat displayed_image(ImagePyramid& pyramid, const geometry::ViewTransform& view, const cv::Vec3b& background,
                        long long max_pixels, const ViewLook& look)
{
    const cv::Size size = view.displayed_size();
    if (static_cast<long long>(size.width) * size.height > max_pixels)
        throw ValueError("Cannot make a " + std::to_string(size.width) + "x" + std::to_string(size.height)
                         + " displayed image: more than " + std::to_string(max_pixels) + " pixels");
    cv::Mat shown(size, CV_8UC3);
    ViewRenderer renderer;
    renderer.set_look(look);
    // A fit's is made whole: resize's own picture, as the screen shows it
    // where the whole image is in view.
    if (view.stretched()) {
        renderer.render_into(pyramid, view.in_viewport(size, {0.0, 0.0}), background, shown);
        return shown;
    }
    // Otherwise in bands, each the picture of a viewport scrolled down the
    // image: the pixels the screen shows, with working memory of a band alone.
    constexpr long long band_pixels = 1 << 20;
    const int band = static_cast<int>(std::clamp<long long>(band_pixels / size.width, 1, size.height));
    for (int y = 0; y < size.height; y += band) {
        const int rows = std::min(band, size.height - y);
        renderer.render_into(pyramid, view.in_viewport({size.width, rows}, {0.0, double(y)}), background,
                             shown.rowRange(y, y + rows), {0, y});
    }
    return shown;
}

} // namespace tesk_vumo
