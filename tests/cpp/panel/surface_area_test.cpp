// Images the surface cannot show yet, or only as a sliver: nothing is lost,
// and a fitting that is refused leaves the mode, the picture and the buffer
// agreeing.

#include "panel_fixture.h"
#include "scripted_interaction.h"

#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/viewer/image.h"

namespace tesk_vumo::testing {
namespace {

/// Pixels of the buffer inside the last drawn image rectangle that are red.
template <class Viewer>
int red_pixels(const Viewer* viewer)
{
    return count_near(viewer->buffer().ConvertToImage(), viewer->image_rect(), wxColour(255, 0, 0), 0);
}

template <class Viewer>
void expect_buffer_follows_the_surface(const Viewer* viewer)
{
    ASSERT_TRUE(viewer->buffer().IsOk());
    EXPECT_EQ(viewer->buffer().GetSize(), viewer->ui_image->GetClientSize());
}

class SurfaceAreaTest : public FrameTest
{
};

TEST_F(SurfaceAreaTest, AnImageSetWhileTheSurfaceHasNoAreaIsShownWhenItGetsOne)
{
    // Each viewer hidden and folded to nothing, as in a collapsed pane.
    const auto set_while_folded = [&](auto* viewer) {
        viewer->Hide();
        viewer->SetSize(0, 0);
        pump();
        ASSERT_LE(viewer->ui_image->GetClientSize().y, 0);
        EXPECT_NO_THROW(viewer->set_source_image(solid(60, 40, {255, 0, 0})));
        EXPECT_EQ(viewer->source_image().size(), cv::Size(60, 40));
        EXPECT_TRUE(viewer->image_being_shown().empty()) << "no picture of an earlier image stands for it";

        viewer->SetSize(400, 300);
        viewer->Show();
        ASSERT_TRUE(wait_until([&] { return viewer->ui_image->GetSize().y > 0; }));
        pump();
        EXPECT_EQ(red_pixels(viewer), viewer->image_rect().width * viewer->image_rect().height);
        EXPECT_GT(viewer->image_rect().width, 100);
    };
    set_while_folded(new ImagePanel(frame));
    set_while_folded(new Image(frame));
}

class ThinImageTest : public PanelTest
{
};

TEST_F(ThinImageTest, ThinImagesShowInEveryFitModeAndRotation)
{
    ASSERT_NO_FATAL_FAILURE(set_surface(286, 167));
    for (const cv::Size thin : {cv::Size(1, 5000), cv::Size(5000, 1), cv::Size(5, 1200)})
        for (const ZoomMode mode : {ZoomMode::FitPage, ZoomMode::FitWidth, ZoomMode::FitHeight})
            for (const Rotation rotation : {Rotation::NoRotation, Rotation::ClockWise90, Rotation::Double90,
                                            Rotation::CounterClockWise90}) {
                SCOPED_TRACE(::testing::Message() << thin << " " << name(mode) << " " << name(rotation));
                panel->set_source_image(solid(thin.width, thin.height, {255, 0, 0}));
                panel->set_rotation(rotation);
                panel->set_zoom_mode(mode);
                EXPECT_GT(red_pixels(panel), 0) << "the sliver is on screen";
                expect_buffer_follows_the_surface(panel);
            }

    // Stretched along its length (1 x 5000 to 286 x 1430000), only the
    // viewport is drawn; the displayed image, too large to make, is refused
    // when asked for, and the view stays.
    panel->set_rotation(Rotation::NoRotation);
    panel->set_zoom_mode(ZoomMode::FitWidth);
    panel->set_source_image(solid(1, 5000, {255, 0, 0}));
    EXPECT_EQ(panel->displayed_size(), cv::Size(286, 1430000));
    EXPECT_EQ(red_pixels(panel), panel->image_rect().width * panel->image_rect().height);
    EXPECT_THROW((void)panel->image_being_shown(), ValueError);
    panel->set_selection_rect({10, 700000, 5, 5});
    EXPECT_EQ(cv::norm(*panel->get_selection_image(), cv::Mat(5, 5, CV_8UC3, cv::Scalar(255, 0, 0)), cv::NORM_INF), 0)
        << "a selection is made alone";
}

} // namespace
} // namespace tesk_vumo::testing
