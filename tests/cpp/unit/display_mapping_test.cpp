// Sources of other types than 8-bit R, G, B as the renderer composes them:
// levels, colour maps, alpha over the checkerboard, NaN, nearest sampling.

#include "tesk_vumo/common/view_transform.h"

#include "common/display_mapping.h"
#include "common/image_pyramid.h"
#include "common/view_renderer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <opencv2/imgproc.hpp>

using namespace tesk_vumo;
using namespace tesk_vumo::geometry;

namespace {

/// The picture of @p source shown at 1:1 on a viewport of its size.
cv::Mat picture_of(const cv::Mat& source, DisplayMapping mapping, const cv::Vec3b& back = {1, 2, 3})
{
    ImagePyramid pyramid;
    pyramid.reset(source);
    ViewRenderer renderer;
    renderer.set_look({Sampling::Linear, mapping});
    return renderer.render(pyramid, ViewTransform(source.size(), 1, 0, source.size()), back).clone();
}

} // namespace

TEST(DisplayMapping, LevelsAndColourMapsAtKnownPixels)
{
    // 12-bit data in 16 bits: 1000 black, 4990 white, beyond them saturated.
    const cv::Mat gray = (cv::Mat_<ushort>(1, 4) << 1000, 4990, 2000, 60000);
    const cv::Mat shown = picture_of(gray, {1000, 4990});
    EXPECT_EQ(shown.at<cv::Vec3b>(0, 0), cv::Vec3b(0, 0, 0));
    EXPECT_EQ(shown.at<cv::Vec3b>(0, 1), cv::Vec3b(255, 255, 255));
    EXPECT_EQ(shown.at<cv::Vec3b>(0, 2), cv::Vec3b(64, 64, 64)); // 1000 / 3990 of 255
    EXPECT_EQ(shown.at<cv::Vec3b>(0, 3), cv::Vec3b(255, 255, 255));
    EXPECT_EQ(automatic_levels(gray), std::make_pair(1000.0, 60000.0));

    // A colour map gives OpenCV's colours, in R, G, B order.
    const cv::Mat levelled = (cv::Mat_<uchar>(1, 4) << 0, 255, 64, 255);
    cv::Mat bgr;
    cv::applyColorMap(levelled, bgr, cv::COLORMAP_JET);
    const cv::Mat jet = picture_of(gray, {1000, 4990, *colormap_code("jet")});
    for (int x = 0; x < 4; ++x) {
        const cv::Vec3b want = bgr.at<cv::Vec3b>(0, x);
        EXPECT_EQ(jet.at<cv::Vec3b>(0, x), cv::Vec3b(want[2], want[1], want[0])) << "at " << x;
    }

    // Colour: each channel levelled alike; signed and float samples too.
    const cv::Mat rgb(1, 1, CV_16UC3, cv::Scalar(258, 513, 60000));
    EXPECT_EQ(picture_of(rgb, {0, 65535}).at<cv::Vec3b>(0, 0), cv::Vec3b(1, 2, 233));
    const cv::Mat signed_gray = (cv::Mat_<short>(1, 2) << -100, 50);
    EXPECT_EQ(picture_of(signed_gray, {-100, 100}).at<cv::Vec3b>(0, 1), cv::Vec3b(191, 191, 191));
    const cv::Mat floats = (cv::Mat_<float>(1, 2) << -0.5f, 0.25f);
    EXPECT_EQ(automatic_levels(floats), std::make_pair(-0.5, 0.25));
    EXPECT_EQ(picture_of(floats, {-1, 1}).at<cv::Vec3b>(0, 1), cv::Vec3b(159, 159, 159));
    EXPECT_FALSE(colormap_code("grey"));
    EXPECT_EQ(value_text({4095}, CV_16U), "4095");
    EXPECT_EQ(value_text({0.123456, 12345.6, 1, -2}, CV_32F), "0.1235, 1.235e+04, 1, -2");
}

