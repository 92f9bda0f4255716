// ImagePanel's pointer read-outs and rubber-band selection, driven by mouse
// events sent to the drawing surface.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "panel_fixture.h"

using namespace tesk_vumo;
using namespace tesk_vumo::testing;

namespace {

const wxColour red(255, 0, 0);

class PanelPointer : public PanelTest
{
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(set_surface(400, 400));
        panel->set_zoom_mode(ZoomMode::NoZoom);
    }

    /// Shows a 40x30 gradient, drawn at control (180, 185).
    void show_small()
    {
        panel->set_source_image(gradient(40, 30));
        ASSERT_EQ(panel->image_rect(), wxRect(180, 185, 40, 30));
    }

    /// Control position of displayed pixel (x, y) while unscrolled.
    wxPoint at(int x, int y) const { return panel->image_rect().GetTopLeft() + wxPoint(x, y); }

    std::string readouts() const
    {
        return std::string(panel->ui_x->GetValue().utf8_str()) + " | " + panel->ui_y->GetValue().utf8_str().data()
               + " | " + panel->ui_rgb->GetValue().utf8_str().data() + " | "
               + panel->ui_width->GetValue().utf8_str().data() + " | " + panel->ui_height->GetValue().utf8_str().data();
    }

    int red_pixels() const { return count_near(shown(), wxRect(0, 0, 400, 400), red); }
};

} // namespace

TEST_F(PanelPointer, ReadOutsShowThePixelUnderThePointer)
{
    cv::Mat image = solid(40, 30, {1, 2, 3});
    image.at<cv::Vec3b>(3, 7) = {12, 34, 56};
    panel->set_source_image(image);
    const unsigned long redraws = panel->redraw_count();

    move(at(7, 3));
    EXPECT_EQ(readouts(), "7 | 3 | 12, 34, 56 | 0 | 0");
    EXPECT_EQ(panel->get_mouse_image_position(), wxPoint(7, 3));
    move(at(39, 29)); // the last drawn column and row are inside
    EXPECT_EQ(readouts(), "39 | 29 | 1, 2, 3 | 0 | 0");

    for (const wxPoint outside : {at(40, 29), at(39, 30), at(-1, 0), at(0, -1)}) {
        SCOPED_TRACE("control " + std::to_string(outside.x) + ", " + std::to_string(outside.y));
        move(outside);
        EXPECT_EQ(panel->mouse_position_in_panel(), outside);
        EXPECT_EQ(panel->get_mouse_image_position(), wxPoint(-1, -1));
        EXPECT_EQ(readouts(), "39 | 29 | 1, 2, 3 | 0 | 0");
    }
    EXPECT_EQ(panel->redraw_count(), redraws) << "no drag and no following lines: nothing to redraw";

    // Scrolled, control coordinates map through the thumb positions.
    panel->set_source_image(gradient(800, 600));
    scroll_to(hbar(), 30);
    scroll_to(vbar(), 20);
    move({5, 7});
    EXPECT_EQ(readouts(), "35 | 27 | 35, 27, 62 | 0 | 0");
}

TEST_F(PanelPointer, UnmovedPointerIsAtTheControlOrigin)
{
    panel->set_source_image(gradient(800, 600));
    scroll_to(hbar(), 30);
    scroll_to(vbar(), 20);
    EXPECT_EQ(panel->mouse_position_in_panel(), wxPoint(0, 0));
    EXPECT_EQ(panel->get_mouse_image_position(), wxPoint(30, 20));

    ASSERT_NO_FATAL_FAILURE(show_small());
    EXPECT_EQ(panel->get_mouse_image_position(), wxPoint(-1, -1));
}

