// Zooming about the pointer, keys and dragging the view on an ImagePanel (Image shares the core).

#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <utility>

#include <wx/settings.h>

#include "panel_fixture.h"
#include "tesk_vumo/common/viewer_events.h"

using namespace tesk_vumo;
using namespace tesk_vumo::testing;

namespace {

class PanelNavigation : public PanelTest
{
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(set_surface(400, 400));
        panel->set_zoom_mode(ZoomMode::NoZoom);
        panel->set_source_image(gradient(800, 600));
    }
    void send(wxEvent& event)
    {
        event.SetEventObject(panel->ui_image);
        panel->ui_image->ProcessWindowEvent(event);
    }
    void key(int code, int presses = 1, wxEventType type = wxEVT_KEY_DOWN)
    {
        wxKeyEvent event(type);
        event.m_keyCode = code;
        for (int i = 0; i < presses; ++i)
            send(event);
    }
    void ctrl_wheel(wxPoint at, int rotation)
    {
        wxMouseEvent event = wheel_event(panel->ui_image, at.x, at.y, rotation);
        event.SetControlDown(true);
        send(event);
    }
    void middle(wxEventType type, wxPoint at)
    {
        wxMouseEvent event(type);
        event.SetPosition(at);
        event.SetMiddleDown(type != wxEVT_MIDDLE_UP);
        send(event);
    }
    wxPoint scroll() const { return {hbar()->GetThumbPosition(), vbar()->GetThumbPosition()}; }
};

// gradient(): pixel (r, c) is (c % 256, r % 256, (r + c) % 256).
wxColour gradient_at(int c, int r) { return wxColour(c % 256, r % 256, (r + c) % 256); }

} // namespace

TEST_F(PanelNavigation, PointerNavigationIsOffUntilTheHostSwitchesItOn)
{
    ASSERT_FALSE(panel->pointer_navigation());
    scroll_to(vbar(), 100);
    // Nearer the right edge than the bottom: the wheel moves the vertical bar.
    const wxPoint at(200, 100);
    move(at);
    ctrl_wheel(at, 120);
    EXPECT_EQ(panel->zoom_mode(), ZoomMode::NoZoom);
    EXPECT_EQ(scroll(), wxPoint(0, 90)) << "Ctrl+wheel scrolls as the wheel does";

    // Any button held drags the selection's corner; neither drag moves the view.
    press({100, 100});
    release({100, 100});
    middle(wxEVT_MIDDLE_DOWN, {100, 100});
    middle(wxEVT_MOTION, {130, 150});
    middle(wxEVT_MIDDLE_UP, {130, 150});
    EXPECT_EQ(panel->selection_rect(), wxRect(100, 190, 31, 51));
    key(WXK_SPACE);
    press({120, 120});
    drag({100, 100});
    release({100, 100});
    key(WXK_SPACE, 1, wxEVT_KEY_UP);
    EXPECT_EQ(panel->selection_rect(), wxRect(120, 210, -21, -21));
    EXPECT_EQ(scroll(), wxPoint(0, 90));

    // Switched on, the same wheel and drags zoom and pan: the tests below.
}

TEST_F(PanelNavigation, ZoomAboutThePointerKeepsTheSourcePixelUnderIt)
{
    panel->set_pointer_navigation(true);
    scroll_to(hbar(), 200);
    scroll_to(vbar(), 100);
    const wxPoint at(200, 200); // shows source pixel (400, 300)
    const wxColour under = gradient_at(400, 300);
    ASSERT_EQ(pixel(shown(), at.x, at.y), under);

    // Ctrl+wheel and the keys ('0' back to 1:1) zoom about the pointer.
    move(at);
    const std::pair<std::function<void()>, double> steps[] = {
        {[&] { ctrl_wheel(at, 120); }, std::exp2(0.25)}, {[&] { key('+', 3); }, 2.0},
        {[&] { key(WXK_NUMPAD_ADD, 8); }, 8.0},          {[&] { key('0'); }, 1.0},
        {[&] { key('-'); }, std::exp2(-0.25)},           {[&] { ctrl_wheel(at, -120); }, std::exp2(-0.5)}};
    for (const auto& [step, rate] : steps) {
        step();
        EXPECT_EQ(panel->zoom_mode(), ZoomMode::ZoomAny);
        EXPECT_NEAR(panel->zoom_rate(), rate, 1e-9);
        // Reduced views are interpolated; enlarged ones show each source pixel as a square.
        EXPECT_TRUE(near(pixel(shown(), at.x, at.y), under, rate < 1 ? 3 : 0)) << "at " << rate;
        if (rate == 8.0)
            EXPECT_EQ(pixel(shown(), at.x - 8, at.y), gradient_at(399, 300));
    }
}

