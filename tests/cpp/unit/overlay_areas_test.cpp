// What a redraw of the pointer's marks shows again: the bands of the marks
// that moved while the picture under them stayed, else the whole surface.

#include <gtest/gtest.h>

#include "common/overlay_areas.h"

using namespace tesk_vumo;

namespace {

/// Whether @p point lies in one of @p areas.
bool covered(const std::vector<cv::Rect>& areas, cv::Point point)
{
    for (const cv::Rect& area : areas)
        if (area.contains(point))
            return true;
    return false;
}

long long area_sum(const std::vector<cv::Rect>& areas)
{
    long long sum = 0;
    for (const cv::Rect& area : areas)
        sum += area.area();
    return sum;
}

} // namespace

TEST(OverlayAreas, OnlyTheMarksThatMovedAreShownAgain)
{
    ShownOverlays before;
    before.picture.number = 7;
    before.surface = {400, 300};
    before.pointer = cv::Point(100, 50);
    before.outline = {20, 30, 40, 50};
    const cv::Rect whole(0, 0, 400, 300);
    constexpr int margin = 2;

    EXPECT_EQ(changed_areas(std::nullopt, before, margin), std::vector<cv::Rect>{whole}) << "nothing shown yet";
    EXPECT_TRUE(changed_areas(before, before, margin).empty()) << "nothing moved";

    // The pointer moves right: the old and new vertical lines, not the
    // horizontal one, which is drawn where it was.
    ShownOverlays moved = before;
    moved.pointer = cv::Point(103, 50);
    auto areas = changed_areas(before, moved, margin);
    for (int x : {98, 100, 102, 103, 105})
        EXPECT_TRUE(covered(areas, {x, 0}) && covered(areas, {x, 299})) << "column " << x;
    EXPECT_FALSE(covered(areas, {97, 150}));
    EXPECT_FALSE(covered(areas, {106, 150}));
    EXPECT_FALSE(covered(areas, {200, 50})) << "the horizontal line did not move";
    EXPECT_LE(area_sum(areas), 2 * 5 * 300);

    // The pointer leaves the surface: its lines go.
    ShownOverlays gone = before;
    gone.pointer.reset();
    areas = changed_areas(before, gone, margin);
    EXPECT_TRUE(covered(areas, {100, 200}) && covered(areas, {300, 50}));
    EXPECT_FALSE(covered(areas, {200, 200}));

    // The outline grows by a drag: the sides before and now, not its inside.
    ShownOverlays dragged = before;
    dragged.outline = {20, 30, 60, 70};
    areas = changed_areas(before, dragged, margin);
    for (cv::Point p : {cv::Point(20, 60), cv::Point(59, 60), cv::Point(79, 60), cv::Point(40, 30),
                        cv::Point(40, 79), cv::Point(40, 99), cv::Point(18, 28), cv::Point(81, 101)})
        EXPECT_TRUE(covered(areas, p)) << p;
    EXPECT_FALSE(covered(areas, {40, 60})) << "inside the outline";
    EXPECT_FALSE(covered(areas, {100, 200})) << "the pointer's lines did not move";
    for (const cv::Rect& area : areas)
        EXPECT_EQ(area & whole, area) << "cut to the surface";

    // A new picture, a scroll, another background, middle lines switched
    // on, another surface: all is shown again.
    for (auto change : {+[](ShownOverlays& s) { ++s.picture.number; },
                        +[](ShownOverlays& s) { s.picture.scroll.x += 1; },
                        +[](ShownOverlays& s) { s.picture.background = 0xffffffffu; },
                        +[](ShownOverlays& s) { s.picture.middle_lines = 0xff0000ffu; },
                        +[](ShownOverlays& s) { s.surface.width += 1; }}) {
        ShownOverlays now = moved;
        change(now);
        EXPECT_EQ(changed_areas(before, now, margin), std::vector<cv::Rect>{cv::Rect(cv::Point(), now.surface)});
    }
}
