// Zooming about the pointer, keys and dragging the view, as a user meets
// them on an ImagePanel (Image shares the same core).

#include <tuple>
#include <utility>

#include "panel_fixture.h"

using namespace tesk_vumo;
using namespace tesk_vumo::testing;

namespace {

class PanelNavigation : public PanelTest
{
protected:
    void key(int code, wxEventType type = wxEVT_KEY_DOWN)
    {
        wxKeyEvent event(type);
        event.m_keyCode = code;
        event.SetEventObject(panel->ui_image);
        panel->ui_image->ProcessWindowEvent(event);
    }
    void ctrl_wheel(wxPoint at, int rotation)
    {
        wxMouseEvent event = wheel_event(panel->ui_image, at.x, at.y, rotation);
        event.SetControlDown(true);
        panel->ui_image->ProcessWindowEvent(event);
    }
    void middle(wxEventType type, wxPoint at)
    {
        wxMouseEvent event(type);
        event.SetPosition(at);
        event.SetMiddleDown(type != wxEVT_MIDDLE_UP);
        event.SetEventObject(panel->ui_image);
        panel->ui_image->ProcessWindowEvent(event);
    }
    wxPoint scroll() const { return {hbar()->GetThumbPosition(), vbar()->GetThumbPosition()}; }
};

// gradient(): pixel (r, c) is (c % 256, r % 256, (r + c) % 256).
wxColour gradient_at(int c, int r) { return wxColour(c % 256, r % 256, (r + c) % 256); }

} // namespace

TEST_F(PanelNavigation, ZoomAboutThePointerKeepsTheSourcePixelUnderIt)
{
    ASSERT_NO_FATAL_FAILURE(set_surface(400, 400));
    panel->set_zoom_mode(ZoomMode::NoZoom);
    panel->set_source_image(gradient(800, 600));
    scroll_to(hbar(), 200);
    scroll_to(vbar(), 100);
    // Control (200, 200) shows source pixel (400, 300).
    const wxPoint at(200, 200);
    const wxColour under = gradient_at(400, 300);
    ASSERT_EQ(pixel(shown(), at.x, at.y), under);

    ctrl_wheel(at, 120);
    EXPECT_EQ(panel->zoom_mode(), ZoomMode::ZoomAny);
    EXPECT_NEAR(panel->zoom_rate(), 1.1892, 1e-4);
    EXPECT_EQ(pixel(shown(), at.x, at.y), under);

    // The keys zoom about the pointer too ('0' back to 1:1).
    move(at);
    for (const auto& [code, presses, rate] : {std::tuple(int('+'), 3, 2.0), std::tuple(int(WXK_NUMPAD_ADD), 8, 8.0),
                                              std::tuple(int('0'), 1, 1.0)}) {
        for (int i = 0; i < presses; ++i)
            key(code);
        EXPECT_NEAR(panel->zoom_rate(), rate, 1e-9);
        EXPECT_EQ(pixel(shown(), at.x, at.y), under) << "at " << rate;
        if (rate == 8.0)
            EXPECT_EQ(pixel(shown(), at.x - 8, at.y), gradient_at(399, 300)) << "each source pixel a square";
    }
    key('-');
    EXPECT_NEAR(panel->zoom_rate(), 0.8409, 1e-4);
    ctrl_wheel(at, -120);
    EXPECT_NEAR(panel->zoom_rate(), 0.7071, 1e-4);
    EXPECT_TRUE(near(pixel(shown(), at.x, at.y), under, 3)) << str(pixel(shown(), at.x, at.y));

    // A plain wheel still scrolls.
    const wxPoint before = scroll();
    wheel(390, 100, -120);
    EXPECT_EQ(scroll(), before + wxPoint(0, 10));
}

TEST_F(PanelNavigation, KeysAndDragsScrollTheView)
{
    ASSERT_NO_FATAL_FAILURE(set_surface(400, 400));
    panel->set_zoom_mode(ZoomMode::NoZoom);
    panel->set_source_image(gradient(800, 600));

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

    // The middle button drags the image with the pointer, past the surface's edge too.
    middle(wxEVT_MIDDLE_DOWN, {200, 200});
    middle(wxEVT_MOTION, {150, 120});
    EXPECT_EQ(scroll(), wxPoint(50, 80));
    middle(wxEVT_MOTION, {-500, -500});
    EXPECT_EQ(scroll(), wxPoint(400, 200));
    middle(wxEVT_MIDDLE_UP, {-500, -500});
    move({0, 0});
    EXPECT_EQ(scroll(), wxPoint(400, 200)) << "the drag ends with the button";

    // Space held turns a left drag into the same, without a selection.
    const wxRect selection = panel->selection_rect();
    key(WXK_SPACE);
    press({100, 100});
    drag({130, 150});
    EXPECT_EQ(scroll(), wxPoint(370, 150));
    EXPECT_EQ(panel->selection_rect(), selection);
    release({130, 150});
    key(WXK_SPACE, wxEVT_KEY_UP);
    press({100, 100});
    drag({130, 150});
    EXPECT_EQ(scroll(), wxPoint(370, 150));
    EXPECT_EQ(panel->get_selection_rect(), (std::array<int, 4>{470, 250, 31, 51}));
    release({130, 150});
}
