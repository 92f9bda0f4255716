#include "tesk_vumo/common/view_transform.h"

#include "tesk_vumo/common/errors.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <utility>

namespace tesk_vumo::geometry {

namespace {

std::string number(double value)
{
    std::ostringstream text;
    text << value;
    return text.str();
}

/// Rung n of the zoom ladder, 2^(n/4), exact at the powers of two.
double rung(int n)
{
    return n % 4 == 0 ? std::ldexp(1.0, n / 4) : std::exp2(n / 4.0);
}

// Rates and positions come out of floating-point arithmetic: a rate a hair
// off a rung is taken as on it, and a hair inside a pixel edge as inside.
constexpr double ladder_slack = 1e-9;
constexpr double edge_slack = 1e-9;

/// The bounding box of @p rect's four corners mapped by @p map.
template <class Map>
cv::Rect2d bounding_box(const cv::Rect2d& rect, Map map)
{
    const double right = rect.x + rect.width, bottom = rect.y + rect.height;
    const cv::Point2d corners[] = {map({rect.x, rect.y}), map({right, rect.y}), map({rect.x, bottom}),
                                   map({right, bottom})};
    double left = corners[0].x, high = left, top = corners[0].y, low = top;
    for (const cv::Point2d& corner : corners) {
        left = std::min(left, corner.x);
        high = std::max(high, corner.x);
        top = std::min(top, corner.y);
        low = std::max(low, corner.y);
    }
    return {left, top, high - left, low - top};
}

} // namespace

double checked_zoom_rate(double rate)
{
    if (!(rate >= min_zoom_rate && rate <= max_zoom_rate))
        throw ValueError("Unsupported Zoom Rate: " + number(rate));
    return rate;
}

double stepped_zoom_rate(double rate, int steps)
{
    if (std::isnan(rate))
        rate = 1.0;
    // A fit may show a scale beyond the ladder's ends; a step toward the
    // ladder lands on its end, a step away from it stays.
    constexpr int lowest = -24, highest = 24; // 1/64 and 64
    const double position = 4 * std::log2(std::clamp(rate, std::ldexp(1.0, -30), std::ldexp(1.0, 30)));
    int n = 0;
    if (steps > 0)
        n = static_cast<int>(std::floor(position + ladder_slack)) + steps;
    else if (steps < 0)
        n = static_cast<int>(std::ceil(position - ladder_slack)) + steps;
    else
        return std::clamp(rate, min_zoom_rate, max_zoom_rate);
    const double stepped = rung(std::clamp(n, lowest, highest));
    if ((steps > 0 && stepped < rate) || (steps < 0 && stepped > rate))
        return rate;
    return stepped;
}

double fitted_zoom_rate(ZoomMode mode, cv::Size image, cv::Size surface)
{
    (void)fitted_size(mode, image, surface); // refused as the fitting refuses it
    return fit_ratio(mode, image, surface).value();
}

double rotation_degrees(Rotation rotation, double any_degree)
{
    switch (rotation) {
    case Rotation::ClockWise90: return 90.0;
    case Rotation::Double90: return 180.0;
    case Rotation::CounterClockWise90: return 270.0;
    case Rotation::DegreeAny: return any_degree;
    default: return 0.0;
    }
}

ViewTransform::ViewTransform(cv::Size source, double scale, double degrees, cv::Size viewport, cv::Point2d offset)
    : source_(source), scale_(scale), viewport_(viewport)
{
    if (!(scale > 0) || !std::isfinite(scale))
        throw ValueError("Unsupported Zoom Rate: " + number(scale));
    if (source.width <= 0 || source.height <= 0)
        throw ValueError("Cannot view an empty image");
    if (!std::isfinite(degrees))
        throw ValueError("Unsupported Rotation Degree: " + number(degrees));
    degrees_ = std::fmod(degrees, 360.0);
    if (degrees_ < 0)
        degrees_ += 360.0;
    if (degrees_ >= 360.0) // -1e-20 + 360
        degrees_ = 0.0;
    static const double quarter_cos[] = {1, 0, -1, 0}, quarter_sin[] = {0, 1, 0, -1};
    quarter_ = -1;
    for (int q = 0; q < 4; ++q)
        if (degrees_ == 90.0 * q)
            quarter_ = q;
    if (quarter_ >= 0) {
        cos_ = quarter_cos[quarter_];
        sin_ = quarter_sin[quarter_];
    } else {
        const double radians = degrees_ * (CV_PI / 180.0);
        cos_ = std::cos(radians);
        sin_ = std::sin(radians);
    }
    const double w = source.width, h = source.height;
    const double extent_x = scale_ * (w * std::abs(cos_) + h * std::abs(sin_));
    const double extent_y = scale_ * (w * std::abs(sin_) + h * std::abs(cos_));
    // 64 times the widest image an int can index would overflow the sides.
    if (extent_x > (1 << 30) || extent_y > (1 << 30))
        throw ValueError("Cannot view a " + std::to_string(source.width) + "x" + std::to_string(source.height)
                         + " image at a rate of " + number(scale_));
    // Turned by quarters the image is as large as the fit modes make it at
    // this scale; at any other angle its bounding box is rounded.
    if (quarter_ >= 0)
        displayed_ = {displayed_extent(extent_x), displayed_extent(extent_y)};
    else
        displayed_ = {std::max(1, static_cast<int>(std::lround(extent_x))),
                      std::max(1, static_cast<int>(std::lround(extent_y)))};
    scale_x_ = scale_y_ = scale_;
    placement_ = {displayed_.width < viewport.width ? floor_div(viewport.width - displayed_.width, 2) : 0,
                  displayed_.height < viewport.height ? floor_div(viewport.height - displayed_.height, 2) : 0};
    offset_ = clamped(offset);
}

ViewTransform ViewTransform::fitted(cv::Size source, double scale, int quarter_turns, cv::Size displayed,
                                    cv::Size viewport, cv::Point2d offset)
{
    ViewTransform view(source, scale, 90.0 * quarter_turns, viewport);
    const cv::Size turned = quarter_turns % 2 == 0 ? source : cv::Size(source.height, source.width);
    view.displayed_ = {std::max(displayed.width, 1), std::max(displayed.height, 1)};
    view.scale_x_ = static_cast<double>(view.displayed_.width) / turned.width;
    view.scale_y_ = static_cast<double>(view.displayed_.height) / turned.height;
    view.stretched_ = true;
    return view.in_viewport(viewport, offset);
}

cv::Point2d ViewTransform::clamped(cv::Point2d offset) const
{
    const cv::Point2d most = max_offset();
    return {std::isfinite(offset.x) ? std::clamp(offset.x, 0.0, most.x) : 0.0,
            std::isfinite(offset.y) ? std::clamp(offset.y, 0.0, most.y) : 0.0};
}

cv::Point2d ViewTransform::max_offset() const
{
    return {static_cast<double>(std::max(displayed_.width - viewport_.width, 0)),
            static_cast<double>(std::max(displayed_.height - viewport_.height, 0))};
}

cv::Rect ViewTransform::image_rect() const
{
    return {placement_.x, placement_.y, std::max(std::min(displayed_.width, viewport_.width), 0),
            std::max(std::min(displayed_.height, viewport_.height), 0)};
}

VisibleRegion ViewTransform::visible_region() const
{
    const cv::Rect shown = image_rect();
    VisibleRegion region{};
    region.x = shown.x;
    region.y = shown.y;
    region.width = shown.width;
    region.height = shown.height;
    region.source = clip_to_image(cv::Rect(static_cast<int>(std::floor(offset_.x)),
                                           static_cast<int>(std::floor(offset_.y)), shown.width, shown.height),
                                  displayed_);
    return region;
}

cv::Point2d ViewTransform::source_to_display(cv::Point2d p) const
{
    const double x = p.x - 0.5 * source_.width, y = p.y - 0.5 * source_.height;
    return {(cos_ * x - sin_ * y) * scale_x_ + 0.5 * displayed_.width,
            (sin_ * x + cos_ * y) * scale_y_ + 0.5 * displayed_.height};
}

cv::Point2d ViewTransform::display_to_source(cv::Point2d d) const
{
    const double x = (d.x - 0.5 * displayed_.width) / scale_x_, y = (d.y - 0.5 * displayed_.height) / scale_y_;
    return {cos_ * x + sin_ * y + 0.5 * source_.width, -sin_ * x + cos_ * y + 0.5 * source_.height};
}

cv::Point2d ViewTransform::display_to_control(cv::Point2d d) const
{
    return {d.x - offset_.x + placement_.x, d.y - offset_.y + placement_.y};
}

cv::Point2d ViewTransform::control_to_display(cv::Point2d c) const
{
    return {c.x + offset_.x - placement_.x, c.y + offset_.y - placement_.y};
}

cv::Point2d ViewTransform::source_to_control(cv::Point2d p) const
{
    return display_to_control(source_to_display(p));
}

cv::Point2d ViewTransform::control_to_source(cv::Point2d c) const
{
    return display_to_source(control_to_display(c));
}

cv::Point ViewTransform::source_pixel(cv::Point control) const
{
    const cv::Point2d p = control_to_source({control.x + 0.5, control.y + 0.5});
    const double x = std::floor(p.x), y = std::floor(p.y);
    if (!(x >= 0 && y >= 0 && x < source_.width && y < source_.height))
        return {-1, -1};
    return {static_cast<int>(x), static_cast<int>(y)};
}

cv::Point ViewTransform::display_pixel(cv::Point control) const
{
    const cv::Rect shown = image_rect();
    if (!shown.contains(control))
        return {-1, -1};
    const cv::Point2d d = control_to_display({control.x + 0.5, control.y + 0.5});
    return {std::clamp(static_cast<int>(std::floor(d.x)), 0, displayed_.width - 1),
            std::clamp(static_cast<int>(std::floor(d.y)), 0, displayed_.height - 1)};
}

cv::Rect ViewTransform::source_rect(cv::Rect display) const
{
    return source_pixels(source_box(display));
}

cv::Rect2d ViewTransform::source_box(cv::Rect2d display) const
{
    return bounding_box(display, [this](cv::Point2d d) { return display_to_source(d); });
}

cv::Rect ViewTransform::source_pixels(cv::Rect2d box) const
{
    const double x0 = std::clamp(std::floor(box.x + edge_slack), 0.0, static_cast<double>(source_.width));
    const double y0 = std::clamp(std::floor(box.y + edge_slack), 0.0, static_cast<double>(source_.height));
    const double x1 = std::clamp(std::ceil(box.x + box.width - edge_slack), x0, static_cast<double>(source_.width));
    const double y1 = std::clamp(std::ceil(box.y + box.height - edge_slack), y0, static_cast<double>(source_.height));
    return {static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0), static_cast<int>(y1 - y0)};
}

