// Free zoom and any angle without a display: the view's mappings, the
// pyramid of halved images and the pixels the renderer composes.

#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/common/view_transform.h"

#include "common/image_pyramid.h"
#include "common/view_renderer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <utility>

#include <opencv2/imgproc.hpp>

using namespace tesk_vumo;
using namespace tesk_vumo::geometry;

namespace {

/// An image whose every pixel tells where it is (up to 1024 x 1024).
cv::Mat coded_image(int width, int height)
{
    cv::Mat image(height, width, CV_8UC3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.at<cv::Vec3b>(y, x) = {static_cast<uchar>(x & 255), static_cast<uchar>(y & 255),
                                         static_cast<uchar>((x >> 8) | ((y >> 8) << 2))};
    return image;
}

cv::Point decoded(const cv::Vec3b& pixel)
{
    return {pixel[0] | ((pixel[2] & 3) << 8), pixel[1] | ((pixel[2] >> 2) << 8)};
}

/// An image's pyramid and a renderer of its views.
struct Scene
{
    ImagePyramid pyramid;
    ViewRenderer renderer;
    explicit Scene(const cv::Mat& source) { pyramid.reset(source); }
    const cv::Mat& render(const ViewTransform& view, const cv::Vec3b& back = {0, 0, 0})
    {
        return renderer.render(pyramid, view, back);
    }
};

const Rotation quarter_turns[] = {Rotation::NoRotation, Rotation::ClockWise90, Rotation::Double90,
                                  Rotation::CounterClockWise90};

} // namespace

TEST(ViewTransform, QuarterTurnsPlacePixelsAsRotateDoesAtAnyScale)
{
    const cv::Mat source = coded_image(5, 3);
    for (Rotation rotation : quarter_turns) {
        cv::Mat turned;
        rotate(source, turned, rotation);
        for (double scale : {1.0, 3.0, 0.5, 0.3}) {
            SCOPED_TRACE(::testing::Message() << name(rotation) << " at scale " << scale);
            const ViewTransform view(source.size(), scale, rotation_degrees(rotation, 0), {100, 100});
            const cv::Size shown = view.displayed_size();
            // The centre of each turned pixel, scaled about the centre, is
            // the centre of the source pixel that rotate() put there.
            for (int r = 0; r < turned.rows; ++r)
                for (int c = 0; c < turned.cols; ++c) {
                    const cv::Point2d centre = view.display_to_source(
                        {shown.width / 2.0 + scale * (c + 0.5 - turned.cols / 2.0),
                         shown.height / 2.0 + scale * (r + 0.5 - turned.rows / 2.0)});
                    const cv::Point2d expected(decoded(turned.at<cv::Vec3b>(r, c)));
                    EXPECT_LT(cv::norm(centre - expected - cv::Point2d(0.5, 0.5)), 1e-12) << "pixel " << c << ", " << r;
                }
        }
    }
}

TEST(ViewTransform, MappingsRoundTripAtFreeScalesAnglesAndOffsets)
{
    for (double scale : {1.0 / 64, 0.3, 1.0, 2.5, 64.0})
        for (double degrees : {0.0, 30.0, 90.0, 137.5, -90.0, 1e6 + 0.25}) {
            SCOPED_TRACE(::testing::Message() << "at scale " << scale << ", " << degrees << " degrees");
            const ViewTransform view({8000, 6000}, scale, degrees, {1920, 1080}, {1234.5, 321.25});
            for (const cv::Point2d control : {cv::Point2d(0, 0), cv::Point2d(700.5, 400.5), cv::Point2d(1919, 1079)}) {
                const cv::Point2d p = view.control_to_source(control);
                EXPECT_LT(cv::norm(view.source_to_control(p) - control), 1e-7);
            }
        }
}

TEST(ViewTransform, ScrollRangeAndVisibleRegionAsForAMaterialisedImage)
{
    const ViewTransform large({8000, 6000}, 1, 0, {1920, 1080});
    EXPECT_EQ(large.max_offset(), cv::Point2d(6080, 4920));
    EXPECT_EQ(large.scrolled_to({-5, 1e9}).offset(), cv::Point2d(0, 4920));
    const auto fields = [](const VisibleRegion& r) { return std::tuple(r.source, r.x, r.y, r.width, r.height); };
    EXPECT_EQ(fields(large.scrolled_to({100, 50}).visible_region()),
              fields(visible_region({8000, 6000}, {1920, 1080}, 100, 50)));
    // Narrower than the viewport: centred, the odd pixel to the right, and
    // not scrollable that way; a quarter turn at 1/4 swaps the sides.
    const ViewTransform small({801, 600}, 0.25, 90, {400, 100}, {30, 30});
    EXPECT_EQ(small.displayed_size(), cv::Size(150, 200));
    EXPECT_EQ(small.offset(), cv::Point2d(0, 30));
    EXPECT_EQ(small.image_rect(), cv::Rect(125, 0, 150, 100));
    EXPECT_EQ(small.display_pixel({124, 10}), cv::Point(-1, -1));
    EXPECT_EQ(small.display_pixel({125, 10}), cv::Point(0, 40));
}

TEST(ViewTransform, ZoomAboutThePointerKeepsTheSourcePixelUnderIt)
{
    const cv::Mat source = coded_image(1000, 800);
    Scene scene(source);
    const cv::Point pointer(300, 200);
    const cv::Point2d at(pointer.x + 0.5, pointer.y + 0.5);
    ViewTransform view(source.size(), 2, 0, {640, 480}, {500, 700});
    const cv::Point2d under = view.control_to_source(at);
    const uchar* memory = nullptr;
    for (int step : {1, 1, 1, 4, 8, 4, -1, -8, -8}) {
        view = view.zoomed_about(at, stepped_zoom_rate(view.scale(), step));
        EXPECT_LT(cv::norm(view.control_to_source(at) - under), 1e-9) << "at rate " << view.scale();
        const cv::Mat& picture = scene.render(view);
        if (view.scale() > 1)
            EXPECT_EQ(decoded(picture.at<cv::Vec3b>(pointer)), view.source_pixel(pointer))
                << "at rate " << view.scale();
        if (memory)
            EXPECT_EQ(picture.data, memory) << "a zoom step took new memory for the picture";
        memory = picture.data;
    }
    // Where the scroll range ends, the view stops at the image's edge.
    const ViewTransform edge = ViewTransform(source.size(), 1, 0, {640, 480}).zoomed_about({0.5, 0.5}, 0.25);
    EXPECT_EQ(edge.offset(), cv::Point2d(0, 0));
    EXPECT_EQ(edge.placement(), cv::Point(195, 140));
}

TEST(ViewTransform, ZoomRatesStepThroughOneToOneAndStayInRange)
{
    EXPECT_EQ(stepped_zoom_rate(0.8, 1), std::exp2(-0.25)) << "from between the rungs to the next one up";
    EXPECT_EQ(stepped_zoom_rate(0.8, -1), std::exp2(-0.5));
    EXPECT_EQ(stepped_zoom_rate(60, 8), 64.0);
    EXPECT_EQ(stepped_zoom_rate(1.0 / 64, -1), 1.0 / 64);
    // A fit's scale beyond the ends: toward the ladder to its end, away from it nowhere.
    EXPECT_EQ(stepped_zoom_rate(200, -1), 64.0);
    EXPECT_EQ(stepped_zoom_rate(200, 1), 200.0);
    EXPECT_EQ(stepped_zoom_rate(1.0 / 200, 1), 1.0 / 64);
    EXPECT_EQ(stepped_zoom_rate(1.0 / 200, -1), 1.0 / 200);
    for (double bad : {0.0, -1.0, HUGE_VAL, std::nan("")})
        EXPECT_THROW(ViewTransform({8, 6}, bad, 0, {8, 6}), ValueError) << "rate " << bad;
    EXPECT_EQ(ViewTransform({2, 3}, 200, 90, {8, 6}).displayed_size(), cv::Size(600, 400)) << "a fit's scale";
}

TEST(ViewRenderer, DegreeAnyComposesTheTurnedImageOnTheBackground)
{
    // Quadrants: red top-left, green top-right, blue bottom-left, white.
    cv::Mat source(20, 40, CV_8UC3, cv::Scalar(255, 255, 255));
    source(cv::Rect(0, 0, 20, 10)).setTo(cv::Scalar(255, 0, 0));
    source(cv::Rect(20, 0, 20, 10)).setTo(cv::Scalar(0, 255, 0));
    source(cv::Rect(0, 10, 20, 10)).setTo(cv::Scalar(0, 0, 255));
    const cv::Vec3b red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255), white(255, 255, 255), back(10, 20, 30);
    Scene scene(source);
    // 30 degrees clockwise: a 45 x 37 bounding box at (27, 31); each quadrant's middle turned
    // about the centre (49.5, 49.5) by hand; the box's corners lie outside the turned image.
    // (0 and 90 degrees are the quarter turns below.)
    const ViewTransform view(source.size(), 1, 30, {100, 100});
    const cv::Mat& picture = scene.render(view, back);
    ASSERT_EQ(picture.size(), cv::Size(100, 100));
    for (const auto& [at, colour] : {std::pair(cv::Point(43, 40), red), {{60, 50}, green}, {{38, 48}, blue},
                                     {{55, 58}, white}, {{27, 31}, back}, {{71, 67}, back}, {{5, 5}, back}})
        EXPECT_EQ(picture.at<cv::Vec3b>(at), colour) << "at " << at;
    // The whole displayed image, made on demand, is the bounding box alone.
    const cv::Mat whole = displayed_image(scene.pyramid, view, back, 45 * 37); // the limit is just enough
    EXPECT_EQ(cv::norm(whole, picture(cv::Rect(27, 31, 45, 37)), cv::NORM_INF), 0);
}

