// A refit of the same size writes over the displayed image's memory only
// while the panel alone holds it: an array a host took earlier (the
// displayed image or a selection of it) must keep its pixels.

#include "panel_fixture.h"

using namespace tesk_vumo;
using namespace tesk_vumo::testing;

namespace {

class HeldImage : public PanelTest
{
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(set_surface(400, 400));
    }
};

const cv::Vec3b first(10, 20, 30);
const cv::Vec3b second(200, 100, 0);

} // namespace

TEST_F(HeldImage, DisplayedImageHeldByTheHostKeepsItsPixels)
{
    for (ZoomMode mode : {ZoomMode::NoZoom, ZoomMode::FitPage}) {
        SCOPED_TRACE(name(mode));
        panel->set_zoom_mode(mode);
        panel->set_source_image(solid(64, 48, first));
        const cv::Mat kept = panel->image_being_shown();
        panel->set_source_image(solid(64, 48, second));
        EXPECT_EQ(kept.at<cv::Vec3b>(0, 0), first);
        EXPECT_EQ(panel->image_being_shown().at<cv::Vec3b>(0, 0), second);
        EXPECT_NE(panel->image_being_shown().data, kept.data);
    }
}

TEST_F(HeldImage, ZoomingBackAndForthReusesTheMemoryOfBothSizes)
{
    const cv::Mat source = gradient(640, 480);
    panel->set_zoom_mode(ZoomMode::NoZoom);
    panel->set_source_image(source);
    const uchar* whole = panel->image_being_shown().data;
    panel->set_zoom_mode(ZoomMode::FitPage);
    const uchar* fitted = panel->image_being_shown().data;
    ASSERT_NE(fitted, whole);
    for (int round = 0; round < 2; ++round) {
        panel->set_zoom_mode(ZoomMode::NoZoom);
        EXPECT_EQ(panel->image_being_shown().data, whole);
        EXPECT_EQ(cv::norm(panel->image_being_shown(), source, cv::NORM_INF), 0);
        panel->set_zoom_mode(ZoomMode::FitPage);
        EXPECT_EQ(panel->image_being_shown().data, fitted);
        EXPECT_EQ(panel->image_being_shown().size(), cv::Size(400, 300));
    }
}

TEST_F(HeldImage, ZoomingBackNeverWritesOverAnImageTheHostHolds)
{
    panel->set_zoom_mode(ZoomMode::NoZoom);
    panel->set_source_image(solid(640, 480, first));
    const cv::Mat kept = panel->image_being_shown();
    panel->set_zoom_mode(ZoomMode::FitPage);
    panel->set_source_image(solid(640, 480, second));
    panel->set_zoom_mode(ZoomMode::NoZoom);
    EXPECT_NE(panel->image_being_shown().data, kept.data);
    EXPECT_EQ(kept.at<cv::Vec3b>(479, 639), first);
    EXPECT_EQ(panel->image_being_shown().at<cv::Vec3b>(479, 639), second);

    // Nor one the host took after it had been set aside for the way back.
    panel->set_zoom_mode(ZoomMode::FitPage);
    const cv::Mat fitted = panel->image_being_shown();
    panel->set_zoom_mode(ZoomMode::NoZoom);
    panel->set_source_image(solid(640, 480, first));
    panel->set_zoom_mode(ZoomMode::FitPage);
    EXPECT_NE(panel->image_being_shown().data, fitted.data);
    EXPECT_EQ(fitted.at<cv::Vec3b>(0, 0), second);
    EXPECT_EQ(panel->image_being_shown().at<cv::Vec3b>(0, 0), first);
}

TEST_F(HeldImage, SelectionHeldByTheHostKeepsItsPixels)
{
    panel->set_zoom_mode(ZoomMode::NoZoom);
    const cv::Mat source = gradient(64, 48);
    panel->set_source_image(source);
    panel->set_selection_rect({4, 4, 8, 8});
    const auto kept = panel->get_selection_image();
    ASSERT_TRUE(kept.has_value());
    panel->set_rotation(Rotation::Double90);
    EXPECT_EQ(kept->at<cv::Vec3b>(0, 0), source.at<cv::Vec3b>(4, 4));
}

TEST_F(HeldImage, RefitsOfTheSameSizeShowTheNewPixels)
{
    panel->set_zoom_mode(ZoomMode::NoZoom);
    cv::Mat source = gradient(64, 48);
    panel->set_source_image(source);
    panel->set_rotation(Rotation::Double90);
    EXPECT_EQ(panel->image_being_shown().at<cv::Vec3b>(0, 0), source.at<cv::Vec3b>(47, 63));
    panel->set_rotation(Rotation::NoRotation);
    EXPECT_EQ(cv::norm(panel->image_being_shown(), source, cv::NORM_INF), 0);
    EXPECT_NE(panel->image_being_shown().data, source.data) << "the caller's array is never the displayed image";
}
