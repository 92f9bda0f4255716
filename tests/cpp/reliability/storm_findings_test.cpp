// Faults the event storm found, each pinned down by the shortest sequence
// that shows it.

#include "reliability_support.h"
#include "test_support.h"

#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/common/view_geometry.h"
#include "tesk_vumo/panel/image_panel.h"
#include "tesk_vumo/simple/simple_image_panel.h"
#include "tesk_vumo/viewer/image.h"

#include <limits>

#include <malloc.h>

#include <wx/sizer.h>

using namespace tesk_vumo;
using namespace tesk_vumo::testing;

namespace {

constexpr int int_min = std::numeric_limits<int>::min();
constexpr int int_max = std::numeric_limits<int>::max();

class StormFindingsTest : public FrameTest
{
protected:
    void SetUp() override
    {
        client_size = wxSize(640, 480);
        FrameTest::SetUp();
        // The viewers sit in a host panel without a sizer, so that the
        // tests size them freely, down to nothing.
        host = fill_frame(new wxPanel(frame));
    }

    template <class Viewer>
    Viewer* add(Viewer* viewer, wxSize size = wxSize(500, 400))
    {
        viewer->SetSize(size);
        pump();
        return viewer;
    }

    static int red_pixels(const wxImage& picture, const wxRect& area)
    {
        int count = 0;
        for (int y = std::max(area.y, 0); y < std::min(area.GetBottom() + 1, picture.GetHeight()); ++y)
            for (int x = std::max(area.x, 0); x < std::min(area.GetRight() + 1, picture.GetWidth()); ++x)
                if (picture.GetRed(x, y) > 200 && picture.GetGreen(x, y) < 80 && picture.GetBlue(x, y) < 80)
                    ++count;
        return count;
    }

