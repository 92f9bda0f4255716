// What ImagePanel composes into its buffer: the image on the background,
// the selection outline, the following lines and the middle lines, and when
// each shows. Dashed lines are anti-aliased at the dash ends, so lines are
// found as columns (rows) mostly of the line's colour.

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <wx/dcclient.h>
#include <wx/dcmemory.h>

#include "panel_fixture.h"

using namespace tesk_vumo;
using namespace tesk_vumo::testing;

namespace {

const wxColour green(0, 160, 0);
const wxColour red(255, 0, 0);
const wxColour blue(0, 0, 255);
const wxColour grey(128, 128, 128);

/// Columns of which at least 40 % of the pixels are @p colour (a dashed line).
std::set<int> line_columns(const wxImage& image, const wxColour& colour)
{
    std::set<int> columns;
    for (int x = 0; x < image.GetWidth(); ++x)
        if (count_near(image, wxRect(x, 0, 1, image.GetHeight()), colour) * 10 >= image.GetHeight() * 4)
            columns.insert(x);
    return columns;
}

std::set<int> line_rows(const wxImage& image, const wxColour& colour)
{
    std::set<int> rows;
    for (int y = 0; y < image.GetHeight(); ++y)
        if (count_near(image, wxRect(0, y, image.GetWidth(), 1), colour) * 10 >= image.GetWidth() * 4)
            rows.insert(y);
    return rows;
}

/// Pixels of column @p x that are @p colour.
std::vector<bool> mask_of_column(const wxImage& image, int x, const wxColour& colour)
{
    std::vector<bool> mask;
    for (int y = 0; y < image.GetHeight(); ++y)
        mask.push_back(near(pixel(image, x, y), colour, 40));
    return mask;
}

class PanelRendering : public PanelTest
{
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(set_surface(400, 400));
        panel->set_zoom_mode(ZoomMode::NoZoom);
    }

    /// Red outline within @p slack pixels of the control rectangle from
    /// (left, top) to (right, bottom) inclusive, on each of its sides, and
    /// nowhere else.
    void expect_outline(int left, int top, int right, int bottom, int slack = 2)
    {
        const wxImage image = shown();
        const wxRect outer(wxPoint(left - slack, top - slack), wxPoint(right + slack, bottom + slack));
        const wxRect inner(wxPoint(left + slack + 1, top + slack + 1), wxPoint(right - slack - 1, bottom - slack - 1));
        const wxRect all(0, 0, image.GetWidth(), image.GetHeight());
        EXPECT_EQ(count_near(image, all, red), count_near(image, outer.Intersect(all), red))
            << "red outside the outline";
        if (inner.width > 0 && inner.height > 0)
            EXPECT_EQ(count_near(image, inner, red), 0) << "red inside the outline";
        const int w = right - left + 1, h = bottom - top + 1;
        const struct
        {
            const char* side;
            wxRect strip;
            int length;
        } sides[] = {
            {"left", wxRect(left - slack, top, 2 * slack + 1, h), h},
            {"right", wxRect(right - slack, top, 2 * slack + 1, h), h},
            {"top", wxRect(left, top - slack, w, 2 * slack + 1), w},
            {"bottom", wxRect(left, bottom - slack, w, 2 * slack + 1), w},
        };
        for (const auto& s : sides)
            EXPECT_GE(count_near(image, s.strip.Intersect(all), red), std::max(1, s.length / 3))
                << s.side << " side missing";
    }
};

} // namespace

TEST_F(PanelRendering, ImageIsCentredOnTheBackground)
{
    struct Case
    {
        wxSize image;
        wxPoint origin; // the odd pixel of the margin goes right (down)
    };
    const Case cases[] = {{{100, 50}, {150, 175}}, {{101, 51}, {149, 174}}, {{400, 10}, {0, 195}}};
    for (const Case& c : cases) {
        SCOPED_TRACE("image " + std::to_string(c.image.x) + "x" + std::to_string(c.image.y));
        panel->set_source_image(solid(c.image.x, c.image.y, {0, 160, 0}));
        EXPECT_EQ(panel->image_rect(), wxRect(c.origin, c.image));
        const wxImage image = shown();
        EXPECT_EQ(count_near(image, wxRect(0, 0, 400, 400), green, 0), c.image.x * c.image.y);
        EXPECT_EQ(count_near(image, wxRect(c.origin, c.image), green, 0), c.image.x * c.image.y);
        EXPECT_EQ(count_near(image, wxRect(0, 0, 400, 400), background(), 0), 400 * 400 - c.image.x * c.image.y);
    }
}

