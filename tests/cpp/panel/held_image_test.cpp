// The displayed image is the viewer's own, made when asked for: an array a
// host took earlier (the displayed image or a selection of it) keeps its
// pixels, and the viewer holds no more than its source and what is in view.

#include "panel_fixture.h"

#include <malloc.h>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "tesk_vumo/common/view_geometry.h"

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

TEST_F(HeldImage, AQuarterTurnOfALargeSourceTurnsOnlyWhatIsInView)
{
    // 36 MB of source; the turned view and its pointer read-out cost a viewport's pictures.
    const cv::Mat source = gradient(4000, 3000);
    panel->set_zoom_mode(ZoomMode::NoZoom);
    panel->set_source_image(source);
    const size_t before = mallinfo2().uordblks;
    panel->set_rotation(Rotation::ClockWise90);
    panel->set_rotation(Rotation::CounterClockWise90);
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(mallinfo2().uordblks, before + source.total() * source.elemSize() / 8);
#endif
    // The top-left of a counter-clockwise turn is the source's top-right.
    EXPECT_EQ(pixel(panel->buffer(), 0, 0), wxColour(source.at<cv::Vec3b>(0, 3999)[0], source.at<cv::Vec3b>(0, 3999)[1],
                                                     source.at<cv::Vec3b>(0, 3999)[2]));
    // Asked for, the displayed image is the whole source turned.
    cv::Mat turned;
    cv::rotate(source, turned, cv::ROTATE_90_COUNTERCLOCKWISE);
    EXPECT_EQ(cv::norm(panel->image_being_shown(), turned, cv::NORM_INF), 0);
}

TEST_F(HeldImage, TheViewersOwnSourceShownUnturnedIsNeverHandedOutAsTheDisplayedImage)
{
    cv::Mat gray(300, 500, CV_8UC1);
    cv::randu(gray, 0, 256);
    cv::Mat rgb;
    cv::cvtColor(gray, rgb, cv::COLOR_GRAY2RGB);
    const auto path = temp_dir() / "own_source.png";
    ASSERT_TRUE(cv::imwrite(path.string(), gray));
    panel->set_zoom_mode(ZoomMode::NoZoom);
    for (bool from_file : {false, true}) {
        SCOPED_TRACE(from_file ? "decoded from a file" : "converted from gray");
        if (from_file)
            panel->set_source_image(path);
        else
            panel->set_source_image(gray);
        EXPECT_NE(panel->image_being_shown().data, panel->source_image().data);
        EXPECT_EQ(cv::norm(panel->image_being_shown(), rgb, cv::NORM_INF), 0);
        // Refits never write into the source they show, not even one that
        // gives a displayed image of the same size.
        for (Rotation rotation : {Rotation::Double90, Rotation::ClockWise90, Rotation::NoRotation}) {
            panel->set_rotation(rotation);
            EXPECT_EQ(cv::norm(panel->source_image(), rgb, cv::NORM_INF), 0) << name(rotation);
        }
        EXPECT_NE(panel->image_being_shown().data, panel->source_image().data);
        panel->set_zoom_mode(ZoomMode::FitPage);
        panel->set_zoom_mode(ZoomMode::NoZoom);
        EXPECT_EQ(cv::norm(panel->image_being_shown(), rgb, cv::NORM_INF), 0);
        // Nor is a caller's array.
        panel->set_source_image(solid(500, 300, first));
        EXPECT_NE(panel->image_being_shown().data, panel->source_image().data);
        EXPECT_EQ(panel->image_being_shown().at<cv::Vec3b>(299, 499), first);
    }
    // Clearing keeps the picture that was shown.
    panel->set_source_image(gray);
    panel->set_source_image(std::nullopt);
    EXPECT_EQ(cv::norm(panel->image_being_shown(), rgb, cv::NORM_INF), 0);
}

TEST_F(HeldImage, ACallersArrayAtOneToOneIsDrawnWhereItLiesAndHandedOutAsTheViewersCopy)
{
    const wxColour first_drawn(first[0], first[1], first[2]), second_drawn(second[0], second[1], second[2]);
    panel->set_zoom_mode(ZoomMode::NoZoom);
    cv::Mat caller = solid(64, 48, first);
    panel->set_source_image(caller);
    const wxPoint at = panel->image_rect().GetTopLeft(), end = at + wxPoint(63, 47);
    // The array is shared: what the caller writes is shown at the next fitting.
    caller.at<cv::Vec3b>(0, 0) = second;
    panel->fitting(true);
    EXPECT_EQ(pixel(panel->buffer(), at.x, at.y), second_drawn);

    // What is handed out is a copy, drawn until the next fitting.
    cv::Mat shown = panel->image_being_shown();
    EXPECT_NE(shown.data, caller.data);
    EXPECT_EQ(cv::norm(shown, caller, cv::NORM_INF), 0);
    shown.at<cv::Vec3b>(47, 63) = second;
    panel->draw_image();
    EXPECT_EQ(pixel(panel->buffer(), end.x, end.y), second_drawn);
    EXPECT_EQ(caller.at<cv::Vec3b>(47, 63), first);
    panel->set_rotation(Rotation::Double90);
    panel->set_rotation(Rotation::NoRotation);
    EXPECT_EQ(pixel(panel->buffer(), end.x, end.y), first_drawn) << "the caller's array drawn again";

    // Still on show after clearing, the array is not handed out.
    panel->set_source_image(std::nullopt);
    EXPECT_NE(panel->image_being_shown().data, caller.data);
    EXPECT_EQ(cv::norm(panel->image_being_shown(), caller, cv::NORM_INF), 0);
}

TEST_F(HeldImage, TurnedFitsAgreeWithTurningTheWholeSourceWithinOne)
{
    for (cv::Size size : {cv::Size(1000, 700), cv::Size(150, 100)}) {
        // Noise: neighbouring samples differ by up to 255, the hardest case
        // for two orders of interpolation to agree.
        cv::Mat source(size, CV_8UC3);
        cv::randu(source, 0, 256);
        panel->set_source_image(source);
        for (ZoomMode mode : {ZoomMode::FitPage, ZoomMode::FitWidth, ZoomMode::FitHeight})
            for (Rotation rotation : {Rotation::ClockWise90, Rotation::Double90, Rotation::CounterClockWise90}) {
                SCOPED_TRACE(std::to_string(size.width) + " " + name(mode) + " " + name(rotation));
                panel->set_zoom_mode(mode);
                panel->set_rotation(rotation);
                cv::Mat turned, expected;
                geometry::rotate(source, turned, rotation);
                cv::resize(turned, expected, panel->image_being_shown().size());
                EXPECT_LE(cv::norm(panel->image_being_shown(), expected, cv::NORM_INF), 1);
            }
        panel->set_rotation(Rotation::NoRotation);
    }
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
