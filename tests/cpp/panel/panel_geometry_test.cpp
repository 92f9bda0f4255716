// ImagePanel's geometry seen from outside: the displayed size under each
// zoom mode and rotation, the scroll bars, wheel and scroll-bar scrolling,
// and which changes refit.

#include <functional>
#include <string>
#include <vector>

#include "panel_fixture.h"
#include "tesk_vumo/common/errors.h"

using namespace tesk_vumo;
using namespace tesk_vumo::testing;

namespace {

struct Bar
{
    int position, thumb, range, page;
    bool operator==(const Bar& o) const
    {
        return position == o.position && thumb == o.thumb && range == o.range && page == o.page;
    }
};

std::ostream& operator<<(std::ostream& os, const Bar& b)
{
    return os << "{pos " << b.position << ", thumb " << b.thumb << ", range " << b.range << ", page " << b.page
              << "}";
}

Bar read(const wxScrollBar* bar)
{
    return {bar->GetThumbPosition(), bar->GetThumbSize(), bar->GetRange(), bar->GetPageSize()};
}

wxSize size_of(const cv::Mat& m) { return {m.cols, m.rows}; }

class PanelGeometry : public PanelTest
{
};

} // namespace

TEST_F(PanelGeometry, ConstructionDefaults)
{
    EXPECT_EQ(panel->zoom_mode(), ZoomMode::FitPage);
    EXPECT_EQ(panel->rotation(), Rotation::NoRotation);
    EXPECT_EQ(panel->middle_line_color(), wxColour(0, 0, 255));
    EXPECT_EQ(panel->following_line_color(), wxColour(128, 128, 128));
    EXPECT_TRUE(panel->selecting_enabled());
    EXPECT_EQ(panel->selection_rect(), wxRect(0, 0, 0, 0));
    EXPECT_EQ(panel->image_rect(), wxRect(0, 0, 0, 0));
    EXPECT_TRUE(panel->source_image().empty());
    EXPECT_TRUE(panel->image_being_shown().empty());
    EXPECT_FALSE(panel->user_data().has_value());
    EXPECT_EQ(panel->mouse_position_in_panel(), wxPoint(0, 0));
    EXPECT_EQ(panel->ui_zoom_mode->GetSelection(), 0);
    EXPECT_EQ(panel->fitting_count(), 0u);
    EXPECT_EQ(panel->redraw_count(), 0u);
    ASSERT_TRUE(panel->buffer().IsOk());
    EXPECT_EQ(panel->buffer().GetSize(), panel->ui_image->GetClientSize());

    // Not in the frame's sizer, so nothing resizes them after construction.
    auto* unsized = new ImagePanel(frame);
    EXPECT_EQ(unsized->GetSize(), wxSize(640, 480));
    auto* sized = new ImagePanel(frame, wxSize(300, 200));
    EXPECT_EQ(sized->GetSize(), wxSize(300, 200));

    panel->set_following_line_color(wxColour(255, 0, 0));
    EXPECT_EQ(panel->following_line_color(), wxColour(255, 0, 0));
    EXPECT_EQ(panel->middle_line_color(), wxColour(0, 0, 255));
    EXPECT_EQ(panel->redraw_count(), 0u);
}