TEST_F(PanelRendering, SelectionOutlineSitsOnTheSelectedPixels)
{
    // 200x200 image at control (100, 100).
    panel->set_source_image(solid(200, 200, {0, 160, 0}));
    EXPECT_EQ(count_near(shown(), wxRect(0, 0, 400, 400), red), 0) << "no selection, no outline";

    struct Case
    {
        std::array<int, 4> selection;
        int left, top, right, bottom;
    };
    const Case cases[] = {
        {{10, 20, 30, 15}, 110, 120, 139, 134},
        {{40, 30, -10, -5}, 131, 126, 140, 130}, // dragged up and to the left, ending on (40, 30)
        {{-20, 10, 40, 10}, 80, 110, 119, 119},  // not clipped to the image
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("selection (" + std::to_string(c.selection[0]) + ", " + std::to_string(c.selection[1]) + ", "
                     + std::to_string(c.selection[2]) + ", " + std::to_string(c.selection[3]) + ")");
        panel->set_selection_rect(c.selection);
        expect_outline(c.left, c.top, c.right, c.bottom);
    }

    // The outline stays on the image's pixels when the view scrolls.
    panel->set_source_image(solid(800, 600, {0, 160, 0}));
    panel->set_selection_rect({150, 100, 40, 20});
    expect_outline(150, 100, 189, 119);
    scroll_to(hbar(), 100);
    scroll_to(vbar(), 50);
    SCOPED_TRACE("scrolled to (100, 50)");
    expect_outline(50, 50, 89, 69);
}

TEST_F(PanelRendering, MiddleLinesThroughTheImageCentre)
{
    struct Case
    {
        wxSize image;
        std::set<int> columns, rows; // control coordinates
    };
    const Case cases[] = {
        {{200, 100}, {200}, {200}},                  // at (100, 150); one line each
        {{201, 101}, {199, 200}, {199, 200}},        // at (99, 149); two lines each for odd sizes
        {{4, 5}, {200}, {199, 200}},                 // at (198, 197)
    };
    toggle(panel->ui_checkbox_middle_lines, true);
    for (const Case& c : cases) {
        SCOPED_TRACE("image " + std::to_string(c.image.x) + "x" + std::to_string(c.image.y));
        panel->set_source_image(solid(c.image.x, c.image.y, {0, 160, 0}));
        const wxImage image = shown();
        EXPECT_EQ(line_columns(image, blue), c.columns);
        EXPECT_EQ(line_rows(image, blue), c.rows);
    }

    // The middle column 400 of an 800-wide image is visible only once scrolled.
    panel->set_source_image(solid(800, 600, {0, 160, 0}));
    EXPECT_EQ(line_columns(shown(), blue), std::set<int>{});
    EXPECT_EQ(line_rows(shown(), blue), std::set<int>{300});
    scroll_to(hbar(), 1);
    EXPECT_EQ(line_columns(shown(), blue), std::set<int>{399});
    scroll_to(vbar(), 200);
    EXPECT_EQ(line_rows(shown(), blue), std::set<int>{100});

    toggle(panel->ui_checkbox_middle_lines, false);
    EXPECT_EQ(count_near(shown(), wxRect(0, 0, 400, 400), blue), 0);
}

