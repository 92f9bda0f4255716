#include "overlay_shapes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include <opencv2/imgproc.hpp>
#include <wx/dcmemory.h>
#include <wx/settings.h>

namespace tesk_vumo {

namespace {

// Sub-pixel bits of OpenCV's drawing calls.
constexpr int shift = 4;
constexpr double unit = 1 << shift;

/// How much of each pixel the glyphs of @p text (UTF-8) cover, 0 to 255,
/// as the system's GUI font draws them at @p scale: any script the fonts
/// have. Kept for the next redraws, which draw the same texts again.
const cv::Mat& text_coverage(const std::string& text, double scale)
{
    static std::map<std::pair<std::string, double>, cv::Mat> made;
    const auto key = std::make_pair(text, scale);
    if (const auto found = made.find(key); found != made.end())
        return found->second;
    if (made.size() > 1024)
        made.clear();
    wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    font.SetFractionalPointSize(font.GetFractionalPointSize() * scale);
    const wxString label = wxString::FromUTF8(text);
    wxBitmap probe(1, 1, 24);
    wxMemoryDC dc(probe);
    dc.SetFont(font);
    const wxSize size = dc.GetTextExtent(label);
    wxBitmap glyphs(std::max(size.x, 1), std::max(size.y, 1), 24);
    dc.SelectObject(glyphs);
    dc.SetBackground(*wxBLACK_BRUSH);
    dc.Clear();
    dc.SetTextForeground(*wxWHITE);
    dc.DrawText(label, 0, 0);
    dc.SelectObject(wxNullBitmap);
    const wxImage image = glyphs.ConvertToImage();
    cv::Mat coverage;
    cv::cvtColor(cv::Mat(image.GetHeight(), image.GetWidth(), CV_8UC3, image.GetData()), coverage, cv::COLOR_RGB2GRAY);
    return made.emplace(key, std::move(coverage)).first->second;
}

int stroke(int width, double scale)
{
    return std::max(1, static_cast<int>(std::lround(width * scale)));
}

/// Where overlays are drawn: the pixels of a part of the surface.
struct Canvas
{
    cv::Mat& pixels;
    cv::Point origin;
    bool bgra;

    cv::Scalar colour(const cv::Vec4b& rgba) const
    {
        return bgra ? cv::Scalar(rgba[2], rgba[1], rgba[0], 255) : cv::Scalar(rgba[0], rgba[1], rgba[2], 255);
    }
    /// A control point in OpenCV's pixel coordinates of the part, where a
    /// pixel's centre is a whole number.
    cv::Point2d local(cv::Point2d control) const
    {
        return {control.x - origin.x - 0.5, control.y - origin.y - 0.5};
    }

    void segment(cv::Point2d a, cv::Point2d b, const cv::Scalar& colour, int thickness) const
    {
        // Cut to just outside the part first: far off, fixed-point
        // coordinates would overflow an int.
        const double margin = thickness + 2.0;
        const auto fixed = [&](cv::Point2d p) {
            const cv::Point2d q = local(p);
            return cv::Point2l(std::llround((q.x + margin) * unit), std::llround((q.y + margin) * unit));
        };
        cv::Point2l from = fixed(a), to = fixed(b);
        const cv::Size2l box(std::llround((pixels.cols + 2 * margin) * unit),
                             std::llround((pixels.rows + 2 * margin) * unit));
        if (!cv::clipLine(box, from, to))
            return;
        const auto back = [&](const cv::Point2l& p) {
            return cv::Point(static_cast<int>(p.x - std::llround(margin * unit)),
                             static_cast<int>(p.y - std::llround(margin * unit)));
        };
        cv::line(pixels, back(from), back(to), colour, thickness, cv::LINE_8, shift);
    }