    wxPanel* host = nullptr;
};

TEST_F(StormFindingsTest, SimpleImagePanelShowsAnImageSetWhileItHadNoWidth)
{
    // The picture of the previous image stayed when the panel came back at
    // its old size: the fitting that failed for want of width was not redone.
    auto* panel = add(new SimpleImagePanel(host, wxSize(400, 300)), wxSize(400, 300));
    panel->set_source_image(solid(400, 100, {255, 0, 0}));
    panel->SetSize(0, 300);
    panel->set_source_image(solid(100, 300, {0, 0, 255}));
    panel->SetSize(400, 300);
    EXPECT_EQ(panel->image_being_shown().size(), cv::Size(100, 300));
    EXPECT_EQ(pixel(panel->buffer(), 200, 150), wxColour(0, 0, 255));
}

TEST_F(StormFindingsTest, ImagePanelSetsItsScrollBarsUpAgainWhenItOpensAfterAFittingWithNoArea)
{
    // An image set while the surface had no width left thumbs of 0, so the
    // bars scrolled past the image's end, after the panel came back.
    auto* panel = add(new ImagePanel(host));
    panel->set_zoom_mode(ZoomMode::NoZoom);
    panel->set_source_image(gradient(100, 80));
    const wxSize open = panel->GetSize();
    const wxSize surface = panel->ui_image->GetSize();
    panel->SetSize(0, open.y);
    panel->set_source_image(gradient(2000, 1500));
    panel->SetSize(open);
    ASSERT_EQ(panel->ui_image->GetSize(), surface);
    EXPECT_EQ(panel->ui_scroll_bar_horizontal->GetThumbSize(), surface.x);
    EXPECT_EQ(panel->ui_scroll_bar_vertical->GetThumbSize(), surface.y);
}

TEST_F(StormFindingsTest, ImageShowsARotationSetWhileItHadNoHeight)
{
    // The rotation could not be fitted without height and was stored; back
    // at its old size the viewer went on showing the unturned picture.
    auto* viewer = add(new Image(host));
    viewer->set_zoom_mode(ZoomMode::FitHeight);
    viewer->set_source_image(gradient(120, 90));
    const wxSize open = viewer->GetSize();
    const cv::Size unturned = viewer->image_being_shown().size();
    viewer->SetSize(open.x, 0);
    EXPECT_NO_THROW(viewer->set_rotation(Rotation::ClockWise90)) << "it waits for the surface's area";
    viewer->SetSize(open);
    const wxSize surface = viewer->ui_image->GetSize();
    EXPECT_NE(viewer->image_being_shown().size(), unturned);
    EXPECT_EQ(viewer->image_being_shown().size(),
              geometry::fitted_size(ZoomMode::FitHeight, {90, 120}, {surface.x, surface.y}));
}

TEST_F(StormFindingsTest, APressPastTheImagesEdgeAnchorsNoSelection)
{
    // Scroll bars set up on a surface without width (thumb 0) stayed when
    // the zoom then chosen could not fit the sliver; the bar moved one column
    // past the image, and a press there anchored a selection outside it.
    // Now the sliver waits for the surface's area and is fitted to it.
    auto* panel = add(new ImagePanel(host));
    panel->set_zoom_mode(ZoomMode::NoZoom);
    const wxSize open = panel->GetSize();
    panel->SetSize(0, open.y);
    panel->set_source_image(gradient(1, 3000));
    EXPECT_NO_THROW(panel->set_zoom_mode(ZoomMode::FitPage));
    panel->SetSize(open);
    wxMouseEvent wheel(wxEVT_MOUSEWHEEL);
    wheel.m_wheelRotation = -120;
    wheel.m_wheelDelta = 120;
    deliver(panel->ui_scroll_bar_horizontal, wheel, "a wheel turn over the scroll bar");
    ASSERT_EQ(panel->ui_scroll_bar_horizontal->GetThumbPosition(), 0);

    const wxRect drawn = panel->image_rect();
    wxMouseEvent press(wxEVT_LEFT_DOWN);
    press.SetPosition(wxPoint(drawn.x + drawn.width, drawn.y + 10));
    deliver(panel->ui_image, press, "a press");
    EXPECT_EQ(panel->get_mouse_image_position(), wxPoint(-1, -1));
    EXPECT_EQ(panel->selection_rect(), wxRect(-1, -1, 0, 0));
}

TEST_F(StormFindingsTest, TheNormalisedSelectionIsNeverNegativeForAnyHostRectangle)
{
    // -INT_MIN does not fit an int: the height came back as INT_MIN.
    auto* panel = add(new ImagePanel(host));
    panel->set_source_image(gradient(50, 40));
    for (const std::array<int, 4>& rect : {std::array<int, 4>{-3, -1230756947, 3649, int_min},
                                           std::array<int, 4>{int_min, int_min, int_min, int_min},
                                           std::array<int, 4>{int_max, int_max, int_max, int_max},
                                           std::array<int, 4>{int_min + 2, 0, -5, 1}}) {
        panel->set_selection_rect(rect);
        const auto normalised = panel->get_selection_rect();
        EXPECT_GE(normalised[2], 0) << rect[0] << ", " << rect[1] << ", " << rect[2] << ", " << rect[3];
        EXPECT_GE(normalised[3], 0) << rect[0] << ", " << rect[1] << ", " << rect[2] << ", " << rect[3];
        EXPECT_FALSE(panel->get_selection_image().has_value() && !panel->get_selection_image()->empty());
    }
}

TEST_F(StormFindingsTest, DraggingFromAFarOffAnchorStopsAtTheLargestSize)
{
    // pointer - anchor + 1 overflowed and the selection turned negative.
    auto* panel = add(new ImagePanel(host));
    panel->set_source_image(gradient(50, 40));
    panel->set_selection_rect({int_min + 1, int_max - 1, 0, 0});
    const wxRect drawn = panel->image_rect();
    wxMouseEvent event(wxEVT_MOTION);
    event.SetPosition(wxPoint(drawn.x + 5, drawn.y + 5));
    event.SetLeftDown(true);
    deliver(panel->ui_image, event, "a drag");
    EXPECT_EQ(panel->selection_rect().width, int_max);
    EXPECT_EQ(panel->selection_rect().height, 5 - (int_max - 1) - 1); // both end rows, going up
}

TEST_F(StormFindingsTest, AFarOffSelectionDrawsNoStrayLines)
{
    // Its corners overflowed, and past the drawing library's coordinate
    // range lines wrapped around into the picture.
    auto* panel = add(new ImagePanel(host));
    panel->set_zoom_mode(ZoomMode::NoZoom);
    panel->set_source_image(solid(200, 150, {128, 128, 128}));
    const wxRect drawn = panel->image_rect();
    const wxRect everything(0, 0, panel->buffer().GetWidth(), panel->buffer().GetHeight());
    for (const std::array<int, 4>& rect : {std::array<int, 4>{int_max - 1, 10, 10, 10},
                                           std::array<int, 4>{10, int_min, 10, 10},
                                           std::array<int, 4>{int_min, int_min, int_max, 5},
                                           std::array<int, 4>{30000000, -30000000, 5, 5}}) {
        panel->set_selection_rect(rect);
        EXPECT_EQ(red_pixels(panel->buffer().ConvertToImage(), everything), 0)
            << rect[0] << ", " << rect[1] << ", " << rect[2] << ", " << rect[3];
    }

    // A selection reaching in from far away shows only its near part: its
    // right edge at column 9 and its top and bottom from the left edge.
    panel->set_selection_rect({int_min + 10, 10, int_max, 20});
    const wxImage picture = panel->buffer().ConvertToImage();
    const wxRect outline(0, drawn.y + 9, drawn.x + 12, 23);
    EXPECT_GT(red_pixels(picture, wxRect(drawn.x, drawn.y + 10, 9, 1)), 0) << "top edge";
    EXPECT_EQ(red_pixels(picture, everything), red_pixels(picture, outline)) << "lines outside the outline";
}

TEST_F(StormFindingsTest, RedrawsOfAViewerWithoutAreaLeakNothing)
{
    // Each redraw blitted the buffer to a window without area, and the
    // toolkit leaked a cairo object per blit. In the sanitizer build the
    // leak checker sees it at exit; elsewhere the heap must not grow.
    auto* viewer = add(new Image(host));
    viewer->set_source_image(gradient(50, 40));
    viewer->SetSize(0, 300);
    for (int i = 0; i < 100; ++i)
        viewer->set_selection_rect({i % 40, i % 30, 5, 5});
    const size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 2000; ++i)
        viewer->set_selection_rect({i % 40, i % 30, 5, 5});
    const size_t after = mallinfo2().uordblks;
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(after, before + 64 * 1024) << "the heap grew by " << after - before << " bytes in 2000 redraws";
#endif
}

TEST_F(StormFindingsTest, AFitModeShowsASliverWithoutGrowingItToGigabytes)
{
    // A one-pixel-wide image fitted to the width of a window has a
    // displayed image of the window's width times thousands of times its
    // height: made whole, gigabytes, and the process was out of memory.
    auto* panel = add(new ImagePanel(host));
    panel->SetSize(800, 600);
    panel->set_zoom_mode(ZoomMode::FitWidth);
    panel->set_source_image(gradient(60, 40));
    const size_t before = mallinfo2().uordblks;
    panel->set_source_image(gradient(1, 3000));
    const cv::Size shown = panel->displayed_size();
    EXPECT_GT(static_cast<long long>(shown.width) * shown.height, 1LL << 30);
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(mallinfo2().uordblks, before + (64u << 20)) << "only viewport-sized pictures are made";
#endif
    EXPECT_THROW((void)panel->image_being_shown(), ValueError);
}

} // namespace