TEST(ViewRenderer, QuarterTurnsShowTheImageTurnedAndScaled)
{
    cv::Mat source(900, 1200, CV_8UC3);
    cv::randu(source, 0, 256);
    cv::GaussianBlur(source, source, {0, 0}, 3);
    Scene scene(source);
    for (Rotation rotation : quarter_turns) {
        cv::Mat turned;
        rotate(source, turned, rotation);
        // Enlarged, each pixel a sharp square; halved, the means of the image's blocks; between, near that.
        for (const auto& [scale, interpolation, tolerance] :
             {std::tuple(1.0, cv::INTER_NEAREST, 0.0), std::tuple(3.0, cv::INTER_NEAREST, 0.0),
              std::tuple(0.5, cv::INTER_AREA, 0.0), std::tuple(0.25, cv::INTER_AREA, 1.0),
              std::tuple(0.8, cv::INTER_AREA, 2.0)}) {
            const ViewTransform view
                = ViewTransform(source.size(), scale, rotation_degrees(rotation, 0), {150, 150}).scrolled_to({37, 20});
            cv::Mat expected;
            cv::resize(turned, expected, view.displayed_size(), 0, 0, interpolation);
            EXPECT_LE(cv::norm(scene.render(view), expected(cv::Rect(37, 20, 150, 150)), cv::NORM_INF), tolerance)
                << name(rotation) << " at " << scale;
        }
    }
}