cv::Rect ViewTransform::display_rect(cv::Rect2d box) const
{
    const cv::Rect2d mapped = bounding_box(box, [this](cv::Point2d p) { return source_to_display(p); });
    // A sliver of the source, reduced, still shows as a pixel. A box far
    // off the image (a host's selection anywhere in the int range) stays
    // within int.
    const auto side = [](double from, double extent, bool has_extent) {
        constexpr double far_off = 1 << 30;
        const double first = std::clamp(std::round(from), -far_off, far_off);
        const double last = std::clamp(std::round(from + extent), -far_off, far_off);
        return std::pair(static_cast<int>(first), static_cast<int>(has_extent ? std::max(last - first, 1.0) : 0.0));
    };
    const auto [x, width] = side(mapped.x, mapped.width, box.width > 0);
    const auto [y, height] = side(mapped.y, mapped.height, box.height > 0);
    return {x, y, width, height};
}

cv::Size ViewTransform::source_pixel_span() const
{
    const cv::Rect2d pixel = bounding_box({0.0, 0.0, 1.0, 1.0}, [this](cv::Point2d p) { return source_to_display(p); });
    return {std::max(1, static_cast<int>(std::lround(pixel.width))),
            std::max(1, static_cast<int>(std::lround(pixel.height)))};
}

