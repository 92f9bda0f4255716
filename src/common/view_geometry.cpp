#include "tesk_vumo/common/view_geometry.h"

#include "tesk_vumo/common/errors.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include <opencv2/core.hpp>

namespace tesk_vumo::geometry {

int floor_div(int a, int b)
{
    int q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

int scaled_extent(int a, int b, int c)
{
    const long long product = static_cast<long long>(a) * b;
    const double quotient = std::trunc(static_cast<double>(product) / c);
    return static_cast<int>(std::clamp<double>(quotient, std::numeric_limits<int>::min(),
                                               std::numeric_limits<int>::max()));
}

cv::Size rotated_size(cv::Size image, Rotation rotation)
{
    if (rotation == Rotation::ClockWise90 || rotation == Rotation::CounterClockWise90)
        return {image.height, image.width};
    return image;
}

void rotate(const cv::Mat& src, cv::Mat& dst, Rotation rotation)
{
    switch (rotation) {
    case Rotation::ClockWise90: cv::rotate(src, dst, cv::ROTATE_90_CLOCKWISE); break;
    case Rotation::Double90: cv::rotate(src, dst, cv::ROTATE_180); break;
    case Rotation::CounterClockWise90: cv::rotate(src, dst, cv::ROTATE_90_COUNTERCLOCKWISE); break;
    default: src.copyTo(dst); break;
    }
}

namespace {
[[noreturn]] void cannot_fit(cv::Size image, cv::Size surface)
{
    throw ValueError("Cannot fit a " + std::to_string(image.width) + "x" + std::to_string(image.height)
                     + " image to a " + std::to_string(surface.width) + "x"
                     + std::to_string(surface.height) + " surface");
}
} // namespace

FitRatio fit_ratio(ZoomMode mode, cv::Size image, cv::Size surface)
{
    switch (mode) {
    case ZoomMode::NoZoom: return {1, 1};
    case ZoomMode::FitPage:
        if (surface.height <= 0 || surface.width <= 0 || image.height <= 0 || image.width <= 0)
            cannot_fit(image, surface);
        if (static_cast<double>(surface.width) / surface.height > static_cast<double>(image.width) / image.height)
            return {surface.height, image.height};
        return {surface.width, image.width};
    case ZoomMode::FitWidth:
        if (surface.width <= 0 || image.width <= 0 || image.height <= 0)
            cannot_fit(image, surface);
        return {surface.width, image.width};
    case ZoomMode::FitHeight:
        if (surface.height <= 0 || image.width <= 0 || image.height <= 0)
            cannot_fit(image, surface);
        return {surface.height, image.height};
    default: throw ValueError(std::string("Unsupported Zoom Mode: ") + name(mode));
    }
}

int displayed_extent(double extent)
{
    // A scale formed as a quotient and multiplied back may land a few units
    // in the last place below the whole pixel the exact product is.
    constexpr double slack = 1e-12;
    const double whole = std::floor(extent * (1 + slack));
    return static_cast<int>(std::clamp(whole, 1.0, static_cast<double>(std::numeric_limits<int>::max())));
}

cv::Size fitted_size(ZoomMode mode, cv::Size image, cv::Size surface)
{
    const FitRatio ratio = fit_ratio(mode, image, surface);
    if (mode == ZoomMode::NoZoom)
        return image;
    // A side that would truncate to nothing keeps one pixel: a thin image
    // stays visible as a line.
    const auto side = [&](int extent) { return std::max(scaled_extent(extent, ratio.displayed, ratio.image), 1); };
    const cv::Size result{side(image.width), side(image.height)};
    // Only the visible part of a displayed image is drawn, whatever its size;
    // a side must still be indexable when the displayed image is asked for.
    constexpr int longest_side = 1 << 30;
    if (result.width > longest_side || result.height > longest_side)
        cannot_fit(image, surface);
    return result;
}

ScrollBarSetup scroll_bar_setup(int position, int surface_extent, int image_extent)
{
    const int thumb = surface_extent < image_extent ? surface_extent : image_extent;
    return {position, thumb, image_extent, thumb - 1};
}

VisibleRegion visible_region(cv::Size image, cv::Size client, int subx, int suby)
{
    VisibleRegion region{};
    region.width = client.width;
    region.height = client.height;
    if (client.width >= image.width) {
        region.x = floor_div(client.width - image.width, 2);
        region.width = image.width;
    }
    if (client.height >= image.height) {
        region.y = floor_div(client.height - image.height, 2);
        region.height = image.height;
    }
    region.source = clip_to_image(cv::Rect(subx, suby, std::max(region.width, 0), std::max(region.height, 0)),
                                  image);
    return region;
}

cv::Point centred_origin(cv::Size image, cv::Size client)
{
    return {floor_div(client.width - image.width, 2), floor_div(client.height - image.height, 2)};
}

int wheel_sign(int rotation)
{
    return rotation > 0 ? 1 : (rotation < 0 ? -1 : 0);
}

bool wheel_moves_horizontal(cv::Point pointer, cv::Size client)
{
    // A synthetic event may put the pointer anywhere in the int range.
    return static_cast<long long>(client.height) - pointer.y <= static_cast<long long>(client.width) - pointer.x;
}

int scrolled_position(int position, int sign, int count, int range, int thumb_size)
{
    const long long wanted = static_cast<long long>(position) - static_cast<long long>(sign) * count;
    const long long max_pos = static_cast<long long>(range) - thumb_size;
    if (wanted < 0)
        return 0;
    if (wanted > max_pos)
        return static_cast<int>(max_pos);
    return static_cast<int>(wanted);
}

cv::Point image_position(cv::Point pointer, cv::Rect image_rect, int subx, int suby)
{
    if (pointer.x < image_rect.x || pointer.y < image_rect.y
        || pointer.x > image_rect.x + image_rect.width - 1 || pointer.y > image_rect.y + image_rect.height - 1)
        return {-1, -1};
    return {pointer.x + subx - image_rect.x, pointer.y + suby - image_rect.y};
}

namespace {
// A host may anchor a selection anywhere in the int range; sums with it
// are formed wider and brought back to the nearest int.
int saturated(long long value)
{
    return static_cast<int>(std::clamp<long long>(value, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max()));
}

// Signed count of the pixels from @p anchor to @p pointer, both included:
// positive going right (down), negative going left (up).
int drag_extent(int anchor, int pointer)
{
    const long long moved = static_cast<long long>(pointer) - anchor;
    return saturated(moved >= 0 ? moved + 1 : moved - 1);
}

// A signed extent read back as the pixels it covers, the anchor included.
std::pair<int, int> covered_span(int anchor, int extent)
{
    if (extent >= 0)
        return {anchor, extent};
    return {saturated(static_cast<long long>(anchor) + extent + 1), saturated(-static_cast<long long>(extent))};
}
} // namespace

cv::Size drag_size(cv::Point anchor, cv::Point pointer)
{
    return {drag_extent(anchor.x, pointer.x), drag_extent(anchor.y, pointer.y)};
}

cv::Point panned_position(cv::Point start, cv::Point from, cv::Point to)
{
    return {saturated(static_cast<long long>(start.x) - (static_cast<long long>(to.x) - from.x)),
            saturated(static_cast<long long>(start.y) - (static_cast<long long>(to.y) - from.y))};
}

std::array<int, 4> normalised_selection(int x, int y, int width, int height)
{
    const auto [left, columns] = covered_span(x, width);
    const auto [top, rows] = covered_span(y, height);
    return {left, top, columns, rows};
}

cv::Rect clip_to_image(cv::Rect rect, cv::Size image)
{
    const long long x0 = std::max<long long>(rect.x, 0);
    const long long y0 = std::max<long long>(rect.y, 0);
    const long long x1 = std::min<long long>(static_cast<long long>(rect.x) + rect.width, image.width);
    const long long y1 = std::min<long long>(static_cast<long long>(rect.y) + rect.height, image.height);
    if (x1 <= x0 || y1 <= y0) {
        // Keep an empty region anchored where it starts, when that is inside.
        const int ax = static_cast<int>(std::min<long long>(x0, image.width));
        const int ay = static_cast<int>(std::min<long long>(y0, image.height));
        return {ax, ay, static_cast<int>(std::max<long long>(x1 - x0, 0)),
                static_cast<int>(std::max<long long>(y1 - y0, 0))};
    }
    return {static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0), static_cast<int>(y1 - y0)};
}

std::array<int, 2> middle_lines(int extent, int& count)
{
    const int first = extent / 2;
    count = (extent % 2 != 0) ? 2 : 1;
    return {first, first + 1};
}

} // namespace tesk_vumo::geometry
