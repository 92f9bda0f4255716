// Overlays a host draws in source pixels: where they land on the surface
// in each kind of view, a mask's blend, editable rectangles dragged by the
// user, hit testing, and which new frames keep them.

#include <cmath>
#include <vector>

#include "panel_fixture.h"

using namespace tesk_vumo;
using namespace tesk_vumo::testing;

namespace {

const wxColour red(255, 0, 0);

struct View
{
    const char* name;
    ZoomMode zoom;
    double rate;      // ZoomAny's rate, else 0
    Rotation rotation;
    double degree;    // DegreeAny's angle
    wxRect expected;  // control pixels the rectangle (40, 30, 20, 10) covers; empty at a free angle
};

void PrintTo(const View& v, std::ostream* os) { *os << v.name; }

class PanelOverlayViews : public PanelTest, public ::testing::WithParamInterface<View>
{
};

/// Red pixels of @p image, as a bounding box and a count.
wxRect red_box(const wxImage& image, int& count)
{
    int l = image.GetWidth(), t = image.GetHeight(), r = -1, b = -1;
    count = 0;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            if (pixel(image, x, y) == red) {
                ++count;
                l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), b = std::max(b, y);
            }
    return r < 0 ? wxRect() : wxRect(wxPoint(l, t), wxPoint(r, b));
}

} // namespace

// A 200 x 160 black source on a 400 x 400 surface; the rectangle's outline
// lies on the pixels just inside its edges, in whole and partial redraws,
// and never in the displayed image.
TEST_P(PanelOverlayViews, RectangleLandsOnItsSourcePixels)
{
    const View& v = GetParam();
    ASSERT_NO_FATAL_FAILURE(set_surface(400, 400));
    panel->set_zoom_mode(v.zoom);
    panel->set_source_image(solid(200, 160, {0, 0, 0}));
    if (v.rate > 0)
        panel->set_zoom_rate(v.rate);
    if (v.rotation == Rotation::DegreeAny)
        panel->set_rotation_degree(v.degree);
    else
        panel->set_rotation(v.rotation);
    panel->add_rect(40, 30, 20, 10, red);
    pump(); // overlays are shown when the event loop next runs

    toggle(panel->ui_checkbox_follow_lines, true);
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "whole redraw" : "partial redraw under the following lines");
        if (pass == 1)
            move(wxPoint(v.expected.IsEmpty() ? 200 : v.expected.x + 3, 5));
        const wxImage image = shown();
        int count = 0;
        const wxRect box = red_box(image, count);
        if (!v.expected.IsEmpty()) {
            EXPECT_EQ(box, v.expected);
            EXPECT_EQ(count, 2 * (v.expected.width + v.expected.height) - 4) << "a 1-pixel frame";
        } else {
            // The turned rectangle: corners where the viewer maps the source's.
            const wxRect rect = panel->image_rect();
            for (const cv::Point2d corner : {cv::Point2d(40, 30), cv::Point2d(60, 30), cv::Point2d(60, 40),
                                             cv::Point2d(40, 40)}) {
                const cv::Point2d d = *panel->source_to_display(corner);
                const wxPoint at(int(d.x) - hbar()->GetThumbPosition() + rect.x,
                                 int(d.y) - vbar()->GetThumbPosition() + rect.y);
                EXPECT_GT(count_near(image, wxRect(at.x - 2, at.y - 2, 5, 5), red, 0), 0) << at.x << ", " << at.y;
            }
            EXPECT_GE(count, 45);
            EXPECT_LE(count, 60);
        }
    }
    cv::Mat red_there;
    cv::inRange(panel->image_being_shown(), cv::Scalar(255, 0, 0), cv::Scalar(255, 0, 0), red_there);
    EXPECT_EQ(cv::countNonZero(red_there), 0) << "drawn into the displayed image";
}