TEST_F(PanelGeometry, ZoomModesScaleToTheSurfaceAndSetUpTheBars)
{
    ASSERT_NO_FATAL_FAILURE(set_surface(400, 400));
    struct Case
    {
        ZoomMode mode;
        wxSize shown;
        Bar h, v;
    };
    const Case cases[] = {
        {ZoomMode::FitPage, {400, 300}, {0, 400, 400, 399}, {0, 300, 300, 299}},
        {ZoomMode::NoZoom, {800, 600}, {0, 400, 800, 399}, {0, 400, 600, 399}},
        {ZoomMode::FitWidth, {400, 300}, {0, 400, 400, 399}, {0, 300, 300, 299}},
        {ZoomMode::FitHeight, {533, 400}, {0, 400, 533, 399}, {0, 400, 400, 399}},
    };
    panel->set_source_image(solid(800, 600, {0, 160, 0}));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("800x600 on 400x400 under ") + name(c.mode));
        panel->set_zoom_mode(c.mode);
        EXPECT_EQ(panel->zoom_mode(), c.mode);
        EXPECT_EQ(panel->ui_zoom_mode->GetSelection(), static_cast<int>(c.mode));
        EXPECT_EQ(size_of(panel->image_being_shown()), c.shown);
        EXPECT_EQ(read(hbar()), c.h);
        EXPECT_EQ(read(vbar()), c.v);
    }

    // Under FitPage the picture is centred vertically: rows 50 to 349.
    panel->set_zoom_mode(ZoomMode::FitPage);
    const wxImage picture = shown();
    EXPECT_TRUE(near(pixel(picture, 200, 50), wxColour(0, 160, 0), 2)) << str(pixel(picture, 200, 50));
    EXPECT_TRUE(near(pixel(picture, 200, 349), wxColour(0, 160, 0), 2)) << str(pixel(picture, 200, 349));
    EXPECT_EQ(pixel(picture, 200, 49), background());
    EXPECT_EQ(pixel(picture, 200, 350), background());
}

TEST_F(PanelGeometry, FitSizesTruncateAndFollowTheRotation)
{
    ASSERT_NO_FATAL_FAILURE(set_surface(100, 100));
    panel->set_source_image(solid(3, 2, {9, 9, 9}));
    EXPECT_EQ(size_of(panel->image_being_shown()), wxSize(100, 66));

    ASSERT_NO_FATAL_FAILURE(set_surface(400, 400));
    panel->set_source_image(solid(800, 600, {9, 9, 9}));
    panel->set_rotation(Rotation::ClockWise90);
    EXPECT_EQ(size_of(panel->image_being_shown()), wxSize(300, 400));
    EXPECT_EQ(read(hbar()), (Bar{0, 300, 300, 299}));
    EXPECT_EQ(read(vbar()), (Bar{0, 400, 400, 399}));
}

TEST_F(PanelGeometry, QuarterTurnsMoveTheTopLeftPixel)
{
    ASSERT_NO_FATAL_FAILURE(set_surface(400, 400));
    panel->set_zoom_mode(ZoomMode::NoZoom);
    cv::Mat source = solid(40, 30, {0, 0, 200});
    source.at<cv::Vec3b>(0, 0) = {255, 255, 0};
    panel->set_source_image(source);

    struct Case
    {
        Rotation rotation;
        wxSize shown;
        wxPoint corner; // where the marked pixel is expected in the displayed image
    };
    const Case cases[] = {
        {Rotation::ClockWise90, {30, 40}, {29, 0}},
        {Rotation::Double90, {40, 30}, {39, 29}},
        {Rotation::CounterClockWise90, {30, 40}, {0, 39}},
        {Rotation::DegreeAny, {40, 30}, {0, 0}},
        {Rotation::NoRotation, {40, 30}, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("rotation ") + name(c.rotation));
        panel->set_rotation(c.rotation);
        const cv::Mat& img = panel->image_being_shown();
        ASSERT_EQ(size_of(img), c.shown);
        EXPECT_EQ(img.at<cv::Vec3b>(c.corner.y, c.corner.x), cv::Vec3b(255, 255, 0));
        EXPECT_EQ(cv::countNonZero(img.reshape(1, img.rows * img.cols).col(0)), 1);

        const wxPoint origin((400 - c.shown.x) / 2, (400 - c.shown.y) / 2);
        EXPECT_EQ(panel->image_rect(), wxRect(origin, c.shown));
        const wxImage picture = shown();
        EXPECT_EQ(pixel(picture, origin.x + c.corner.x, origin.y + c.corner.y), wxColour(255, 255, 0));
        // The opposite corner shows the plain colour.
        EXPECT_EQ(pixel(picture, origin.x + c.shown.x - 1 - c.corner.x, origin.y + c.shown.y - 1 - c.corner.y),
                  wxColour(0, 0, 200));
    }
    // The rotation choice is the user's; the setter leaves it.
    EXPECT_EQ(panel->ui_angle->GetSelection(), 0);
}