TEST_F(PanelRendering, FollowingLinesThroughTheRecordedPointer)
{
    panel->set_source_image(solid(300, 300, {0, 160, 0})); // at (50, 50)
    EXPECT_EQ(count_near(shown(), wxRect(0, 0, 400, 400), grey), 0);

    // Before the pointer has been over the surface there are none: no
    // lines along the top and left edges for a position it never had.
    toggle(panel->ui_checkbox_follow_lines, true);
    EXPECT_EQ(count_near(shown(), wxRect(0, 0, 400, 400), grey), 0);

    move({120, 260});
    EXPECT_EQ(line_columns(shown(), grey), std::set<int>{120});
    EXPECT_EQ(line_rows(shown(), grey), std::set<int>{260});

    // Outside the image the pointer is recorded, and shows at the next redraw.
    move({20, 30});
    EXPECT_EQ(line_columns(shown(), grey), std::set<int>{120});
    panel->set_selection_rect({-1, -1, 0, 0});
    EXPECT_EQ(line_columns(shown(), grey), std::set<int>{20});
    EXPECT_EQ(line_rows(shown(), grey), std::set<int>{30});

    toggle(panel->ui_checkbox_follow_lines, false);
    EXPECT_EQ(count_near(shown(), wxRect(0, 0, 400, 400), grey), 0);
}

TEST_F(PanelRendering, MiddleLinesCoverFollowingLinesWhichCoverTheOutline)
{
    panel->set_source_image(solid(200, 200, {0, 160, 0})); // at (100, 100), middle column 200

    // Following line on the outline's left edge (column 150).
    toggle(panel->ui_checkbox_follow_lines, true);
    move({150, 250});
    const std::vector<bool> following = mask_of_column(shown(), 150, grey);
    ASSERT_GT(std::count(following.begin(), following.end(), true), 200);
    panel->set_selection_rect({50, 20, 60, 100});
    const wxImage with_outline = shown();
    EXPECT_EQ(mask_of_column(with_outline, 150, grey), following) << "the outline covered the following line";
    EXPECT_GT(count_near(with_outline, wxRect(150, 120, 1, 100), red), 0) << "the outline shows in the gaps";

    // Middle line on the following line (column 200).
    panel->set_selection_rect({-1, -1, 0, 0});
    toggle(panel->ui_checkbox_follow_lines, false);
    toggle(panel->ui_checkbox_middle_lines, true);
    const std::vector<bool> middle = mask_of_column(shown(), 200, blue);
    ASSERT_GT(std::count(middle.begin(), middle.end(), true), 200);
    toggle(panel->ui_checkbox_follow_lines, true);
    move({200, 250});
    const wxImage both = shown();
    EXPECT_EQ(line_rows(both, grey), std::set<int>{250}) << "the following lines should have moved";
    EXPECT_EQ(mask_of_column(both, 200, blue), middle) << "the following line covered the middle line";
}

TEST_F(PanelRendering, NewLineColoursShowAtTheNextRedraw)
{
    panel->set_source_image(solid(200, 200, {0, 160, 0}));
    toggle(panel->ui_checkbox_middle_lines, true);
    toggle(panel->ui_checkbox_follow_lines, true);
    move({150, 150});
    const unsigned long redraws = panel->redraw_count();

    const wxColour magenta(255, 0, 255), cyan(0, 200, 200);
    panel->set_middle_line_color(magenta);
    panel->set_following_line_color(cyan);
    EXPECT_EQ(panel->redraw_count(), redraws);
    EXPECT_EQ(line_columns(shown(), blue), std::set<int>{200});
    EXPECT_EQ(line_columns(shown(), grey), std::set<int>{150});

    panel->set_selection_rect({-1, -1, 0, 0});
    const wxImage image = shown();
    EXPECT_EQ(line_columns(image, magenta), std::set<int>{200});
    EXPECT_EQ(line_columns(image, cyan), std::set<int>{150});
    EXPECT_EQ(count_near(image, wxRect(0, 0, 400, 400), blue), 0);
    EXPECT_EQ(count_near(image, wxRect(0, 0, 400, 400), grey), 0);
}

