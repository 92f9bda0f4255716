// What a redraw of the pointer's marks shows again: the bands of the marks
// that moved while the picture under them stayed, else the whole surface.

#include <algorithm>
#include <numeric>

#include <gtest/gtest.h>

#include "common/overlay_areas.h"

using namespace tesk_vumo;

namespace {

bool covered(const std::vector<cv::Rect>& areas, cv::Point point)
{
    return std::any_of(areas.begin(), areas.end(), [&](const cv::Rect& area) { return area.contains(point); });
}

} // namespace

TEST(OverlayAreas, OnlyTheMarksThatMovedAreShownAgain)
{
    const ShownOverlays before{{7}, {400, 300}, cv::Point(100, 50), {20, 30, 40, 50}};
    const cv::Rect whole(0, 0, 400, 300);
    const auto after = [&](auto change) {
        ShownOverlays now = before;
        change(now);
        return changed_areas(before, now, 2);
    };
    EXPECT_EQ(changed_areas(std::nullopt, before, 2), std::vector<cv::Rect>{whole}) << "nothing shown yet";
    EXPECT_TRUE(after([](ShownOverlays&) {}).empty()) << "nothing moved";

    // The pointer moves right: the old and new vertical lines, not the
    // horizontal one, which is drawn where it was.
    const auto move_right = [](ShownOverlays& s) { s.pointer = cv::Point(103, 50); };
    auto areas = after(move_right);
    for (int x : {98, 100, 102, 103, 105})
        EXPECT_TRUE(covered(areas, {x, 0}) && covered(areas, {x, 299})) << "column " << x;
    EXPECT_FALSE(covered(areas, {97, 150}) || covered(areas, {106, 150}));
    EXPECT_FALSE(covered(areas, {200, 50})) << "the horizontal line did not move";
    EXPECT_LE(std::accumulate(areas.begin(), areas.end(), 0, [](int sum, const cv::Rect& a) { return sum + a.area(); }),
              2 * 5 * 300);

    // The pointer leaves the surface: its lines go.
    areas = after([](ShownOverlays& s) { s.pointer.reset(); });
    EXPECT_TRUE(covered(areas, {100, 200}) && covered(areas, {300, 50}));
    EXPECT_FALSE(covered(areas, {200, 200}));

    // The outline grows by a drag: the sides before and now, not its inside.
    areas = after([](ShownOverlays& s) { s.outline = {20, 30, 60, 70}; });
    for (cv::Point p : {cv::Point(20, 60), cv::Point(59, 60), cv::Point(79, 60), cv::Point(40, 30),
                        cv::Point(40, 79), cv::Point(40, 99), cv::Point(18, 28), cv::Point(81, 101)})
        EXPECT_TRUE(covered(areas, p)) << p;
    EXPECT_FALSE(covered(areas, {40, 60})) << "inside the outline";
    EXPECT_FALSE(covered(areas, {100, 200})) << "the pointer's lines did not move";
    for (const cv::Rect& area : areas)
        EXPECT_EQ(area & whole, area) << "cut to the surface";

    // With the pointer's move, a new picture, a scroll, another background,
    // middle lines switched on, another surface: all is shown again.
    for (auto change : {+[](ShownOverlays& s) { ++s.picture.number; },
                        +[](ShownOverlays& s) { s.picture.scroll.x += 1; },
                        +[](ShownOverlays& s) { s.picture.background = 0xffffffffu; },
                        +[](ShownOverlays& s) { s.picture.middle_lines = 0xff0000ffu; },
                        +[](ShownOverlays& s) { s.surface.width += 1; }}) {
        ShownOverlays now = before;
        move_right(now), change(now);
        EXPECT_EQ(changed_areas(before, now, 2), std::vector<cv::Rect>{cv::Rect(cv::Point(), now.surface)});
    }
}