TEST_F(PanelGeometry, OnlyASameSizedImageKeepsTheScrollPosition)
{
    ASSERT_NO_FATAL_FAILURE(set_surface(400, 400));
    panel->set_zoom_mode(ZoomMode::NoZoom);
    panel->set_source_image(gradient(800, 600));

    scroll_to(hbar(), 100);
    scroll_to(vbar(), 50);
    const unsigned long fittings = panel->fitting_count();
    panel->set_source_image(gradient(800, 600) + cv::Scalar(0, 0, 1));
    EXPECT_EQ(panel->fitting_count(), fittings + 1);
    EXPECT_EQ(hbar()->GetThumbPosition(), 100);
    EXPECT_EQ(vbar()->GetThumbPosition(), 50);
    EXPECT_EQ(pixel(shown(), 0, 0), wxColour(100, 50, 151)) << "the picture should start at column 100, row 50";
    EXPECT_EQ(panel->selection_rect(), wxRect(-1, -1, 0, 0));

    const std::vector<std::pair<std::string, std::function<void()>>> refits = {
        {"same zoom mode again", [&] { panel->set_zoom_mode(ZoomMode::NoZoom); }},
        {"same rotation again", [&] { panel->set_rotation(Rotation::NoRotation); }},
        {"resize", [&] { set_surface(420, 400); }},
        {"image of another size", [&] { panel->set_source_image(gradient(801, 600)); }},
    };
    for (const auto& [what, refit] : refits) {
        SCOPED_TRACE(what);
        scroll_to(hbar(), 100);
        scroll_to(vbar(), 50);
        ASSERT_EQ(hbar()->GetThumbPosition(), 100);
        const unsigned long before = panel->fitting_count();
        refit();
        // The frame may pass through intermediate sizes while it is resized.
        if (what == "resize")
            EXPECT_GT(panel->fitting_count(), before);
        else
            EXPECT_EQ(panel->fitting_count(), before + 1);
        EXPECT_EQ(hbar()->GetThumbPosition(), 0);
        EXPECT_EQ(vbar()->GetThumbPosition(), 0);
        const cv::Vec3b first = panel->image_being_shown().at<cv::Vec3b>(0, 0);
        EXPECT_EQ(pixel(shown(), 0, 0), wxColour(first[0], first[1], first[2]));
    }
}

TEST_F(PanelGeometry, SizeEventWithoutChangeDoesNotRefit)
{
    ASSERT_NO_FATAL_FAILURE(set_surface(400, 400));
    panel->set_source_image(solid(80, 60, {1, 2, 3}));
    const unsigned long fittings = panel->fitting_count();
    wxSizeEvent event(panel->ui_image->GetSize(), panel->ui_image->GetId());
    event.SetEventObject(panel->ui_image);
    panel->ui_image->ProcessWindowEvent(event);
    EXPECT_EQ(panel->fitting_count(), fittings);

    // Without an image a fitting does nothing.
    panel->set_source_image(std::nullopt);
    panel->fitting();
    EXPECT_EQ(panel->fitting_count(), fittings);
}