TEST(ViewRenderer, AtALevelsOwnScaleTheBlockShownIsWhatSamplingShows)
{
    cv::Mat source(600, 800, CV_8UC3);
    cv::randu(source, 0, 256);
    Scene scene(source), sampled(source);
    for (Rotation rotation : quarter_turns)
        for (const double scale : {1.0, 0.5, 0.25})
            // The top-left and bottom-right edges, a whole-pixel scroll, and (below 1:1)
            // half a pixel off; at 1/4 (200 x 150) the image is narrower than the viewport.
            for (const cv::Point2d offset : {cv::Point2d(0, 0), {1e6, 1e6}, {3, 7}, {3, 7.5}}) {
                if (offset.y == 7.5 && scale == 1)
                    continue; // the nearest pixel to a centre between two is either
                const ViewTransform view
                    = ViewTransform(source.size(), scale, rotation_degrees(rotation, 0), {220, 130}).scrolled_to(offset);
                // A scale a hair off the level's is sampled at the same pixel centres.
                const ViewTransform near(view.source_size(), scale * (1 + 1e-12), view.degrees(), view.viewport(),
                                         view.offset());
                const cv::Mat shown = scene.render(view, {1, 2, 3}).clone();
                EXPECT_EQ(cv::norm(shown, sampled.render(near, {1, 2, 3}), cv::NORM_INF), 0)
                    << name(rotation) << " at " << scale << ", offset " << view.offset();
                if (offset.y == 7.5)
                    EXPECT_GT(cv::norm(shown, scene.render(view.scrolled_to({3, 7}), {1, 2, 3}), cv::NORM_INF), 0)
                        << name(rotation) << " at " << scale << ": half a pixel off, pixels are interpolated";
            }
}

TEST(ImagePyramid, LevelsAreMadeOnDemandAndStayWithinAThirdOfTheImage)
{
    cv::Mat source(1501, 2001, CV_8UC3);
    cv::randu(source, 0, 256);
    ImagePyramid pyramid;
    pyramid.reset(source);
    EXPECT_EQ(pyramid.level_bytes(), 0u);
    EXPECT_EQ(pyramid.level(0).data, source.data);
    const cv::Mat& second = pyramid.level(2);
    EXPECT_EQ(pyramid.level_bytes(), (1001u * 751 + 501u * 376) * 3);
    // Pixel (c, r) of level 2 is the mean of the image's 4 x 4 block at
    // (4c, 4r), the last column and row of what the image has left.
    for (const cv::Point p : {cv::Point(0, 0), cv::Point(123, 45), cv::Point(500, 375)}) {
        const cv::Rect block = cv::Rect(4 * p.x, 4 * p.y, 4, 4) & cv::Rect(0, 0, source.cols, source.rows);
        const cv::Scalar mean = cv::mean(source(block));
        for (int ch = 0; ch < 3; ++ch)
            EXPECT_NEAR(second.at<cv::Vec3b>(p)[ch], mean[ch], 1.01) << "at level pixel " << p;
    }
    pyramid.level(ImagePyramid::max_level);
    EXPECT_LE(static_cast<double>(pyramid.level_bytes()), 0.34 * source.total() * source.elemSize());

    // A new image of the same size reuses the levels' memory.
    const uchar* first = pyramid.level(1).data;
    pyramid.reset(source.clone());
    EXPECT_EQ(pyramid.level_bytes(), 0u);
    EXPECT_EQ(pyramid.level(1).data, first);
}