INSTANTIATE_TEST_SUITE_P(
    Views, PanelOverlayViews,
    ::testing::Values(View{"fit page", ZoomMode::FitPage, 0, Rotation::NoRotation, 0, {80, 100, 40, 20}},
                      View{"1:1", ZoomMode::NoZoom, 0, Rotation::NoRotation, 0, {140, 150, 20, 10}},
                      View{"free zoom", ZoomMode::NoZoom, 1.5, Rotation::NoRotation, 0, {110, 125, 30, 15}},
                      View{"quarter turn", ZoomMode::NoZoom, 0, Rotation::ClockWise90, 0, {240, 140, 10, 20}},
                      View{"free angle", ZoomMode::NoZoom, 0, Rotation::DegreeAny, 30, {}}),
    [](const ::testing::TestParamInfo<View>& info) {
        std::string name = info.param.name;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

class PanelOverlays : public PanelTest
{
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(set_surface(400, 400));
        panel->set_zoom_mode(ZoomMode::NoZoom);
        panel->set_source_image(solid(200, 160, {255, 255, 255}));
    }
};

// Label 1 in the mask's colour, another label in a colour of its own, each
// blended at alpha over the picture; 0 leaves it.
TEST_F(PanelOverlays, MaskBlendsItsLabels)
{
    cv::Mat labels(160, 200, CV_8U, cv::Scalar(0));
    labels(cv::Rect(0, 0, 10, 10)).setTo(1);
    labels(cv::Rect(20, 0, 10, 10)).setTo(2);
    panel->add_mask(labels, wxColour(0, 0, 255), 0.5);
    pump();
    const wxImage image = shown();
    // The source's top-left is at control (100, 120).
    EXPECT_EQ(str(pixel(image, 105, 125)), "(127, 127, 255)");
    const wxColour second = pixel(image, 125, 125);
    EXPECT_NE(str(second), "(127, 127, 255)");
    EXPECT_NE(str(second), "(255, 255, 255)");
    EXPECT_EQ(str(pixel(image, 115, 125)), "(255, 255, 255)");
    EXPECT_THROW(panel->add_mask(cv::Mat(10, 10, CV_8U, cv::Scalar(1)), red), ValueError);
}

// A drag inside an editable rectangle moves it, one on its corner handle
// resizes it; each change is an event with the rectangle in source pixels,
// and neither starts a selection.
TEST_F(PanelOverlays, EditableRectangleFollowsDrags)
{
    const int id = panel->add_rect(40, 30, 40, 30, red, 1, "", true); // control (140, 150) to (180, 180)
    std::vector<std::array<double, 4>> events;
    panel->Bind(EVT_VIEWER_OVERLAY, [&](ViewerEvent& e) {
        EXPECT_EQ(e.overlay_id(), id);
        events.push_back(e.overlay_rect());
    });
    press(wxPoint(160, 165));
    drag(wxPoint(165, 167));
    drag(wxPoint(170, 175));
    release(wxPoint(170, 175));
    const std::array<double, 4> moved{50, 40, 40, 30};
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events.back(), moved);
    EXPECT_EQ(panel->overlay_rect(id), moved);
    EXPECT_EQ(panel->selection_rect().GetPosition(), wxPoint(-1, -1));

    press(wxPoint(189, 189)); // the bottom-right handle, now at (190, 190)
    drag(wxPoint(200, 195));
    release(wxPoint(200, 195));
    const std::array<double, 4> resized{50, 40, 51, 36};
    EXPECT_EQ(events.back(), resized);
    EXPECT_EQ(panel->overlay_rect(id), resized);
    EXPECT_EQ(panel->selection_rect().GetPosition(), wxPoint(-1, -1));
}

// The topmost visible overlay under a control point.
TEST_F(PanelOverlays, HitTestFindsTheTopmost)
{
    const int below = panel->add_rect(40, 30, 20, 10, red);
    const int above = panel->add_points({{50.5, 35.5}}, red, 5, "square");
    EXPECT_EQ(panel->hit_test(150, 155), above);
    EXPECT_EQ(panel->hit_test(142, 152), below);
    EXPECT_EQ(panel->hit_test(90, 90), std::nullopt);
    panel->set_overlay_visible(above, false);
    EXPECT_EQ(panel->hit_test(150, 155), below);
    EXPECT_THROW(panel->set_overlay_visible(99, true), ValueError);
    // Text in any script the system's fonts have, drawn and hit where shown.
    const int text = panel->add_text(10, 10, "细胞", red);
    pump();
    EXPECT_GT(count_near(shown(), wxRect(110, 130, 40, 20), red, 60), 10);
    EXPECT_EQ(panel->hit_test(116, 137), text);
}

// A live feed's next frame keeps the overlays; a source of another size
// clears them, unless the host keeps them.
TEST_F(PanelOverlays, NewFramesKeepOrClearThem)
{
    const int id = panel->add_rect(40, 30, 20, 10, red);
    panel->set_source_image(solid(200, 160, {0, 0, 0}));
    EXPECT_EQ(panel->overlay_ids(), std::vector<int>{id});
    EXPECT_EQ(pixel(shown(), 140, 150), red);
    panel->set_source_image(solid(100, 80, {0, 0, 0}));
    EXPECT_TRUE(panel->overlay_ids().empty());
    panel->set_keep_overlays(true);
    const int kept = panel->add_rect(4, 3, 2, 1, red);
    panel->set_source_image(solid(200, 160, {0, 0, 0}));
    EXPECT_EQ(panel->overlay_ids(), std::vector<int>{kept});
    panel->remove_overlay(kept);
    EXPECT_THROW(panel->remove_overlay(kept), ValueError);
}