TEST_F(PanelGeometry, ZoomAnyKeepsThePictureThenZoomsAboutTheCentre)
{
    ASSERT_NO_FATAL_FAILURE(set_surface(400, 400));
    panel->set_zoom_mode(ZoomMode::NoZoom);
    panel->set_source_image(gradient(800, 600));
    scroll_to(hbar(), 100);
    const wxImage before = shown();

    // Chosen from NoZoom: same scale, same scroll position, same pixels.
    panel->set_zoom_mode(ZoomMode::ZoomAny);
    EXPECT_EQ(panel->zoom_mode(), ZoomMode::ZoomAny);
    EXPECT_EQ(panel->ui_zoom_mode->GetSelection(), 4);
    EXPECT_DOUBLE_EQ(panel->zoom_rate(), 1.0);
    EXPECT_EQ(read(hbar()).position, 100);
    EXPECT_TRUE(memcmp(shown().GetData(), before.GetData(), 400 * 400 * 3) == 0);
    EXPECT_EQ(pixel(shown(), 0, 0), wxColour(100, 0, 100));
    // The displayed image is made when asked for, with the displayed pixels.
    EXPECT_EQ(size_of(panel->image_being_shown()), wxSize(800, 600));
    EXPECT_EQ(panel->image_being_shown().at<cv::Vec3b>(10, 20), cv::Vec3b(20, 10, 30));

    // Twice as large: the source pixel at the centre, (300, 200), stays there.
    panel->set_zoom_rate(2.0);
    EXPECT_EQ(panel->zoom_mode(), ZoomMode::ZoomAny);
    EXPECT_EQ(read(hbar()), (Bar{400, 400, 1600, 399}));
    EXPECT_EQ(read(vbar()), (Bar{200, 400, 1200, 399}));
    EXPECT_EQ(pixel(shown(), 200, 200), wxColour(300 % 256, 200, 500 % 256));
    EXPECT_EQ(pixel(shown(), 201, 201), wxColour(300 % 256, 200, 500 % 256));
    EXPECT_EQ(panel->get_selection_rect(), (std::array<int, 4>{-1, -1, 0, 0}));

    // A rate out of range changes nothing.
    try {
        panel->set_zoom_rate(100);
        ADD_FAILURE() << "a rate of 100 was accepted";
    } catch (const ValueError& error) {
        EXPECT_STREQ(error.what(), "Unsupported Zoom Rate: 100");
    }
    EXPECT_DOUBLE_EQ(panel->zoom_rate(), 2.0);

    // Resizes and turns follow the free scale; what was at the centre stays there.
    ASSERT_NO_FATAL_FAILURE(resize_surface(500, 400));
    EXPECT_EQ(panel->buffer().GetSize(), wxSize(500, 400));
    EXPECT_EQ(pixel(shown(), 250, 200), wxColour(300 % 256, 200, 500 % 256));
    panel->set_rotation(Rotation::ClockWise90);
    EXPECT_EQ(panel->displayed_size(), cv::Size(1200, 1600));
    EXPECT_DOUBLE_EQ(panel->zoom_rate(), 2.0);

    // Another mode goes back to a whole displayed image.
    panel->set_zoom_mode(ZoomMode::FitPage);
    EXPECT_DOUBLE_EQ(panel->zoom_rate(), 0.5);
    EXPECT_EQ(size_of(panel->image_being_shown()), wxSize(300, 400));
}

