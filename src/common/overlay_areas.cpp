#include "overlay_areas.h"

namespace tesk_vumo {

namespace {

void add_band(std::vector<cv::Rect>& areas, const cv::Rect& band, const cv::Size& surface)
{
    const cv::Rect cut = band & cv::Rect(cv::Point(), surface);
    if (cut.area() > 0)
        areas.push_back(cut);
}

void add_column(std::vector<cv::Rect>& areas, int x, int top, int height, int margin, const cv::Size& surface)
{
    add_band(areas, cv::Rect(x - margin, top - margin, 2 * margin + 1, height + 2 * margin), surface);
}

void add_row(std::vector<cv::Rect>& areas, int y, int left, int width, int margin, const cv::Size& surface)
{
    add_band(areas, cv::Rect(left - margin, y - margin, width + 2 * margin, 2 * margin + 1), surface);
}

void add_outline(std::vector<cv::Rect>& areas, const cv::Rect& r, int margin, const cv::Size& surface)
{
    add_column(areas, r.x, r.y, r.height, margin, surface);
    add_column(areas, r.x + r.width - 1, r.y, r.height, margin, surface);
    add_row(areas, r.y, r.x, r.width, margin, surface);
    add_row(areas, r.y + r.height - 1, r.x, r.width, margin, surface);
}

} // namespace

std::vector<cv::Rect> changed_areas(const std::optional<ShownOverlays>& before, const ShownOverlays& now,
                                    int margin)
{
    const cv::Size surface = now.surface;
    if (!before || !(before->picture == now.picture) || before->surface != surface)
        return surface.area() > 0 ? std::vector<cv::Rect>{cv::Rect(cv::Point(), surface)} : std::vector<cv::Rect>{};
    std::vector<cv::Rect> areas;
    // A line that stays where it was is drawn the same: only the one that moved changes.
    const std::optional<cv::Point>&old = before->pointer, &pointer = now.pointer;
    const auto column = [](const std::optional<cv::Point>& p) { return p ? std::optional<int>(p->x) : std::nullopt; };
    const auto row = [](const std::optional<cv::Point>& p) { return p ? std::optional<int>(p->y) : std::nullopt; };
    if (column(old) != column(pointer))
        for (const auto& x : {column(old), column(pointer)})
            if (x)
                add_column(areas, *x, 0, surface.height, margin, surface);
    if (row(old) != row(pointer))
        for (const auto& y : {row(old), row(pointer)})
            if (y)
                add_row(areas, *y, 0, surface.width, margin, surface);
    if (before->outline != now.outline) {
        add_outline(areas, before->outline, margin, surface);
        add_outline(areas, now.outline, margin, surface);
    }
    if (before->focus != now.focus)
        add_outline(areas, cv::Rect(cv::Point(), surface), margin, surface);
    return areas;
}

} // namespace tesk_vumo
