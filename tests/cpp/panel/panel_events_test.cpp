// The events ImagePanel sends its host: pointer, selection and view, once
// per change, after the panel's own state has followed.

#include <cmath>
#include <functional>
#include <tuple>
#include <vector>

#include "panel_fixture.h"
#include "tesk_vumo/common/viewer_events.h"

using namespace tesk_vumo;
using namespace tesk_vumo::testing;

namespace {

class PanelEvents : public PanelTest
{
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(set_surface(400, 400));
        // Bound on the frame: the events go up from the panel like any command event.
        for (const auto& type : {EVT_VIEWER_POINTER, EVT_VIEWER_SELECTION, EVT_VIEWER_VIEW})
            frame->Bind(type, [this](ViewerEvent& event) {
                events.push_back(event);
                if (on_event)
                    on_event(event);
            });
    }

    /// A 40 x 30 image at 1:1, drawn at (180, 185), its events taken.
    void show_small()
    {
        panel->set_zoom_mode(ZoomMode::NoZoom);
        panel->set_source_image(gradient(40, 30));
        events.clear();
    }
    std::vector<ViewerEvent> take(wxEventType type)
    {
        std::vector<ViewerEvent> taken;
        for (const ViewerEvent& event : events)
            if (event.GetEventType() == type)
                taken.push_back(event);
        events.clear();
        return taken;
    }
    /// The one event of @p type since the last take; a failure unless exactly one.
    ViewerEvent one(wxEventType type)
    {
        const auto taken = take(type);
        EXPECT_EQ(taken.size(), 1u);
        return taken.empty() ? ViewerEvent() : taken.back();
    }

    std::vector<ViewerEvent> events;
    std::function<void(ViewerEvent&)> on_event;
};

} // namespace

TEST_F(PanelEvents, PointerIsReportedOncePerPixelAfterTheReadOuts)
{
    // Its values through a turn (displayed and source pixel, colour) are read from Python
    // in test_viewer_events.py, for both viewers.
    show_small();
    on_event = [this](ViewerEvent& event) {
        EXPECT_EQ(panel->ui_x->GetValue(), wxString::Format("%d", event.position().x)) << "read-outs first";
    };
    move({187, 188});
    EXPECT_EQ(one(EVT_VIEWER_POINTER).source_position(), wxPoint(7, 3));
    move({187, 188});
    EXPECT_TRUE(take(EVT_VIEWER_POINTER).empty()) << "the same pixel again is no change";

    on_event = nullptr;
    move({5, 5});
    move({6, 5});
    EXPECT_EQ(one(EVT_VIEWER_POINTER).source_position(), wxPoint(-1, -1)) << "leaving the image is reported once";
}

TEST_F(PanelEvents, PointerIsReportedAgainWhenTheImageMovesUnderIt)
{
    panel->set_zoom_mode(ZoomMode::NoZoom);
    panel->set_source_image(gradient(800, 600));
    move({100, 100});
    EXPECT_EQ(one(EVT_VIEWER_POINTER).position(), wxPoint(100, 100));

    wxKeyEvent right(wxEVT_KEY_DOWN);
    right.m_keyCode = WXK_RIGHT; // a tenth of the view: 40 columns
    panel->ui_image->ProcessWindowEvent(right);
    EXPECT_EQ(one(EVT_VIEWER_POINTER).position(), wxPoint(140, 100));
    EXPECT_EQ(panel->ui_x->GetValue() + " " + panel->ui_y->GetValue() + " " + panel->ui_rgb->GetValue(),
              "140 100 140, 100, 240");

    // A new frame of the same size keeps the view: the same pixel, in its new colour, and no event.
    panel->set_source_image(solid(800, 600, {1, 2, 3}));
    EXPECT_TRUE(take(EVT_VIEWER_POINTER).empty());
    EXPECT_EQ(panel->ui_rgb->GetValue(), "1, 2, 3");
    // A small one is centred, away from the pointer.
    panel->set_source_image(gradient(40, 30));
    EXPECT_EQ(one(EVT_VIEWER_POINTER).position(), wxPoint(-1, -1));
    EXPECT_EQ(panel->ui_x->GetValue() + panel->ui_rgb->GetValue(), "");
}

TEST_F(PanelEvents, SelectionReportsEachChangeWithTheStoredRectangle)
{
    show_small();
    on_event = [this](ViewerEvent& event) {
        if (event.GetEventType() == EVT_VIEWER_SELECTION)
            EXPECT_EQ(panel->selection_rect(), event.selection_rect());
    };
    const wxPoint from(190, 195), to(194, 197);
    const std::pair<std::function<void()>, std::vector<wxRect>> changes[] = {
        {[&] { press(from), drag(to), drag(to), release(to); }, {{10, 10, 0, 0}, {10, 10, 5, 3}}},
        {[&] { panel->set_selection_rect({5, 5, 20, 10}), panel->set_selection_rect({5, 5, 20, 10}); },
         {{5, 5, 20, 10}}},
        // Turning selecting off clears it; a press then changes nothing; a refit clears it too.
        {[&] { panel->disable_selecting(), press(from); }, {{0, 0, 0, 0}}},
        {[&] { panel->enable_selecting(), panel->set_rotation(Rotation::Double90); }, {{-1, -1, 0, 0}}}};
    for (const auto& [change, expected] : changes) {
        change();
        std::vector<wxRect> rects;
        for (const ViewerEvent& event : take(EVT_VIEWER_SELECTION))
            rects.push_back(event.selection_rect());
        EXPECT_EQ(rects, expected);
    }
}