    /// The pixels of @p box (control coordinates) within @p thickness of
    /// its edges: exact bands, as thick lines are not.
    void frame(const cv::Rect2d& box, const cv::Scalar& colour, int thickness) const
    {
        // The pixels whose centres lie inside, cut to just outside the part.
        const auto first = [](double edge, int from, int extent) {
            return static_cast<int>(std::clamp(std::ceil(edge - from - 0.5), -2.0, extent + 2.0));
        };
        const int l = first(box.x, origin.x, pixels.cols), r = first(box.x + box.width, origin.x, pixels.cols);
        const int t = first(box.y, origin.y, pixels.rows), b = first(box.y + box.height, origin.y, pixels.rows);
        if (r <= l || b <= t)
            return;
        const int tx = std::min(thickness, r - l), ty = std::min(thickness, b - t);
        const auto band = [&](int x, int y, int w, int h) {
            const cv::Rect cut = cv::Rect(x, y, w, h) & cv::Rect(0, 0, pixels.cols, pixels.rows);
            if (cut.area() > 0)
                pixels(cut).setTo(colour);
        };
        band(l, t, r - l, ty);
        band(l, b - ty, r - l, ty);
        band(l, t, tx, b - t);
        band(r - tx, t, tx, b - t);
    }

    void polyline(const std::vector<cv::Point2d>& points, bool closed, const cv::Scalar& colour, int thickness) const
    {
        for (size_t i = 0; i + 1 < points.size(); ++i)
            segment(points[i], points[i + 1], colour, thickness);
        if (closed && points.size() > 2)
            segment(points.back(), points.front(), colour, thickness);
        if (points.size() == 1)
            segment(points[0], points[0], colour, thickness);
    }