TEST_F(PanelGeometry, ZoomAnyChosenByHandKeepsTheFittedScale)
{
    ASSERT_NO_FATAL_FAILURE(set_surface(400, 400));
    panel->set_source_image(gradient(800, 600));
    const wxImage before = shown();

    choose(panel->ui_zoom_mode, 4);
    EXPECT_EQ(panel->zoom_mode(), ZoomMode::ZoomAny);
    EXPECT_DOUBLE_EQ(panel->zoom_rate(), 0.5);
    EXPECT_EQ(size_of(panel->image_being_shown()), wxSize(400, 300));
    EXPECT_EQ(panel->image_rect(), wxRect(0, 50, 400, 300));
    const wxImage after = shown();
    int far_off = 0;
    for (int i = 0; i < 400 * 400 * 3; ++i)
        far_off += std::abs(after.GetData()[i] - before.GetData()[i]) > 2;
    EXPECT_LT(far_off, 400 * 400 * 3 / 50) << "the picture should not jump";

    choose(panel->ui_zoom_mode, 2);
    EXPECT_EQ(panel->zoom_mode(), ZoomMode::FitHeight);
    EXPECT_EQ(size_of(panel->image_being_shown()), wxSize(533, 400));

    // However far a fit enlarges, the scale read is the one shown, and the
    // free zoom keeps it (past the rates a host may set) with the fit's size,
    // its truncated side too; a step in goes no further, a step out to 64.
    struct Case
    {
        cv::Size source;
        ZoomMode mode;
        wxSize shown;
        double rate;
    };
    for (const Case& c : {Case{{2, 2}, ZoomMode::FitPage, {400, 400}, 200.0},
                          Case{{3, 2}, ZoomMode::FitWidth, {400, 266}, 400.0 / 3}}) {
        SCOPED_TRACE(::testing::PrintToString(c.source));
        panel->set_zoom_mode(c.mode);
        panel->set_source_image(gradient(c.source.width, c.source.height));
        EXPECT_EQ(size_of(panel->image_being_shown()), c.shown);
        EXPECT_DOUBLE_EQ(panel->zoom_rate(), c.rate);
        choose(panel->ui_zoom_mode, 4);
        EXPECT_EQ(panel->displayed_size(), cv::Size(c.shown.x, c.shown.y));
        EXPECT_DOUBLE_EQ(panel->zoom_rate(), c.rate);
        panel->zoom_step(1, {200, 200});
        EXPECT_DOUBLE_EQ(panel->zoom_rate(), c.rate);
        panel->zoom_step(-1, {200, 200});
        EXPECT_DOUBLE_EQ(panel->zoom_rate(), 64.0);
    }
}

