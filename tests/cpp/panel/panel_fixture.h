#ifndef TESK_VUMO_TESTS_PANEL_FIXTURE_H
#define TESK_VUMO_TESTS_PANEL_FIXTURE_H

// An ImagePanel filling a shown frame, with helpers that drive it through
// the events its controls receive and read back what it shows.

#include <cstdlib>
#include <ostream>
#include <string>

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/sizer.h>

#include "tesk_vumo/panel/image_panel.h"
#include "test_support.h"

inline void PrintTo(const wxSize& s, std::ostream* os) { *os << s.x << "x" << s.y; }
inline void PrintTo(const wxPoint& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }
inline void PrintTo(const wxColour& c, std::ostream* os)
{
    *os << "(" << int(c.Red()) << ", " << int(c.Green()) << ", " << int(c.Blue()) << ")";
}
inline void PrintTo(const wxRect& r, std::ostream* os)
{
    *os << "(" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << ")";
}

namespace tesk_vumo::testing {

inline std::string str(const wxColour& c)
{
    return "(" + std::to_string(c.Red()) + ", " + std::to_string(c.Green()) + ", " + std::to_string(c.Blue())
           + ")";
}

/// How many pixels of @p area (clipped to @p image) are within @p tolerance of @p colour.
inline int count_near(const wxImage& image, const wxRect& area, const wxColour& colour, int tolerance = 40)
{
    const wxRect clipped = area.Intersect(wxRect(0, 0, image.GetWidth(), image.GetHeight()));
    if (clipped.width <= 0 || clipped.height <= 0)
        return 0;
    const unsigned char* data = image.GetData();
    const int want[3] = {colour.Red(), colour.Green(), colour.Blue()};
    int count = 0;
    for (int y = clipped.y; y < clipped.y + clipped.height; ++y)
        for (int x = clipped.x; x < clipped.x + clipped.width; ++x) {
            const unsigned char* p = data + (static_cast<size_t>(y) * image.GetWidth() + x) * 3;
            if (std::abs(p[0] - want[0]) <= tolerance && std::abs(p[1] - want[1]) <= tolerance
                && std::abs(p[2] - want[2]) <= tolerance)
                ++count;
        }
    return count;
}

class PanelTest : public FrameTest
{
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        panel = fill_frame(new ImagePanel(frame));
    }

    /// Resizes the frame until the drawing surface has the outer size
    /// (@p w, @p h); the assist bar wraps with the width, hence the loop.
    void resize_surface(int w, int h)
    {
        const wxSize want(w, h);
        for (int attempt = 0; attempt < 8; ++attempt) {
            if (panel->ui_image->GetSize() == want) {
                // Late layout passes may still move the surface: let them arrive.
                wait_until([] { return false; }, 60);
                if (panel->ui_image->GetSize() == want)
                    break;
            }
            const wxSize target = frame->GetClientSize() + want - panel->ui_image->GetSize();
            frame->SetClientSize(target);
            wait_until([&] { return frame->GetClientSize() == target; }, 1000);
            frame->Layout();
            pump();
        }
        ASSERT_EQ(panel->ui_image->GetSize(), want);
        ASSERT_EQ(panel->ui_image->GetClientSize(), want);
    }

    /// resize_surface, and the buffer has followed.
    void set_surface(int w, int h)
    {
        ASSERT_NO_FATAL_FAILURE(resize_surface(w, h));
        const wxSize want(w, h);
        ASSERT_TRUE(panel->buffer().IsOk());
        ASSERT_EQ(panel->buffer().GetSize(), want);
    }

    wxImage shown() const { return panel->buffer().ConvertToImage(); }
    wxColour background() const { return panel->ui_image->GetBackgroundColour(); }

    void send_mouse(wxEventType type, wxPoint at, bool left_down)
    {
        wxMouseEvent event(type);
        event.SetPosition(at);
        event.SetLeftDown(left_down);
        event.SetEventObject(panel->ui_image);
        event.SetId(panel->ui_image->GetId());
        panel->ui_image->ProcessWindowEvent(event);
    }
    void move(wxPoint at) { send_mouse(wxEVT_MOTION, at, false); }
    void drag(wxPoint at) { send_mouse(wxEVT_MOTION, at, true); }
    void press(wxPoint at) { send_mouse(wxEVT_LEFT_DOWN, at, true); }
    void release(wxPoint at) { send_mouse(wxEVT_LEFT_UP, at, false); }

    static wxMouseEvent wheel_event(wxWindow* source, int x, int y, int rotation)
    {
        wxMouseEvent event(wxEVT_MOUSEWHEEL);
        event.SetPosition(wxPoint(x, y));
        event.m_wheelRotation = rotation;
        event.m_wheelDelta = 120;
        event.m_wheelAxis = wxMOUSE_WHEEL_VERTICAL;
        event.SetEventObject(source);
        event.SetId(source->GetId());
        return event;
    }
    /// A wheel turn over the drawing surface; positive is away from the user.
    void wheel(int x, int y, int rotation)
    {
        wxMouseEvent event = wheel_event(panel->ui_image, x, y, rotation);
        panel->ui_image->ProcessWindowEvent(event);
    }
    void wheel_on(wxScrollBar* bar, int rotation)
    {
        wxMouseEvent event = wheel_event(bar, 5, 5, rotation);
        bar->ProcessWindowEvent(event);
    }

    /// Moves @p bar as a user dragging its thumb would.
    void scroll_to(wxScrollBar* bar, int position)
    {
        bar->SetThumbPosition(position);
        wxScrollEvent event(wxEVT_SCROLL_THUMBTRACK, bar->GetId(), position,
                            bar == panel->ui_scroll_bar_horizontal ? wxHORIZONTAL : wxVERTICAL);
        event.SetEventObject(bar);
        bar->ProcessWindowEvent(event);
    }

    void toggle(wxCheckBox* box, bool checked)
    {
        box->SetValue(checked);
        wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
        event.SetInt(checked ? 1 : 0);
        event.SetEventObject(box);
        box->ProcessWindowEvent(event);
    }

    void choose(wxChoice* choice, int item)
    {
        choice->SetSelection(item);
        wxCommandEvent event(wxEVT_CHOICE, choice->GetId());
        event.SetInt(item);
        event.SetEventObject(choice);
        choice->ProcessWindowEvent(event);
    }

    wxScrollBar* hbar() const { return panel->ui_scroll_bar_horizontal; }
    wxScrollBar* vbar() const { return panel->ui_scroll_bar_vertical; }

    ImagePanel* panel = nullptr;
};

} // namespace tesk_vumo::testing

#endif