    /// The text's glyphs laid over the pixels in @p colour, as "over" blends
    /// them: the same for the screen's pixels and for a premultiplied layer.
    void text(const std::string& text, cv::Point2d top_left, const cv::Scalar& colour, double scale) const
    {
        const cv::Mat& coverage = text_coverage(text, scale);
        const cv::Point2d at = local(top_left);
        const cv::Point corner(static_cast<int>(std::lround(at.x + 0.5)), static_cast<int>(std::lround(at.y + 0.5)));
        const cv::Rect box = cv::Rect(corner, coverage.size()) & cv::Rect(0, 0, pixels.cols, pixels.rows);
        const int channels = pixels.channels();
        for (int y = box.y; y < box.y + box.height; ++y) {
            const uchar* cover = coverage.ptr(y - corner.y) - corner.x;
            uchar* row = pixels.ptr(y);
            for (int x = box.x; x < box.x + box.width; ++x) {
                const int a = cover[x];
                if (a == 0)
                    continue;
                uchar* q = row + channels * x;
                for (int c = 0; c < channels; ++c)
                    q[c] = static_cast<uchar>((q[c] * (255 - a) + static_cast<int>(colour[c]) * a + 127) / 255);
            }
        }
    }
};

cv::Rect2d bounds(const std::vector<cv::Point2d>& points)
{
    double l = points[0].x, t = points[0].y, r = l, b = t;
    for (const cv::Point2d& p : points) {
        l = std::min(l, p.x);
        r = std::max(r, p.x);
        t = std::min(t, p.y);
        b = std::max(b, p.y);
    }
    return {l, t, r - l, b - t};
}

std::vector<cv::Point2d> to_control(const std::vector<cv::Point2d>& points, const cv::Matx23d& m)
{
    std::vector<cv::Point2d> out;
    out.reserve(points.size());
    for (const cv::Point2d& p : points)
        out.emplace_back(m(0, 0) * p.x + m(0, 1) * p.y + m(0, 2), m(1, 0) * p.x + m(1, 1) * p.y + m(1, 2));
    return out;
}

/// A rectangle's outline at a free angle, inside its edges: its lines
/// @p thickness control pixels wide, their outer side on the edges.
std::vector<cv::Point2d> outline_corners(const Overlay& rect, const geometry::ViewTransform& view,
                                         const cv::Matx23d& m, int thickness)
{
    const cv::Point2d a = rect.points[0], b = rect.points[1];
    const double d = thickness / 2.0 / view.scale();
    const double dx = std::min(d, (b.x - a.x) / 2), dy = std::min(d, (b.y - a.y) / 2);
    return to_control({{a.x + dx, a.y + dy}, {b.x - dx, a.y + dy}, {b.x - dx, b.y - dy}, {a.x + dx, b.y - dy}}, m);
}

/// The corners and edge middles of a rectangle on screen, in the order of
/// the grips TopLeft, TopRight, BottomRight, BottomLeft, Top, Right, Bottom, Left.
std::array<cv::Point2d, 8> handle_points(const Overlay& rect, const cv::Matx23d& m)
{
    const cv::Point2d a = rect.points[0], b = rect.points[1];
    const double cx = (a.x + b.x) / 2, cy = (a.y + b.y) / 2;
    const auto p = to_control({{a.x, a.y}, {b.x, a.y}, {b.x, b.y}, {a.x, b.y}, {cx, a.y}, {b.x, cy}, {cx, b.y}, {a.x, cy}}, m);
    std::array<cv::Point2d, 8> out;
    std::copy(p.begin(), p.end(), out.begin());
    return out;
}

constexpr std::array<OverlayGrip, 8> handle_grips{OverlayGrip::TopLeft,  OverlayGrip::TopRight, OverlayGrip::BottomRight,
                                                  OverlayGrip::BottomLeft, OverlayGrip::Top,     OverlayGrip::Right,
                                                  OverlayGrip::Bottom,   OverlayGrip::Left};

void draw_handles(const Canvas& canvas, const Overlay& rect, const cv::Matx23d& m, const cv::Scalar& colour,
                  double scale)
{
    const double half = overlay_handle_size * scale / 2;
    for (const cv::Point2d& p : handle_points(rect, m)) {
        const cv::Point2d q = canvas.local(p);
        if (q.x < -half - 1 || q.y < -half - 1 || q.x > canvas.pixels.cols + half || q.y > canvas.pixels.rows + half)
            continue;
        const cv::Point c(static_cast<int>(std::lround(q.x)), static_cast<int>(std::lround(q.y)));
        const int h = static_cast<int>(std::lround(half));
        cv::rectangle(canvas.pixels, c - cv::Point(h, h), c + cv::Point(h, h), colour, cv::FILLED);
    }
}

void draw_mask(const Canvas& canvas, const Overlay& overlay, const geometry::ViewTransform& view)
{
    // Control pixel indices of the part to source pixel indices, each taking
    // the source pixel under its centre.
    const cv::Matx23d m = view.control_to_source_matrix();
    const double ox = canvas.origin.x + 0.5, oy = canvas.origin.y + 0.5;
    const cv::Matx23d to_source(m(0, 0), m(0, 1), m(0, 0) * ox + m(0, 1) * oy + m(0, 2) - 0.5, m(1, 0), m(1, 1),
                                m(1, 0) * ox + m(1, 1) * oy + m(1, 2) - 0.5);
    cv::Mat labels;
    cv::warpAffine(overlay.mask, labels, cv::Mat(to_source), canvas.pixels.size(),
                   cv::INTER_NEAREST | cv::WARP_INVERSE_MAP, cv::BORDER_CONSTANT, cv::Scalar(0));
    if (labels.depth() != CV_32S)
        labels.convertTo(labels, CV_32S);
    const int weight = static_cast<int>(std::lround(std::clamp(overlay.alpha, 0.0, 1.0) * 256));
    const int channels = canvas.pixels.channels();
    for (int y = 0; y < labels.rows; ++y) {
        const int* label = labels.ptr<int>(y);
        uchar* pixel = canvas.pixels.ptr(y);
        int last = 0;
        cv::Scalar colour;
        for (int x = 0; x < labels.cols; ++x, pixel += channels) {
            if (label[x] == 0)
                continue;
            if (label[x] != last) {
                last = label[x];
                colour = canvas.colour(mask_label_colour(overlay.colour, last));
            }
            for (int c = 0; c < channels; ++c)
                pixel[c] = static_cast<uchar>(pixel[c] + (((static_cast<int>(colour[c]) - pixel[c]) * weight) >> 8));
        }
    }
}

} // namespace

std::vector<cv::Vec3i> covered_runs(const cv::Mat& layer)
{
    CV_Assert(layer.type() == CV_8UC4);
    std::vector<cv::Vec3i> runs;
    for (int y = 0; y < layer.rows; ++y) {
        const auto* p = layer.ptr<std::uint32_t>(y);
        for (int x = 0; x < layer.cols;) {
            if (p[x] == 0) {
                ++x;
                continue;
            }
            const int first = x;
            while (x < layer.cols && p[x] != 0)
                ++x;
            runs.emplace_back(y, first, x);
        }
    }
    return runs;
}

void composite_overlays(const cv::Mat& layer, const std::vector<cv::Vec3i>& runs, cv::Mat& pixels, cv::Point origin)
{
    CV_Assert(layer.type() == CV_8UC4 && pixels.depth() == CV_8U);
    const cv::Rect area(origin, pixels.size());
    const auto first = std::lower_bound(runs.begin(), runs.end(), area.y,
                                        [](const cv::Vec3i& run, int row) { return run[0] < row; });
    for (auto run = first; run != runs.end() && (*run)[0] < area.y + area.height; ++run) {
        const int y = (*run)[0], from = std::max((*run)[1], area.x), to = std::min((*run)[2], area.x + area.width);
        const auto* over = layer.ptr<std::uint32_t>(y);
        uchar* row = pixels.ptr(y - area.y);
        if (pixels.channels() == 4) {
            // Two channels at a time in each 32-bit word: d * (255 - a) / 255 + p.
            auto* d = reinterpret_cast<std::uint32_t*>(row) - area.x;
            for (int x = from; x < to; ++x) {
                const std::uint32_t p = over[x], under = d[x];
                const std::uint32_t keep = 255 - (p >> 24);
                std::uint32_t rb = (under & 0x00FF00FFu) * keep + 0x00800080u;
                std::uint32_t ag = ((under >> 8) & 0x00FF00FFu) * keep + 0x00800080u;
                rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
                ag = (ag + ((ag >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
                d[x] = (rb | ag) + p;
            }
        } else {
            for (int x = from; x < to; ++x) {
                const auto* p = reinterpret_cast<const uchar*>(over + x);
                uchar* q = row + 3 * (x - area.x);
                for (int c = 0; c < 3; ++c)
                    q[c] = cv::saturate_cast<uchar>(p[c] + (q[c] * (255 - p[3]) + 127) / 255);
            }
        }
    }
}

cv::Vec4b mask_label_colour(const cv::Vec4b& colour, int label)
{
    if (label == 1)
        return colour;
    // A hue of its own, in HSV at saturation 0.75 and value 1.
    double hue = std::fmod(static_cast<double>(label) * 137.508, 360.0);
    if (hue < 0)
        hue += 360.0;
    const double h = hue / 60.0, s = 0.75;
    const double f = h - std::floor(h);
    const double p = 1 - s, q = 1 - s * f, t = 1 - s * (1 - f);
    double r = 1, g = 1, b = 1;
    switch (static_cast<int>(h) % 6) {
    case 0: r = 1, g = t, b = p; break;
    case 1: r = q, g = 1, b = p; break;
    case 2: r = p, g = 1, b = t; break;
    case 3: r = p, g = q, b = 1; break;
    case 4: r = t, g = p, b = 1; break;
    default: r = 1, g = p, b = q; break;
    }
    const auto byte = [](double v) { return static_cast<uchar>(std::lround(v * 255)); };
    return {byte(r), byte(g), byte(b), 255};
}

void draw_overlays(cv::Mat& pixels, cv::Point origin, bool bgra, const OverlayList& overlays,
                   const geometry::ViewTransform& view, double scale)
{
    if (pixels.empty() || overlays.empty())
        return;
    const Canvas canvas{pixels, origin, bgra};
    const cv::Matx23d m = view.source_to_control_matrix();
    // The source region in sight, widened by what a shape may reach beyond
    // its points on screen (strokes, markers, handles, a label's first letters).
    const cv::Rect2d area(origin.x, origin.y, pixels.cols, pixels.rows);
    const cv::Matx23d back = view.control_to_source_matrix();
    const auto corners = to_control(
        {area.tl(), {area.x + area.width, area.y}, area.br(), {area.x, area.y + area.height}}, back);
    const cv::Rect2d sight = bounds(corners);
    for (const auto& [id, overlay] : overlays) {
        if (!overlay.visible || (overlay.kind != Overlay::Kind::Mask && overlay.points.empty()))
            continue;
        const cv::Scalar colour = canvas.colour(overlay.colour);
        if (overlay.kind == Overlay::Kind::Mask) {
            draw_mask(canvas, overlay, view);
            continue;
        }
        // A text runs to the right on screen, whatever the angle: its whole
        // length is reach in every direction.
        const double reach = (std::max({overlay.width, overlay_handle_size, 12}) * scale
                              + overlay.text.size() * 12.0 * scale + 2)
                             / view.scale();
        const cv::Rect2d box = bounds(overlay.points);
        if (box.x - reach > sight.x + sight.width || box.y - reach > sight.y + sight.height
            || box.x + box.width + reach < sight.x || box.y + box.height + reach < sight.y)
            continue;
        const int thickness = stroke(overlay.width, scale);
        switch (overlay.kind) {
        case Overlay::Kind::Rect: {
            if (view.quarter_turns() >= 0)
                canvas.frame(bounds(to_control(overlay.points, m)), colour, thickness);
            else
                canvas.polyline(outline_corners(overlay, view, m, thickness), true, colour, thickness);
            if (overlay.editable)
                draw_handles(canvas, overlay, m, colour, scale);
            break;
        }
        case Overlay::Kind::Polygon:
            canvas.polyline(to_control(overlay.points, m), overlay.closed, colour, thickness);
            break;
        case Overlay::Kind::Points: {
            const double half = overlay.width * scale / 2;
            for (const cv::Point2d& p : to_control(overlay.points, m)) {
                const cv::Point2d q = canvas.local(p);
                if (q.x < -half - 2 || q.y < -half - 2 || q.x > pixels.cols + half + 2 || q.y > pixels.rows + half + 2)
                    continue;
                switch (overlay.marker) {
                case OverlayMarker::Cross:
                    canvas.segment(p - cv::Point2d(half, 0), p + cv::Point2d(half, 0), colour, 1);
                    canvas.segment(p - cv::Point2d(0, half), p + cv::Point2d(0, half), colour, 1);
                    break;
                case OverlayMarker::Circle:
                    cv::circle(pixels, cv::Point(static_cast<int>(std::lround(q.x * unit)), static_cast<int>(std::lround(q.y * unit))),
                               static_cast<int>(std::lround(half * unit)), colour, 1, cv::LINE_8, shift);
                    break;
                case OverlayMarker::Square:
                    canvas.polyline({p + cv::Point2d(-half, -half), p + cv::Point2d(half, -half),
                                     p + cv::Point2d(half, half), p + cv::Point2d(-half, half)},
                                    true, colour, 1);
                    break;
                }
            }
            break;
        }
        case Overlay::Kind::Text:
            canvas.text(overlay.text, to_control({overlay.points[0]}, m)[0], colour, scale);
            break;
        case Overlay::Kind::Mask:
            break;
        }
        if (!overlay.text.empty() && overlay.kind != Overlay::Kind::Text) {
            const auto points = to_control(overlay.points, m);
            const cv::Rect2d on_screen = bounds(points);
            const cv::Size size = text_coverage(overlay.text, scale).size();
            canvas.text(overlay.text, {on_screen.x, on_screen.y - size.height - 2 * scale}, colour, scale);
        }
    }
}

OverlayGrip overlay_grip(const Overlay& rect, const geometry::ViewTransform& view, cv::Point2d control, double scale)
{
    if (rect.kind != Overlay::Kind::Rect || rect.points.size() != 2)
        return OverlayGrip::None;
    const cv::Matx23d m = view.source_to_control_matrix();
    const auto handles = handle_points(rect, m);
    const double reach = overlay_handle_size * scale / 2 + 1;
    for (size_t i = 0; i < handles.size(); ++i)
        if (std::abs(handles[i].x - control.x) <= reach && std::abs(handles[i].y - control.y) <= reach)
            return handle_grips[i];
    const cv::Point2d s = view.control_to_source(control);
    const cv::Point2d a = rect.points[0], b = rect.points[1];
    return a.x <= s.x && s.x <= b.x && a.y <= s.y && s.y <= b.y ? OverlayGrip::Inside : OverlayGrip::None;
}

int overlay_grip_direction(const Overlay& rect, OverlayGrip grip, const geometry::ViewTransform& view)
{
    if (grip == OverlayGrip::None)
        return 0;
    if (grip == OverlayGrip::Inside)
        return 1;
    const cv::Matx23d m = view.source_to_control_matrix();
    const auto handles = handle_points(rect, m);
    const size_t i = static_cast<size_t>(std::find(handle_grips.begin(), handle_grips.end(), grip) - handle_grips.begin());
    const cv::Point2d centre = (handles[0] + handles[2]) * 0.5;
    const cv::Point2d d = handles[i] - centre;
    // The handle's direction from the centre on screen, folded to [0, 180).
    double angle = std::atan2(d.y, d.x) * 180.0 / CV_PI;
    if (angle < 0)
        angle += 180.0;
    const int octant = static_cast<int>(std::lround(angle / 45.0)) % 4;
    constexpr int directions[4] = {2, 4, 3, 5};
    return directions[octant];
}

cv::Rect2d dragged_rect(const cv::Rect2d& start, OverlayGrip grip, cv::Point2d moved, double minimum)
{
    double l = start.x, t = start.y, r = start.x + start.width, b = start.y + start.height;
    if (grip == OverlayGrip::Inside)
        return {l + moved.x, t + moved.y, start.width, start.height};
    const bool left = grip == OverlayGrip::Left || grip == OverlayGrip::TopLeft || grip == OverlayGrip::BottomLeft;
    const bool right = grip == OverlayGrip::Right || grip == OverlayGrip::TopRight || grip == OverlayGrip::BottomRight;
    const bool top = grip == OverlayGrip::Top || grip == OverlayGrip::TopLeft || grip == OverlayGrip::TopRight;
    const bool bottom = grip == OverlayGrip::Bottom || grip == OverlayGrip::BottomLeft || grip == OverlayGrip::BottomRight;
    if (left)
        l = std::min(l + moved.x, r - minimum);
    if (right)
        r = std::max(r + moved.x, l + minimum);
    if (top)
        t = std::min(t + moved.y, b - minimum);
    if (bottom)
        b = std::max(b + moved.y, t + minimum);
    return {l, t, r - l, b - t};
}

std::optional<int> overlay_at(const OverlayList& overlays, const geometry::ViewTransform& view, cv::Point2d control,
                              double scale)
{
    const cv::Matx23d m = view.source_to_control_matrix();
    const cv::Point2d s = view.control_to_source(control);
    const auto near_segment = [&](cv::Point2d a, cv::Point2d b, double reach) {
        const cv::Point2d ab = b - a;
        const double length = ab.dot(ab);
        const double along = length > 0 ? std::clamp((control - a).dot(ab) / length, 0.0, 1.0) : 0.0;
        const cv::Point2d gap = control - (a + ab * along);
        return gap.dot(gap) <= reach * reach;
    };
    for (auto it = overlays.rbegin(); it != overlays.rend(); ++it) {
        const Overlay& overlay = it->second;
        if (!overlay.visible)
            continue;
        const double reach = overlay.width * scale / 2 + 3 * scale;
        bool hit = false;
        switch (overlay.kind) {
        case Overlay::Kind::Rect:
            hit = overlay.editable ? overlay_grip(overlay, view, control, scale) != OverlayGrip::None
                                   : overlay.points[0].x <= s.x && s.x <= overlay.points[1].x
                                         && overlay.points[0].y <= s.y && s.y <= overlay.points[1].y;
            break;
        case Overlay::Kind::Polygon: {
            const auto points = to_control(overlay.points, m);
            if (overlay.closed && points.size() > 2) {
                std::vector<cv::Point2f> contour(points.begin(), points.end());
                hit = cv::pointPolygonTest(contour, cv::Point2f(control), false) >= 0;
            }
            for (size_t i = 0; !hit && i < points.size(); ++i) {
                const size_t j = i + 1 < points.size() ? i + 1 : (overlay.closed ? 0 : i);
                hit = near_segment(points[i], points[j], reach);
            }
            break;
        }
        case Overlay::Kind::Points:
            for (const cv::Point2d& p : to_control(overlay.points, m))
                hit = hit || near_segment(p, p, overlay.width * scale / 2 + 2);
            break;
        case Overlay::Kind::Text: {
            const cv::Size size = text_coverage(overlay.text, scale).size();
            const cv::Point2d at = to_control({overlay.points[0]}, m)[0];
            hit = cv::Rect2d(at.x, at.y, size.width, size.height).contains(control);
            break;
        }
        case Overlay::Kind::Mask: {
            const int x = static_cast<int>(std::floor(s.x)), y = static_cast<int>(std::floor(s.y));
            if (x >= 0 && y >= 0 && x < overlay.mask.cols && y < overlay.mask.rows) {
                cv::Mat one;
                overlay.mask(cv::Rect(x, y, 1, 1)).convertTo(one, CV_32S);
                hit = one.at<int>(0, 0) != 0;
            }
            break;
        }
        }
        if (hit)
            return it->first;
    }
    return std::nullopt;
}

} // namespace tesk_vumo