TEST(ViewRenderer, AFitShowsTheTurnedSourceResizedAsResizeMakesIt)
{
    cv::Mat noise(37, 53, CV_8UC3), large(900, 1200, CV_8UC3);
    cv::randu(noise, 0, 256);
    cv::randu(large, 0, 256);
    // Enlarged and reduced, a side truncated (3 x 2 at 100 x 100 is 100 x 66).
    for (const auto& [source, mode, surface] :
         {std::tuple(noise, ZoomMode::FitPage, cv::Size(401, 300)), std::tuple(noise(cv::Rect(0, 0, 3, 2)), ZoomMode::FitPage, cv::Size(100, 100)),
          std::tuple(large, ZoomMode::FitPage, cv::Size(333, 250)), std::tuple(large, ZoomMode::FitWidth, cv::Size(700, 300))})
        for (Rotation rotation : quarter_turns) {
            SCOPED_TRACE(::testing::Message() << source.size() << " " << name(mode) << " " << name(rotation));
            cv::Mat turned, expected;
            rotate(source, turned, rotation);
            const cv::Size shown = fitted_size(mode, turned.size(), surface);
            cv::resize(turned, expected, shown);
            const ViewTransform view = ViewTransform::fitted(source.size(), fitted_zoom_rate(mode, turned.size(), surface),
                                                             static_cast<int>(rotation), shown, surface);
            EXPECT_EQ(view.displayed_size(), shown);
            Scene scene(source);
            // The screen's picture, anywhere it is scrolled, and the displayed image.
            const cv::Rect visible = view.visible_region().source;
            EXPECT_LE(cv::norm(scene.render(view)(view.image_rect()), expected(visible), cv::NORM_INF), 1);
            const ViewTransform scrolled = view.scrolled_to({17, 1e9});
            const cv::Mat whole = displayed_image(scene.pyramid, view, {0, 0, 0}, 1LL << 30);
            EXPECT_LE(cv::norm(whole, expected, cv::NORM_INF), 1);
            EXPECT_LE(cv::norm(scene.render(scrolled)(scrolled.image_rect()), whole(scrolled.visible_region().source),
                               cv::NORM_INF),
                      1);
            // Scrolled on by a few pixels, the picture moved and the strips sampled are what a fresh one shows.
            for (const cv::Point2d step : {cv::Point2d(0, -5), {-3, 0}, {4, 0}}) {
                const ViewTransform next = scrolled.scrolled_to(scrolled.offset() + step);
                Scene fresh(source);
                EXPECT_EQ(cv::norm(scene.render(next), fresh.render(next), cv::NORM_INF), 0) << "step " << step;
            }
        }
    // A thin strip turned and enlarged to 1240000 x 248 is shown, its viewport alone drawn.
    cv::Mat thin(5000, 1, CV_8UC3);
    cv::randu(thin, 0, 256);
    const cv::Size shown = fitted_size(ZoomMode::FitHeight, {5000, 1}, {286, 248});
    ASSERT_EQ(shown, cv::Size(1240000, 248));
    Scene scene(thin);
    const cv::Mat& picture = scene.render(ViewTransform::fitted(thin.size(), 248, 1, shown, {286, 248}));
    EXPECT_EQ(picture.at<cv::Vec3b>(0, 0), thin.at<cv::Vec3b>(4999, 0)) << "the strip's bottom at the left";
    const double w = 285.5 / 248 - 0.5;
    const cv::Vec3d blend = cv::Vec3d(thin.at<cv::Vec3b>(4999, 0)) * (1 - w) + cv::Vec3d(thin.at<cv::Vec3b>(4998, 0)) * w;
    EXPECT_LE(cv::norm(cv::Vec3d(picture.at<cv::Vec3b>(247, 285)) - blend, cv::NORM_INF), 1);
}