TEST_F(PanelEvents, ViewReportsZoomRateRotationAndScrollAfterTheChange)
{
    on_event = [this](ViewerEvent& event) {
        if (event.GetEventType() != EVT_VIEWER_VIEW)
            return;
        // The panel and its picture have followed already.
        EXPECT_EQ(std::tuple(event.zoom_mode(), event.zoom_rate(), event.rotation(), event.scroll_position()),
                  std::tuple(panel->zoom_mode(), panel->zoom_rate(), panel->rotation(),
                             wxPoint(hbar()->GetThumbPosition(), vbar()->GetThumbPosition())));
        if (event.zoom_mode() == ZoomMode::ZoomAny)
            return;
        const bool quarter = event.rotation() == Rotation::CounterClockWise90;
        EXPECT_NEAR(panel->image_being_shown().cols, event.zoom_rate() * (quarter ? 600 : 800), 1);
        EXPECT_EQ(panel->get_sub_image_to_draw().image.data,
                  panel->image_being_shown().ptr(event.scroll_position().y, event.scroll_position().x));
    };
    const auto view = [this] {
        const ViewerEvent event = one(EVT_VIEWER_VIEW);
        return std::tuple(event.zoom_mode(), std::round(event.zoom_rate() * 1e4) / 1e4, event.rotation(),
                          event.rotation_degree());
    };
    panel->set_source_image(gradient(800, 600));
    EXPECT_EQ(view(), std::tuple(ZoomMode::FitPage, 0.5, Rotation::NoRotation, 0.0));
    panel->set_zoom_mode(ZoomMode::NoZoom);
    EXPECT_EQ(view(), std::tuple(ZoomMode::NoZoom, 1.0, Rotation::NoRotation, 0.0));

    wheel(395, 10, -120); // near the right edge: the vertical bar moves down 10
    EXPECT_EQ(one(EVT_VIEWER_VIEW).scroll_position(), wxPoint(0, 10));
    scroll_to(hbar(), 30);
    scroll_to(hbar(), 30); // a thumb release after the track reports the same position: no change
    EXPECT_EQ(one(EVT_VIEWER_VIEW).scroll_position(), wxPoint(30, 10));

    panel->set_rotation(Rotation::CounterClockWise90);
    panel->set_zoom_mode(ZoomMode::NoZoom); // the same view again: no change
    EXPECT_EQ(view(), std::tuple(ZoomMode::NoZoom, 1.0, Rotation::CounterClockWise90, 270.0));
    // A free view: a zoom step about a point, then a free angle.
    panel->zoom_step(1, wxPoint(100, 100));
    EXPECT_EQ(view(), std::tuple(ZoomMode::ZoomAny, 1.1892, Rotation::CounterClockWise90, 270.0));
    panel->set_rotation_degree(30);
    EXPECT_EQ(view(), std::tuple(ZoomMode::ZoomAny, 1.1892, Rotation::DegreeAny, 30.0));
}

TEST_F(PanelEvents, AHandlerMayDestroyThePanel)
{
    // Neither the panel's code after the event nor the toolkit's (walking the panel's handlers, or the
    // surface's after the panel's size handler passed the event on) may touch it then: under the sanitizer
    // build that is a use after free. Bound above the panel after a refit and amid the surface's motion
    // event; bound on the panel itself, without passing the event on before a resize, and passing it on.
    enum class Bound { Frame, PanelAlone, PanelSkipping };
    const std::tuple<Bound, wxEventType, ZoomMode, std::function<void()>> cases[] = {
        {Bound::Frame, EVT_VIEWER_VIEW, ZoomMode::NoZoom, [this] { panel->set_rotation(Rotation::Double90); }},
        {Bound::Frame, EVT_VIEWER_POINTER, ZoomMode::NoZoom, [this] { move(panel->image_rect().GetTopLeft()); }},
        {Bound::PanelAlone, EVT_VIEWER_VIEW, ZoomMode::FitPage,
         [this] { frame->SetClientSize(frame->GetClientSize() + wxSize(30, 20)); }},
        {Bound::PanelSkipping, EVT_VIEWER_VIEW, ZoomMode::NoZoom, [this] { panel->set_zoom_rate(2); }},
    };
    for (const auto& [bound, type, mode, action] : cases) {
        if (!panel)
            panel = fill_frame(new ImagePanel(frame));
        show_small();
        panel->set_zoom_mode(mode);
        auto destroy = [this, type = type, bound = bound](ViewerEvent& event) {
            if (event.GetEventType() == type && panel)
                panel->Destroy(), panel = nullptr;
            event.Skip(bound != Bound::PanelAlone);
        };
        if (bound == Bound::Frame)
            on_event = destroy;
        else
            panel->Bind(wxEventTypeTag<ViewerEvent>(type), destroy);
        action();
        on_event = nullptr;
        EXPECT_TRUE(wait_until([this] { return !panel; })) << "destroyed by the handler";
        EXPECT_TRUE(wait_until([this] { return frame->GetChildren().empty(); })) << "and gone at idle time";
    }
}