TEST_F(PanelNavigation, KeysAndDragsScrollTheView)
{
    panel->set_pointer_navigation(true);
    // A click gives the drawing surface the keyboard.
    press({10, 10});
    release({10, 10});
    EXPECT_EQ(wxWindow::FindFocus(), panel->ui_image);

    // An arrow moves a tenth of the view, a page as far as the image goes.
    const std::pair<int, wxPoint> steps[] = {{WXK_DOWN, {0, 40}}, {WXK_RIGHT, {40, 40}}, {WXK_RIGHT, {80, 40}},
                                             {WXK_LEFT, {40, 40}}, {WXK_UP, {40, 0}}, {WXK_PAGEDOWN, {40, 200}},
                                             {WXK_PAGEUP, {40, 0}}, {WXK_END, {400, 200}}, {WXK_HOME, {0, 0}}};
    for (const auto& [code, expected] : steps) {
        key(code);
        EXPECT_EQ(scroll(), expected) << "after key " << code;
        EXPECT_EQ(pixel(shown(), 0, 0), gradient_at(expected.x, expected.y)) << "after key " << code;
    }

    // The middle button drags the image with the pointer, past the surface's edge too, not the selection.
    const wxRect selection = panel->selection_rect();
    middle(wxEVT_MIDDLE_DOWN, {200, 200});
    middle(wxEVT_MOTION, {150, 120});
    EXPECT_EQ(scroll(), wxPoint(50, 80));
    middle(wxEVT_MOTION, {-500, -500});
    EXPECT_EQ(scroll(), wxPoint(400, 200));
    middle(wxEVT_MIDDLE_UP, {-500, -500});
    move({0, 0});
    EXPECT_EQ(scroll(), wxPoint(400, 200)) << "the drag ends with the button";

    // Drags between pointers near the ends of the coordinate range (far off
    // the screen) reach the ends of the view, their differences beyond int.
    const int far = (1 << 30) + 1000;
    for (const int start : {far - 1000, -far}) {
        middle(wxEVT_MIDDLE_DOWN, {start, start});
        middle(wxEVT_MOTION, {far, far});
        EXPECT_EQ(scroll(), wxPoint(0, 0));
        middle(wxEVT_MOTION, {-far, -far});
        EXPECT_EQ(scroll(), wxPoint(400, 200));
        middle(wxEVT_MIDDLE_UP, {0, 0});
    }

    // Space held turns a left drag into the same, without a selection; released, it selects again.
    for (const bool space : {true, false}) {
        key(WXK_SPACE, 1, space ? wxEVT_KEY_DOWN : wxEVT_KEY_UP);
        press({100, 100});
        drag({130, 150});
        release({130, 150});
        EXPECT_EQ(scroll(), wxPoint(370, 150));
        EXPECT_EQ(panel->selection_rect(), space ? selection : wxRect(470, 250, 31, 51));
    }
}

TEST_F(PanelNavigation, ShiftArrowsResizeTheSelectionAndEscapeClearsIt)
{
    auto selections = std::make_shared<int>(0);
    frame->Bind(EVT_VIEWER_SELECTION, [selections](ViewerEvent&) { ++*selections; });
    const auto shift = [&](int code, int presses) {
        wxKeyEvent event(wxEVT_KEY_DOWN);
        event.m_keyCode = code;
        event.SetShiftDown(true);
        for (int i = 0; i < presses; ++i)
            send(event);
    };
    // At 2:1 a source pixel is two displayed pixels; a narrowed side keeps one; nothing scrolls.
    panel->set_zoom_rate(2);
    const wxPoint scrolled = scroll();
    panel->set_selection_rect({20, 20, 8, 8});
    *selections = 0;
    shift(WXK_RIGHT, 1);
    shift(WXK_UP, 5);
    EXPECT_EQ(panel->selection_rect(), wxRect(20, 20, 10, 2));
    EXPECT_EQ(panel->get_selection_source_rect(), (std::array<int, 4>{10, 10, 5, 1}));
    EXPECT_EQ(panel->ui_width->GetValue() + " " + panel->ui_height->GetValue(), "10 2");
    EXPECT_EQ(*selections, 4);
    EXPECT_EQ(scroll(), scrolled);

    key(WXK_ESCAPE);
    EXPECT_EQ(panel->selection_rect(), wxRect(-1, -1, 0, 0));
    EXPECT_EQ(*selections, 5);
}

TEST_F(PanelNavigation, TheFocusedPictureIsFramedByAFocusMark)
{
    panel->set_source_image(solid(800, 600, {0, 0, 0}));
    const wxColour mark = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT);
    const auto marked = [&](const wxRect& area) { return count_near(shown(), area, mark, 30); };
    const wxRect top(0, 0, 400, 1), right(399, 0, 1, 400);
    const auto focus = [&](wxEventType type) {
        wxFocusEvent event(type, panel->ui_image->GetId());
        send(event);
    };
    focus(wxEVT_SET_FOCUS);
    const int drawn = marked(top) + marked(right);
    EXPECT_GT(drawn, 200) << "a dotted frame";
    EXPECT_EQ(marked(wxRect(1, 1, 398, 398)), 0) << "along the edge only";

    // Redraws of the following lines' bands, across the edge, draw it there again.
    toggle(panel->ui_checkbox_follow_lines, true);
    move({100, 100});
    move({250, 180});
    EXPECT_EQ(marked(top) + marked(right), drawn);
    focus(wxEVT_KILL_FOCUS);
    EXPECT_EQ(marked(top) + marked(right), 0);
}