TEST(DisplayMapping, AlphaShowsTheCheckerboardAndNonFiniteSamplesTheBackground)
{
    // Red, transparent on the left half, half transparent at the bottom right.
    cv::Mat rgba(16, 32, CV_16UC4, cv::Scalar(65535, 0, 0, 65535));
    rgba(cv::Rect(0, 0, 16, 16)).setTo(cv::Scalar(65535, 0, 0, 0));
    rgba(cv::Rect(16, 8, 16, 8)).setTo(cv::Scalar(65535, 0, 0, 32768));
    const cv::Mat shown = picture_of(rgba, {0, 65535});
    const cv::Vec3b light(checker_light, checker_light, checker_light), dark(checker_dark, checker_dark, checker_dark);
    EXPECT_EQ(shown.at<cv::Vec3b>(0, 0), light);
    EXPECT_EQ(shown.at<cv::Vec3b>(0, 8), dark);
    EXPECT_EQ(shown.at<cv::Vec3b>(8, 0), dark);
    EXPECT_EQ(shown.at<cv::Vec3b>(8, 8), light);
    EXPECT_EQ(shown.at<cv::Vec3b>(0, 20), cv::Vec3b(255, 0, 0));
    // 255 a + grey (1 - a), a = 32768 / 65535: over dark and light squares.
    EXPECT_EQ(shown.at<cv::Vec3b>(8, 16), cv::Vec3b(204, 76, 76));
    EXPECT_EQ(shown.at<cv::Vec3b>(8, 24), cv::Vec3b(230, 102, 102));
    EXPECT_EQ(automatic_levels(rgba), std::make_pair(0.0, 65535.0)) << "alpha plays no part";

    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const cv::Mat floats = (cv::Mat_<float>(1, 4) << 0.0f, nan, inf, 1.0f);
    EXPECT_EQ(automatic_levels(floats), std::make_pair(0.0, 1.0)) << "finite samples alone";
    const cv::Mat with_nan = picture_of(floats, {0, 1}, {7, 8, 9});
    EXPECT_EQ(with_nan.at<cv::Vec3b>(0, 0), cv::Vec3b(0, 0, 0));
    EXPECT_EQ(with_nan.at<cv::Vec3b>(0, 1), cv::Vec3b(7, 8, 9));
    EXPECT_EQ(with_nan.at<cv::Vec3b>(0, 2), cv::Vec3b(7, 8, 9));
    EXPECT_EQ(with_nan.at<cv::Vec3b>(0, 3), cv::Vec3b(255, 255, 255));
}

TEST(DisplayMapping, NearestShowsOneSourcePixelAtEveryScale)
{
    // Every value once, so that a blend of neighbours could not pass for a pixel.
    cv::Mat source(23, 31, CV_32FC1);
    for (int y = 0; y < source.rows; ++y)
        for (int x = 0; x < source.cols; ++x)
            source.at<float>(y, x) = static_cast<float>((x * 7 + y * 31) % 251);
    ImagePyramid pyramid;
    pyramid.reset(source);
    ViewRenderer renderer;
    renderer.set_look({Sampling::Nearest, {0, 255}});
    const cv::Size viewport(90, 70);
    for (const ViewTransform& view :
         {ViewTransform(source.size(), 0.3, 0, viewport), ViewTransform(source.size(), 2.6, 90, viewport, {9, 4}),
          ViewTransform::fitted(source.size(), 70.0 / 23, 0, {94, 70}, viewport, {0, 0}),
          ViewTransform(source.size(), 1.7, 30, viewport, {3, 5})}) {
        const cv::Mat& picture = renderer.render(pyramid, view, {1, 2, 3});
        const cv::Matx23d to_source = view.control_to_source_matrix();
        int checked = 0;
        for (int y = 0; y < picture.rows; ++y)
            for (int x = 0; x < picture.cols; ++x) {
                const cv::Point2d at = to_source * cv::Vec3d(x + 0.5, y + 0.5, 1);
                const cv::Point pixel(static_cast<int>(std::floor(at.x)), static_cast<int>(std::floor(at.y)));
                if (!cv::Rect(cv::Point(), source.size()).contains(pixel))
                    continue;
                ASSERT_EQ(picture.at<cv::Vec3b>(y, x)[0], source.at<float>(pixel)) << "at " << x << ", " << y;
                ++checked;
            }
        EXPECT_GT(checked, 50);
    }
}