TEST_F(PanelRendering, MiddleLinesSwitchedFromCodeShowAtTheNextRedraw)
{
    panel->set_source_image(solid(200, 200, {0, 160, 0}));
    unsigned long redraws = panel->redraw_count();

    panel->enable_middle_lines();
    EXPECT_TRUE(panel->ui_checkbox_middle_lines->IsChecked());
    EXPECT_EQ(panel->redraw_count(), redraws);
    EXPECT_EQ(line_columns(shown(), blue), std::set<int>{});

    panel->set_selection_rect({-1, -1, 0, 0});
    EXPECT_EQ(panel->redraw_count(), ++redraws);
    EXPECT_EQ(line_columns(shown(), blue), std::set<int>{200});

    panel->disable_middle_lines();
    EXPECT_FALSE(panel->ui_checkbox_middle_lines->IsChecked());
    EXPECT_EQ(panel->redraw_count(), redraws);
    EXPECT_EQ(line_columns(shown(), blue), std::set<int>{200});

    // By hand the box redraws at once, in both directions.
    toggle(panel->ui_checkbox_middle_lines, true);
    EXPECT_EQ(panel->redraw_count(), ++redraws);
    toggle(panel->ui_checkbox_middle_lines, false);
    EXPECT_EQ(panel->redraw_count(), ++redraws);
    EXPECT_EQ(line_columns(shown(), blue), std::set<int>{});
}

TEST_F(PanelRendering, PaintingCopiesTheBufferWithoutRecomposing)
{
    panel->set_source_image(solid(100, 50, {0, 160, 0})); // at (150, 175)
    const unsigned long redraws = panel->redraw_count();
    const auto screen = [&] { return on_screen(panel->ui_image, wxSize(400, 400)); };
    ASSERT_TRUE(wait_until([&] { return pixel(screen(), 200, 200) == green; }));
    {
        // Spoil what the window shows; only the paint handler can restore it.
        wxClientDC window(panel->ui_image);
        window.SetBackground(*wxBLACK_BRUSH);
        window.Clear();
    }
    ASSERT_TRUE(wait_until([&] { return pixel(screen(), 200, 200) == *wxBLACK; }));
    panel->ui_image->Refresh();
    panel->ui_image->Update();
    ASSERT_TRUE(wait_until([&] { return pixel(screen(), 200, 200) == green; }));
    const wxImage on_screen = screen();
    EXPECT_EQ(pixel(on_screen, 150, 175), green);
    EXPECT_EQ(pixel(on_screen, 149, 175), background());
    EXPECT_EQ(pixel(on_screen, 249, 224), green);
    EXPECT_EQ(pixel(on_screen, 250, 224), background());
    EXPECT_EQ(panel->redraw_count(), redraws);
}

// A motion shows again only the bands of the marks that moved: no line or
// outline may stay behind, in the buffer or on the screen, whether the
// picture was fitted whole or drawn from the source in a free view.
TEST_F(PanelRendering, PointerMarksLeaveNothingBehindOnTheScreen)
{
    panel->set_source_image(gradient(600, 500)); // larger than the surface: scrolled
    toggle(panel->ui_checkbox_middle_lines, true);
    toggle(panel->ui_checkbox_follow_lines, true);
    const auto bytes = [](const wxImage& image) {
        return std::string(reinterpret_cast<const char*>(image.GetData()), image.GetWidth() * image.GetHeight() * 3);
    };
    for (const bool free : {false, true}) {
        if (free)
            panel->set_zoom_rate(1.5);
        scroll_to(hbar(), 40);
        move({50, 60});
        press({50, 60});
        for (const wxPoint at : {wxPoint(90, 100), wxPoint(91, 180), wxPoint(260, 181), wxPoint(120, 120)})
            drag(at);
        release({120, 120});
        for (const wxPoint at : {wxPoint(130, 121), wxPoint(300, 300), wxPoint(301, 40)})
            move(at);
        const std::string marked = bytes(shown());
        EXPECT_EQ(line_columns(shown(), grey), std::set<int>{301}) << "free " << free;
        ASSERT_TRUE(wait_until([&] { return bytes(on_screen(panel->ui_image)) == marked; }))
            << "the screen kept a stale mark, free " << free;
        panel->draw_image();
        EXPECT_TRUE(bytes(shown()) == marked) << "the bands differ from the whole picture, free " << free;
    }
}

TEST_F(PanelRendering, NothingIsDrawnWithoutAnImage)
{
    const wxBitmap buffer = panel->buffer();
    panel->draw_image();
    toggle(panel->ui_checkbox_middle_lines, true);
    toggle(panel->ui_checkbox_follow_lines, true);
    move({10, 10});
    EXPECT_EQ(panel->redraw_count(), 0u);
    EXPECT_TRUE(buffer.IsSameAs(panel->buffer()));
}