cv::Matx23d ViewTransform::display_to_source_matrix() const
{
    const double half_w = 0.5 * displayed_.width / scale_x_, half_h = 0.5 * displayed_.height / scale_y_;
    return {cos_ / scale_x_, sin_ / scale_y_, 0.5 * source_.width - cos_ * half_w - sin_ * half_h,
            -sin_ / scale_x_, cos_ / scale_y_, 0.5 * source_.height + sin_ * half_w - cos_ * half_h};
}

cv::Matx23d ViewTransform::control_to_source_matrix() const
{
    const cv::Point2d origin = control_to_source({0.0, 0.0});
    return {cos_ / scale_x_, sin_ / scale_y_, origin.x, -sin_ / scale_x_, cos_ / scale_y_, origin.y};
}

cv::Matx23d ViewTransform::source_to_control_matrix() const
{
    const cv::Point2d origin = source_to_control({0.0, 0.0});
    return {cos_ * scale_x_, -sin_ * scale_x_, origin.x, sin_ * scale_y_, cos_ * scale_y_, origin.y};
}

ViewTransform ViewTransform::anchored(ViewTransform next, cv::Point2d p, cv::Point2d control)
{
    const cv::Point2d d = next.source_to_display(p);
    return next.scrolled_to({d.x + next.placement_.x - control.x, d.y + next.placement_.y - control.y});
}

ViewTransform ViewTransform::zoomed_about(cv::Point2d control, double scale) const
{
    return anchored(ViewTransform(source_, scale, degrees_, viewport_), control_to_source(control), control);
}

ViewTransform ViewTransform::turned_about(cv::Point2d control, double degrees) const
{
    return anchored(ViewTransform(source_, scale_, degrees, viewport_), control_to_source(control), control);
}

ViewTransform ViewTransform::resized(cv::Size viewport) const
{
    const cv::Point2d centre(0.5 * viewport_.width, 0.5 * viewport_.height);
    return anchored(ViewTransform(source_, scale_, degrees_, viewport), control_to_source(centre),
                    {0.5 * viewport.width, 0.5 * viewport.height});
}

ViewTransform ViewTransform::in_viewport(cv::Size viewport, cv::Point2d offset) const
{
    ViewTransform next = *this;
    next.viewport_ = viewport;
    next.placement_ = {displayed_.width < viewport.width ? floor_div(viewport.width - displayed_.width, 2) : 0,
                       displayed_.height < viewport.height ? floor_div(viewport.height - displayed_.height, 2) : 0};
    next.offset_ = next.clamped(offset);
    return next;
}

bool ViewTransform::operator==(const ViewTransform& other) const
{
    return source_ == other.source_ && scale_ == other.scale_ && degrees_ == other.degrees_
        && scale_x_ == other.scale_x_ && scale_y_ == other.scale_y_ && stretched_ == other.stretched_
        && viewport_ == other.viewport_ && displayed_ == other.displayed_ && offset_ == other.offset_;
}

ViewTransform ViewTransform::scrolled_to(cv::Point2d offset) const
{
    ViewTransform next = *this;
    next.offset_ = clamped(offset);
    return next;
}

} // namespace tesk_vumo::geometry