TEST_F(PanelPointer, DraggingFromAnAnchorSizesTheSelection)
{
    ASSERT_NO_FATAL_FAILURE(show_small());
    struct Case
    {
        wxPoint to;
        const char* width;
        const char* height;
        std::array<int, 4> normalised;
    };
    const Case cases[] = {
        {{14, 12}, "5", "3", {10, 10, 5, 3}},
        {{6, 10}, "-5", "1", {6, 10, 5, 1}}, // the anchor and the pointer column, as going right
        {{10, 10}, "1", "1", {10, 10, 1, 1}},
        {{8, 7}, "-3", "-4", {8, 7, 3, 4}},
        {{9, 10}, "-2", "1", {9, 10, 2, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("anchor (10, 10) dragged to (" + std::to_string(c.to.x) + ", " + std::to_string(c.to.y) + ")");
        const unsigned long redraws = panel->redraw_count();
        press(at(10, 10));
        drag(at(c.to.x, c.to.y));
        release(at(c.to.x, c.to.y));
        EXPECT_EQ(panel->redraw_count(), redraws + 2);
        EXPECT_EQ(panel->ui_width->GetValue(), c.width);
        EXPECT_EQ(panel->ui_height->GetValue(), c.height);
        EXPECT_EQ(panel->selection_rect().GetTopLeft(), wxPoint(10, 10));
        EXPECT_EQ(panel->get_selection_rect(), c.normalised);
        const std::optional<cv::Mat> pixels = panel->get_selection_image();
        ASSERT_TRUE(pixels.has_value());
        const auto [x, y, w, h] = c.normalised;
        if (w * h > 1) // a 1x1 outline may rasterise to nothing
            EXPECT_GT(red_pixels(), 0);
        ASSERT_EQ(pixels->cols, w);
        ASSERT_EQ(pixels->rows, h);
        // A view into the displayed image, not a copy.
        EXPECT_EQ(pixels->data, panel->image_being_shown().ptr(y) + x * 3);
        EXPECT_EQ(pixels->at<cv::Vec3b>(h - 1, w - 1), cv::Vec3b(x + w - 1, y + h - 1, x + w + y + h - 2));
    }
}

TEST_F(PanelPointer, SelectionIsKeptInImageCoordinatesWhileScrolling)
{
    panel->set_source_image(gradient(800, 600));
    scroll_to(hbar(), 30);
    scroll_to(vbar(), 20);
    press({5, 5});
    drag({9, 7});
    EXPECT_EQ(panel->selection_rect(), wxRect(35, 25, 5, 3));
    scroll_to(hbar(), 0);
    EXPECT_EQ(panel->selection_rect(), wxRect(35, 25, 5, 3));
    const std::optional<cv::Mat> pixels = panel->get_selection_image();
    ASSERT_TRUE(pixels.has_value());
    EXPECT_EQ(pixels->data, panel->image_being_shown().ptr(25) + 35 * 3);
}

TEST_F(PanelPointer, PressWithoutMotionAnchorsAnEmptySelection)
{
    ASSERT_NO_FATAL_FAILURE(show_small());
    press(at(10, 10));
    release(at(10, 10));
    EXPECT_EQ(panel->selection_rect(), wxRect(10, 10, 0, 0));
    EXPECT_EQ(panel->get_selection_rect(), (std::array<int, 4>{10, 10, 0, 0}));
    EXPECT_FALSE(panel->get_selection_image().has_value());
    EXPECT_EQ(panel->ui_width->GetValue(), "0");
    EXPECT_EQ(panel->ui_height->GetValue(), "0");
}

TEST_F(PanelPointer, OnlyADragThatStartsInsideTheImageSelects)
{
    ASSERT_NO_FATAL_FAILURE(show_small());

    // Leaving the image stops the selection from changing until the pointer returns.
    press(at(10, 10));
    drag(at(20, 20));
    drag(at(50, 20));
    EXPECT_EQ(panel->selection_rect(), wxRect(10, 10, 11, 11));
    drag(at(30, 25));
    EXPECT_EQ(panel->selection_rect(), wxRect(10, 10, 21, 16));

    // A press outside drops the old selection at once.
    press(at(-5, -5));
    EXPECT_EQ(panel->selection_rect(), wxRect(-1, -1, 0, 0));
    EXPECT_EQ(red_pixels(), 0);
    drag(at(5, 5));
    drag(at(10, 8));
    EXPECT_EQ(panel->selection_rect(), wxRect(-1, -1, 0, 0));
    EXPECT_FALSE(panel->get_selection_image().has_value());
    EXPECT_EQ(readouts(), "10 | 8 | 10, 8, 18 | 0 | 0");
    EXPECT_EQ(red_pixels(), 0);
}

TEST_F(PanelPointer, HostSetSelectionRedrawsButLeavesTheReadOuts)
{
    ASSERT_NO_FATAL_FAILURE(show_small());
    press(at(10, 10));
    drag(at(12, 13));
    ASSERT_EQ(readouts(), "12 | 13 | 12, 13, 25 | 3 | 4");

    const unsigned long redraws = panel->redraw_count();
    panel->set_selection_rect({5, 5, 20, 10});
    EXPECT_EQ(panel->redraw_count(), redraws + 1);
    EXPECT_EQ(panel->selection_rect(), wxRect(5, 5, 20, 10));
    EXPECT_EQ(readouts(), "12 | 13 | 12, 13, 25 | 3 | 4");
    EXPECT_GT(count_near(shown(), wxRect(at(5, 5), wxSize(20, 1)), red), 10);

    // Reaching outside the image on the left and top: the pixels are cut at the edges.
    panel->set_selection_rect({-5, -3, 10, 8});
    EXPECT_EQ(panel->get_selection_rect(), (std::array<int, 4>{-5, -3, 10, 8}));
    std::optional<cv::Mat> pixels = panel->get_selection_image();
    ASSERT_TRUE(pixels.has_value());
    EXPECT_EQ(pixels->size(), cv::Size(5, 5));
    EXPECT_EQ(pixels->data, panel->image_being_shown().data);

    // And on the right and bottom.
    panel->set_selection_rect({35, 20, 10, 20});
    pixels = panel->get_selection_image();
    ASSERT_TRUE(pixels.has_value());
    EXPECT_EQ(pixels->size(), cv::Size(5, 10));
    EXPECT_EQ(pixels->data, panel->image_being_shown().ptr(20) + 35 * 3);
}

TEST_F(PanelPointer, EveryRefitClearsTheSelection)
{
    ASSERT_NO_FATAL_FAILURE(show_small());
    const std::vector<std::pair<std::string, std::function<void()>>> refits = {
        {"zoom mode", [&] { panel->set_zoom_mode(ZoomMode::NoZoom); }},
        {"rotation", [&] { panel->set_rotation(Rotation::NoRotation); }},
        {"image of the same size", [&] { panel->set_source_image(gradient(40, 30)); }},
        {"image of another size", [&] { panel->set_source_image(gradient(40, 31)); }},
        {"resize", [&] { set_surface(410, 400); }},
    };
    for (const auto& [what, refit] : refits) {
        SCOPED_TRACE(what);
        press(at(1, 1));
        drag(at(4, 5));
        ASSERT_EQ(panel->ui_width->GetValue(), "4");
        refit();
        EXPECT_EQ(panel->selection_rect(), wxRect(-1, -1, 0, 0));
        EXPECT_EQ(panel->ui_width->GetValue(), "0");
        EXPECT_EQ(panel->ui_height->GetValue(), "0");
        EXPECT_FALSE(panel->get_selection_image().has_value());
        EXPECT_EQ(red_pixels(), 0);
    }
}

TEST_F(PanelPointer, MotionRedrawsOnlyWhenSomethingMoves)
{
    ASSERT_NO_FATAL_FAILURE(show_small());
    const unsigned long fittings = panel->fitting_count();
    unsigned long redraws = panel->redraw_count();

    move(at(1, 1));
    move(at(2, 2));
    EXPECT_EQ(panel->redraw_count(), redraws);

    toggle(panel->ui_checkbox_follow_lines, true);
    EXPECT_EQ(panel->redraw_count(), ++redraws);
    for (int i = 0; i < 3; ++i) {
        move(at(5 + i, 5));
        EXPECT_EQ(panel->redraw_count(), ++redraws) << "move " << i;
    }
    move(at(-3, 5));
    EXPECT_EQ(panel->redraw_count(), redraws) << "outside the image";

    press(at(5, 5));
    EXPECT_EQ(panel->redraw_count(), ++redraws);
    drag(at(9, 9));
    EXPECT_EQ(panel->redraw_count(), ++redraws) << "a drag with following lines redraws once";

    toggle(panel->ui_checkbox_follow_lines, false);
    press(at(-3, 5));
    redraws = panel->redraw_count();
    drag(at(9, 9));
    EXPECT_EQ(panel->redraw_count(), redraws) << "a drag without a selection";
    EXPECT_EQ(panel->fitting_count(), fittings);
}

TEST_F(PanelPointer, DisablingSelectingResetsTheSelectionAndBlocksNewOnes)
{
    ASSERT_NO_FATAL_FAILURE(show_small());
    press(at(10, 10));
    drag(at(14, 12));
    unsigned long redraws = panel->redraw_count();

    panel->disable_selecting();
    EXPECT_FALSE(panel->selecting_enabled());
    EXPECT_EQ(panel->selection_rect(), wxRect(0, 0, 0, 0));
    EXPECT_EQ(panel->redraw_count(), ++redraws);
    EXPECT_EQ(red_pixels(), 0);

    press(at(10, 10));
    drag(at(14, 12));
    release(at(14, 12));
    EXPECT_EQ(panel->selection_rect(), wxRect(0, 0, 0, 0));
    EXPECT_FALSE(panel->get_selection_image().has_value());
    EXPECT_EQ(readouts(), "14 | 12 | 14, 12, 26 | 0 | 0");
    EXPECT_EQ(red_pixels(), 0);

    redraws = panel->redraw_count();
    panel->enable_selecting();
    EXPECT_TRUE(panel->selecting_enabled());
    EXPECT_EQ(panel->selection_rect(), wxRect(0, 0, 0, 0));
    EXPECT_EQ(panel->redraw_count(), redraws);

    press(at(10, 10));
    drag(at(14, 12));
    EXPECT_EQ(panel->get_selection_rect(), (std::array<int, 4>{10, 10, 5, 3}));
}

// The read-outs used to describe the pixel under the pointer before a new
// image, and the following lines stayed drawn after the pointer had gone.
TEST_F(PanelPointer, NewImageShowsThePixelUnderThePointerAndLeavingTakesTheFollowingLinesAway)
{
    panel->set_source_image(solid(400, 400, {200, 200, 200}));
    move(at(7, 3));
    EXPECT_EQ(readouts(), "7 | 3 | 200, 200, 200 | 0 | 0");
    panel->set_source_image(solid(400, 400, {10, 20, 30}));
    EXPECT_EQ(readouts(), "7 | 3 | 10, 20, 30 | 0 | 0");

    const wxColour grey(128, 128, 128);
    panel->ui_checkbox_follow_lines->SetValue(true);
    move(wxPoint(100, 120));
    EXPECT_GT(count_near(shown(), wxRect(100, 0, 1, 400), grey, 20), 100);

    send_mouse(wxEVT_LEAVE_WINDOW, wxPoint(100, 120), false);
    EXPECT_EQ(count_near(shown(), wxRect(100, 0, 1, 400), grey, 20), 0);
    EXPECT_EQ(count_near(shown(), wxRect(0, 120, 400, 1), grey, 20), 0);
    panel->set_source_image(solid(400, 400, {1, 2, 3}));
    EXPECT_EQ(readouts(), " |  |  | 0 | 0") << "a new image empties what no pointer reads";

    move(wxPoint(150, 60));
    EXPECT_GT(count_near(shown(), wxRect(150, 0, 1, 400), grey, 20), 100) << "back when the pointer returns";
}

TEST_F(PanelPointer, KeptSelectionFollowsItsSourcePixelsThroughRefits)
{
    ASSERT_NO_FATAL_FAILURE(show_small());
    panel->set_keep_selection(true);
    press(at(10, 10));
    drag(at(19, 14));
    const std::array<int, 4> source{10, 10, 10, 5};
    ASSERT_EQ(panel->get_selection_source_rect(), source);

    // Source 40 x 30: clockwise, source (x, y) shows at (30 - y, x), twice as large.
    const std::vector<std::tuple<std::string, std::function<void()>, wxRect>> refits = {
        {"new frame", [&] { panel->set_source_image(gradient(40, 30)); }, {10, 10, 10, 5}},
        {"zoom steps", [&] { panel->zoom_step(4, {200, 200}); }, {20, 20, 20, 10}},
        {"turn", [&] { panel->set_rotation(Rotation::ClockWise90); }, {30, 20, 10, 20}},
    };
    for (const auto& [what, refit, expected] : refits) {
        SCOPED_TRACE(what);
        refit();
        EXPECT_EQ(panel->selection_rect(), expected);
        EXPECT_EQ(panel->get_selection_source_rect(), source);
        EXPECT_EQ(panel->ui_width->GetValue() + " " + panel->ui_height->GetValue(),
                  wxString::Format("%d %d", expected.width, expected.height));
        // The outline's top side, dashed: a third of it at least.
        EXPECT_GE(count_near(shown(), wxRect(at(expected.x, expected.y), wxSize(expected.width, 1)), red),
                  expected.width / 3);
    }

    // A smaller source cuts it to columns 10 to 14 and rows 10 and 11; one without those pixels clears it.
    panel->set_source_image(gradient(15, 12));
    EXPECT_EQ(panel->get_selection_source_rect(), (std::array<int, 4>{10, 10, 5, 2}));
    EXPECT_EQ(panel->selection_rect(), wxRect(0, 20, 4, 10));
    panel->set_source_image(gradient(8, 8));
    EXPECT_EQ(panel->selection_rect(), wxRect(-1, -1, 0, 0));

    // Switched off, the selection stays until the next refit clears it.
    panel->set_source_image(gradient(40, 30));
    panel->set_selection_rect({2, 2, 6, 6});
    panel->set_keep_selection(false);
    EXPECT_EQ(panel->selection_rect(), wxRect(2, 2, 6, 6));
    panel->set_rotation(Rotation::NoRotation);
    EXPECT_EQ(panel->selection_rect(), wxRect(-1, -1, 0, 0));
    EXPECT_EQ(red_pixels(), 0);
}