TEST_F(PanelGeometry, WheelScrollsTenPixelsAndClamps)
{
    ASSERT_NO_FATAL_FAILURE(set_surface(400, 400));
    panel->set_zoom_mode(ZoomMode::NoZoom);
    panel->set_source_image(gradient(800, 600));
    const unsigned long fittings = panel->fitting_count();

    // Near the right edge the vertical bar moves, near the bottom the horizontal one.
    struct Case
    {
        const char* what;
        wxScrollBar* bar;
        int start;
        wxPoint at;
        int rotation;
        int expected;
    };
    const Case cases[] = {
        {"vertical, away from the user at 5", vbar(), 5, {390, 10}, 120, 0},
        {"vertical, away from the user at 0", vbar(), 0, {390, 10}, 120, 0},
        {"vertical, toward the user", vbar(), 20, {390, 10}, -120, 30},
        {"vertical, a large turn is still one step", vbar(), 20, {390, 10}, 360, 10},
        {"horizontal, toward the user at 395", hbar(), 395, {10, 390}, -120, 400},
        {"horizontal, toward the user at the end", hbar(), 400, {10, 390}, -120, 400},
        {"horizontal, at the tie point", hbar(), 100, {200, 200}, 120, 90},
        {"no rotation", hbar(), 100, {10, 390}, 0, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        scroll_to(hbar(), 100);
        scroll_to(vbar(), 100);
        scroll_to(c.bar, c.start);
        wxScrollBar* other = c.bar == hbar() ? vbar() : hbar();
        const unsigned long redraws = panel->redraw_count();
        wheel(c.at.x, c.at.y, c.rotation);
        EXPECT_EQ(c.bar->GetThumbPosition(), c.expected);
        EXPECT_EQ(other->GetThumbPosition(), 100);
        EXPECT_EQ(panel->redraw_count(), redraws + (c.expected != c.start ? 1 : 0));
        const int col = hbar()->GetThumbPosition(), row = vbar()->GetThumbPosition();
        EXPECT_EQ(pixel(shown(), 0, 0), wxColour(col % 256, row % 256, (row + col) % 256));
    }
    EXPECT_EQ(panel->fitting_count(), fittings);
}

TEST_F(PanelGeometry, WheelOverAScrollBarMovesItOnePixel)
{
    ASSERT_NO_FATAL_FAILURE(set_surface(400, 400));
    panel->set_zoom_mode(ZoomMode::NoZoom);
    panel->set_source_image(gradient(800, 600));
    scroll_to(hbar(), 50);
    scroll_to(vbar(), 50);
    const unsigned long fittings = panel->fitting_count();
    unsigned long redraws = panel->redraw_count();

    wheel_on(vbar(), -120);
    EXPECT_EQ(vbar()->GetThumbPosition(), 51);
    EXPECT_EQ(panel->redraw_count(), ++redraws);
    wheel_on(hbar(), 120);
    EXPECT_EQ(hbar()->GetThumbPosition(), 49);
    EXPECT_EQ(panel->redraw_count(), ++redraws);
    EXPECT_EQ(pixel(shown(), 0, 0), wxColour(49, 51, 100));

    // A wheel event whose source is not a scroll bar is ignored.
    wxMouseEvent event = wheel_event(panel->ui_image, 5, 5, 120);
    panel->on_mouse_wheel_scroll(event);
    EXPECT_EQ(hbar()->GetThumbPosition(), 49);
    EXPECT_EQ(vbar()->GetThumbPosition(), 51);
    EXPECT_EQ(panel->redraw_count(), redraws);
    EXPECT_EQ(panel->fitting_count(), fittings);
}

TEST_F(PanelGeometry, ScrollBarEventsRedrawOnceWithoutRefitting)
{
    ASSERT_NO_FATAL_FAILURE(set_surface(400, 400));
    panel->set_zoom_mode(ZoomMode::NoZoom);
    panel->set_source_image(gradient(800, 600));
    const unsigned long fittings = panel->fitting_count();
    const unsigned long redraws = panel->redraw_count();

    scroll_to(hbar(), 123);
    scroll_to(vbar(), 45);
    EXPECT_EQ(panel->redraw_count(), redraws + 2);
    EXPECT_EQ(panel->fitting_count(), fittings);
    const wxImage picture = shown();
    EXPECT_EQ(pixel(picture, 0, 0), wxColour(123, 45, 168));
    EXPECT_EQ(pixel(picture, 399, 399), wxColour((123 + 399) % 256, (45 + 399) % 256, (168 + 798) % 256));
    EXPECT_EQ(panel->image_rect(), wxRect(0, 0, 400, 400));
}

TEST_F(PanelGeometry, ClearingTheSourceKeepsWhatIsShown)
{
    ASSERT_NO_FATAL_FAILURE(set_surface(400, 400));
    panel->set_zoom_mode(ZoomMode::NoZoom);
    panel->set_source_image(gradient(800, 600));
    scroll_to(hbar(), 30);
    panel->set_selection_rect({1, 2, 3, 4});
    const uchar* shown_data = panel->image_being_shown().data;
    const wxBitmap old_buffer = panel->buffer();
    const unsigned long redraws = panel->redraw_count(), fittings = panel->fitting_count();

    panel->set_source_image(std::nullopt);
    EXPECT_TRUE(panel->source_image().empty());
    EXPECT_EQ(panel->image_being_shown().data, shown_data);
    EXPECT_EQ(hbar()->GetThumbPosition(), 30);
    EXPECT_EQ(panel->selection_rect(), wxRect(1, 2, 3, 4));
    ASSERT_TRUE(panel->buffer().IsOk());
    EXPECT_FALSE(panel->buffer().IsSameAs(old_buffer)) << "a fresh buffer is expected";
    EXPECT_EQ(panel->buffer().GetSize(), wxSize(400, 400));
    EXPECT_EQ(panel->redraw_count(), redraws);
    EXPECT_EQ(panel->fitting_count(), fittings);

    // Nothing was stored, so the next image starts unscrolled.
    panel->set_source_image(gradient(800, 600));
    EXPECT_EQ(hbar()->GetThumbPosition(), 0);
}
