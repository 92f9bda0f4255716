// The events ImagePanel sends its host: pointer, selection and view, once
// per change, after the panel's own state has followed.

#include <functional>
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

TEST_F(PanelEvents, PointerReportsThePixelItsSourceAndColourOncePerPixel)
{
    cv::Mat image = gradient(40, 30);
    image.at<cv::Vec3b>(3, 7) = {12, 34, 56};
    panel->set_zoom_mode(ZoomMode::NoZoom);
    panel->set_rotation(Rotation::ClockWise90); // 30 x 40, drawn at (185, 180)
    panel->set_source_image(image);
    events.clear();
    on_event = [this](ViewerEvent& event) {
        EXPECT_EQ(event.GetEventObject(), panel);
        EXPECT_EQ(panel->ui_x->GetValue(), wxString::Format("%d", event.position().x)) << "read-outs first";
    };

    // Source pixel (7, 3) turned clockwise is displayed at column 30 - 1 - 3, row 7.
    move(wxPoint(185 + 26, 180 + 7));
    const ViewerEvent pointer = one(EVT_VIEWER_POINTER);
    EXPECT_EQ(pointer.position(), wxPoint(26, 7));
    EXPECT_EQ(pointer.source_position(), wxPoint(7, 3));
    EXPECT_EQ(pointer.color(), wxColour(12, 34, 56));
    EXPECT_EQ(pointer.rotation(), Rotation::ClockWise90);
    move(wxPoint(185 + 26, 180 + 7));
    EXPECT_TRUE(take(EVT_VIEWER_POINTER).empty()) << "the same pixel again is no change";

    on_event = nullptr;
    move({5, 5});
    move({6, 5});
    const ViewerEvent left = one(EVT_VIEWER_POINTER); // leaving the image is reported once
    EXPECT_EQ(left.position(), wxPoint(-1, -1));
    EXPECT_EQ(left.source_position(), wxPoint(-1, -1));
    EXPECT_FALSE(left.color().IsOk());
}

TEST_F(PanelEvents, SelectionReportsEachChangeWithTheStoredRectangle)
{
    panel->set_zoom_mode(ZoomMode::NoZoom);
    panel->set_source_image(gradient(40, 30)); // drawn at (180, 185)
    events.clear();
    on_event = [this](ViewerEvent& event) {
        if (event.GetEventType() == EVT_VIEWER_SELECTION)
            EXPECT_EQ(panel->selection_rect(), event.selection_rect());
    };
    auto selections = [this] {
        std::vector<wxRect> rects;
        for (const ViewerEvent& event : take(EVT_VIEWER_SELECTION))
            rects.push_back(event.selection_rect());
        return rects;
    };

    press(wxPoint(190, 195));
    drag(wxPoint(194, 197));
    drag(wxPoint(194, 197));
    release(wxPoint(194, 197));
    EXPECT_EQ(selections(), (std::vector<wxRect>{{10, 10, 0, 0}, {10, 10, 5, 3}}));
    panel->set_selection_rect({5, 5, 20, 10});
    panel->set_selection_rect({5, 5, 20, 10});
    EXPECT_EQ(selections(), (std::vector<wxRect>{{5, 5, 20, 10}}));

    panel->disable_selecting();
    press(wxPoint(190, 195));
    EXPECT_EQ(selections(), (std::vector<wxRect>{{0, 0, 0, 0}})) << "a press while selecting is off changes nothing";
    panel->enable_selecting();
    panel->set_rotation(Rotation::Double90);
    EXPECT_EQ(selections(), (std::vector<wxRect>{{-1, -1, 0, 0}})) << "a refit clears the selection";
}

TEST_F(PanelEvents, ViewReportsZoomRateRotationAndScrollAfterTheChange)
{
    panel->set_source_image(gradient(800, 600));
    const ViewerEvent fitted = one(EVT_VIEWER_VIEW);
    EXPECT_EQ(fitted.zoom_mode(), ZoomMode::FitPage);
    EXPECT_DOUBLE_EQ(fitted.zoom_rate(), 0.5);

    on_event = [this](ViewerEvent& event) {
        // The picture has followed already.
        const bool quarter = event.rotation() == Rotation::CounterClockWise90;
        EXPECT_NEAR(panel->image_being_shown().cols, event.zoom_rate() * (quarter ? 600 : 800), 1);
        EXPECT_EQ(panel->get_sub_image_to_draw().image.data,
                  panel->image_being_shown().ptr(event.scroll_position().y, event.scroll_position().x));
    };
    panel->set_zoom_mode(ZoomMode::NoZoom);
    const ViewerEvent unzoomed = one(EVT_VIEWER_VIEW);
    EXPECT_EQ(unzoomed.zoom_mode(), ZoomMode::NoZoom);
    EXPECT_DOUBLE_EQ(unzoomed.zoom_rate(), 1.0);

    wheel(395, 10, -120); // near the right edge: the vertical bar moves down 10
    scroll_to(hbar(), 30);
    scroll_to(hbar(), 30); // a thumb release after the track reports the same position
    const auto scrolled = take(EVT_VIEWER_VIEW);
    ASSERT_EQ(scrolled.size(), 2u);
    EXPECT_EQ(scrolled[0].scroll_position(), wxPoint(0, 10));
    EXPECT_EQ(scrolled[1].scroll_position(), wxPoint(30, 10));

    panel->set_rotation(Rotation::CounterClockWise90);
    const ViewerEvent turned = one(EVT_VIEWER_VIEW);
    EXPECT_EQ(turned.rotation(), Rotation::CounterClockWise90);
    EXPECT_DOUBLE_EQ(turned.rotation_degree(), 270.0);
    EXPECT_EQ(turned.scroll_position(), wxPoint(0, 0));
    panel->set_zoom_mode(ZoomMode::NoZoom);
    EXPECT_TRUE(take(EVT_VIEWER_VIEW).empty()) << "the same view again is no change";

    // A free view: a zoom step about a point, then a free angle.
    on_event = nullptr;
    panel->zoom_step(1, wxPoint(100, 100));
    const ViewerEvent stepped = one(EVT_VIEWER_VIEW);
    EXPECT_EQ(stepped.zoom_mode(), ZoomMode::ZoomAny);
    EXPECT_DOUBLE_EQ(stepped.zoom_rate(), panel->zoom_rate());
    panel->set_rotation_degree(30);
    const ViewerEvent angled = one(EVT_VIEWER_VIEW);
    EXPECT_EQ(angled.rotation(), Rotation::DegreeAny);
    EXPECT_DOUBLE_EQ(angled.rotation_degree(), 30.0);
}

TEST_F(PanelEvents, AHandlerMayDestroyThePanel)
{
    // The panel's own code after the event must not touch it then (under the
    // sanitizer build this is a use after free).
    panel->set_source_image(gradient(80, 60));
    on_event = [this](ViewerEvent&) {
        on_event = nullptr;
        panel->Destroy();
    };
    panel->set_source_image(gradient(40, 30));
    EXPECT_TRUE(frame->GetChildren().empty());

    // Likewise from a handler of the pointer, amid the surface's own motion event.
    panel = fill_frame(new ImagePanel(frame));
    panel->set_zoom_mode(ZoomMode::NoZoom);
    panel->set_source_image(gradient(40, 30));
    on_event = [this](ViewerEvent& event) {
        if (event.GetEventType() == EVT_VIEWER_POINTER)
            panel->Destroy();
    };
    move(panel->image_rect().GetTopLeft());
    EXPECT_TRUE(frame->GetChildren().empty());
}
