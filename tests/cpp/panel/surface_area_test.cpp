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

TEST_F(ThinImageTest, ThinImagesShowInEveryFitModeAndRotationOrAreRefusedWithoutDisagreement)
{
    ASSERT_NO_FATAL_FAILURE(set_surface(286, 167));
    int refused = 0;
    for (const cv::Size thin : {cv::Size(1, 5000), cv::Size(5000, 1), cv::Size(5, 1200)})
        for (const ZoomMode mode : {ZoomMode::FitPage, ZoomMode::FitWidth, ZoomMode::FitHeight})
            for (const Rotation rotation : {Rotation::NoRotation, Rotation::ClockWise90, Rotation::Double90,
                                            Rotation::CounterClockWise90}) {
                SCOPED_TRACE(::testing::Message() << thin << " " << name(mode) << " " << name(rotation));
                panel->set_zoom_mode(ZoomMode::NoZoom);
                panel->set_source_image(solid(thin.width, thin.height, {255, 0, 0}));
                panel->set_rotation(rotation);
                const cv::Size unzoomed = panel->image_being_shown().size();
                try {
                    panel->set_zoom_mode(mode);
                    EXPECT_GT(red_pixels(panel), 0) << "the sliver is on screen";
                } catch (const ValueError&) { // only an enlargement to hundreds of megabytes
                    EXPECT_EQ(panel->zoom_mode(), ZoomMode::NoZoom) << "the refused mode is taken back";
                    EXPECT_EQ(panel->ui_zoom_mode->GetSelection(), static_cast<int>(ZoomMode::NoZoom));
                    EXPECT_EQ(panel->image_being_shown().size(), unzoomed);
                    ++refused;
                }
                expect_buffer_follows_the_surface(panel);
            }
    EXPECT_EQ(refused, 8) << "only 1x5000 and 5000x1, when the mode stretches their long side";

    // Through the load command a refused image is reported, and nothing changes.
    ScriptedInteractionScope dialogs;
    const std::filesystem::path path = temp_dir() / "sliver.png";
    write_rgb(path, solid(1, 5000, {255, 0, 0}));
    panel->set_rotation(Rotation::NoRotation);
    panel->set_zoom_mode(ZoomMode::FitWidth);
    const cv::Mat before = panel->source_image();
    dialogs.script->paths.push_back(wxString(path.string()));
    wxCommandEvent click(wxEVT_BUTTON, panel->ui_button_load->GetId());
    panel->ui_button_load->GetEventHandler()->ProcessEvent(click);
    ASSERT_TRUE(load_ended(panel));
    ASSERT_EQ(dialogs.script->messages.size(), 1u);
    EXPECT_EQ(dialogs.script->messages[0].text,
              wxString::FromUTF8("加载图片文件失败，请检查路径中是否有不受支持的字符。[") + path.string()
                  + "]\nCannot fit a 1x5000 image to a 286x167 surface");
    EXPECT_EQ(panel->source_image().data, before.data);
    EXPECT_EQ(panel->zoom_mode(), ZoomMode::FitWidth);
}

TEST_F(ThinImageTest, AResizeWhoseFittingIsRefusedKeepsThePictureInABufferOfTheNewSize)
{
    // 40 x 4000 fitted to the width: fine at 286 wide, gigabytes at 1200.
    ASSERT_NO_FATAL_FAILURE(set_surface(286, 167));
    panel->set_zoom_mode(ZoomMode::FitWidth);
    panel->set_source_image(solid(40, 4000, {255, 0, 0}));
    ASSERT_EQ(panel->image_being_shown().size(), cv::Size(286, 28600));

    ASSERT_NO_FATAL_FAILURE(resize_surface(1200, 167));
    EXPECT_EQ(panel->image_being_shown().size(), cv::Size(286, 28600)) << "the picture stays";
    expect_buffer_follows_the_surface(panel);
    EXPECT_GT(red_pixels(panel), 0) << "and is drawn into the new buffer";
    EXPECT_EQ(panel->zoom_mode(), ZoomMode::FitWidth);

    ASSERT_NO_FATAL_FAILURE(resize_surface(300, 167));
    EXPECT_EQ(panel->image_being_shown().size(), cv::Size(300, 30000)) << "the next resize refits";
    expect_buffer_follows_the_surface(panel);
}

} // namespace
} // namespace tesk_vumo::testing
