#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/common/view_geometry.h"

#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include <functional>
#include <ostream>

using namespace tesk_vumo;
using namespace tesk_vumo::geometry;

namespace cv {
// Readable failure output for the OpenCV value types.
inline void PrintTo(const Size& s, std::ostream* os) { *os << s.width << "x" << s.height; }
inline void PrintTo(const Point& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }
inline void PrintTo(const Rect& r, std::ostream* os)
{
    *os << "(" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << ")";
}
} // namespace cv

TEST(FloorDiv, RoundsTowardMinusInfinity)
{
    EXPECT_EQ(floor_div(-3, 2), -2);
    EXPECT_EQ(floor_div(3, 2), 1);
    EXPECT_EQ(floor_div(-4, 2), -2);
    EXPECT_EQ(floor_div(3, -2), -2);
    EXPECT_EQ(floor_div(0, 2), 0);
}

TEST(FittedSize, WorkedExamples)
{
    struct Case
    {
        ZoomMode mode;
        cv::Size image, surface, expected;
    };
    const Case cases[] = {
        {ZoomMode::FitPage, {800, 600}, {400, 400}, {400, 300}},
        {ZoomMode::FitPage, {3, 2}, {100, 100}, {100, 66}}, // truncated, not rounded
        {ZoomMode::FitPage, {800, 600}, {400, 300}, {400, 300}}, // equal aspect ratios
        {ZoomMode::FitPage, {600, 800}, {400, 400}, {300, 400}},
        {ZoomMode::FitPage, {100, 50}, {400, 400}, {400, 200}},  // small images are enlarged
        {ZoomMode::FitWidth, {800, 600}, {400, 400}, {400, 300}},
        {ZoomMode::FitWidth, {600, 800}, {400, 400}, {400, 533}},
        {ZoomMode::FitHeight, {800, 600}, {400, 400}, {533, 400}},
        {ZoomMode::FitHeight, {600, 800}, {400, 400}, {300, 400}},
        {ZoomMode::NoZoom, {800, 600}, {400, 400}, {800, 600}},
        {ZoomMode::NoZoom, {800, 600}, {0, 0}, {800, 600}},
        // The product exceeds the int range; it must be formed exactly.
        {ZoomMode::FitWidth, {60000, 50000}, {50000, 100}, {50000, 41666}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fitted_size(c.mode, c.image, c.surface), c.expected)
            << "for " << name(c.mode) << ", image " << c.image << ", surface " << c.surface;
}

TEST(FittedSize, QuarterTurnSwapsTheSidesBeforeFitting)
{
    const cv::Size turned = rotated_size({800, 600}, Rotation::ClockWise90);
    EXPECT_EQ(turned, cv::Size(600, 800));
    EXPECT_EQ(fitted_size(ZoomMode::FitPage, turned, {400, 400}), cv::Size(300, 400));
    EXPECT_EQ(rotated_size({800, 600}, Rotation::CounterClockWise90), cv::Size(600, 800));
    EXPECT_EQ(rotated_size({800, 600}, Rotation::Double90), cv::Size(800, 600));
    EXPECT_EQ(rotated_size({800, 600}, Rotation::DegreeAny), cv::Size(800, 600));
}

TEST(FittedSize, RejectsZoomAnyByName)
{
    try {
        fitted_size(ZoomMode::ZoomAny, {800, 600}, {400, 400});
        FAIL() << "ZoomAny was accepted";
    } catch (const ValueError& error) {
        EXPECT_STREQ(error.what(), "Unsupported Zoom Mode: ZoomAny");
    }
}

TEST(FittedSize, RejectsScalesThatCannotBeFormed)
{
    struct Case
    {
        ZoomMode mode;
        cv::Size image, surface;
    };
    const Case cases[] = {
        {ZoomMode::FitPage, {800, 600}, {400, 0}},
        {ZoomMode::FitPage, {800, 600}, {0, 400}},
        {ZoomMode::FitWidth, {800, 600}, {0, 400}},
        {ZoomMode::FitHeight, {800, 600}, {400, 0}},
        {ZoomMode::FitPage, {0, 600}, {400, 400}},
        {ZoomMode::FitWidth, {0, 0}, {400, 400}},
        {ZoomMode::FitHeight, {800, 0}, {400, 400}},
        {ZoomMode::FitHeight, {1 << 20, 1}, {286, 2048}}, // a side of 2^31 pixels
    };
    for (const Case& c : cases)
        EXPECT_THROW(fitted_size(c.mode, c.image, c.surface), ValueError)
            << "for " << name(c.mode) << ", image " << c.image << ", surface " << c.surface;
}

TEST(FittedSize, ASideThatWouldTruncateToNothingKeepsOnePixel)
{
    EXPECT_EQ(fitted_size(ZoomMode::FitPage, {1000, 1}, {100, 100}), cv::Size(100, 1));
    EXPECT_EQ(fitted_size(ZoomMode::FitWidth, {5000, 1}, {286, 167}), cv::Size(286, 1));
    EXPECT_EQ(fitted_size(ZoomMode::FitHeight, {1, 5000}, {286, 167}), cv::Size(1, 167));
    EXPECT_EQ(fitted_size(ZoomMode::FitPage, {5, 1200}, {286, 167}), cv::Size(1, 167));
}

TEST(ScrollBarSetup, ThumbIsTheSmallerOfSurfaceAndImage)
{
    struct Case
    {
        int position, surface, image;
        ScrollBarSetup expected;
    };
    const Case cases[] = {
        {0, 400, 800, {0, 400, 800, 399}},
        {0, 400, 600, {0, 400, 600, 399}},
        {0, 400, 400, {0, 400, 400, 399}},
        {0, 400, 300, {0, 300, 300, 299}},
        {0, 400, 100, {0, 100, 100, 99}},
        {123, 400, 800, {123, 400, 800, 399}},
    };
    for (const Case& c : cases) {
        const ScrollBarSetup s = scroll_bar_setup(c.position, c.surface, c.image);
        EXPECT_EQ(s.position, c.expected.position) << "for surface " << c.surface << ", image " << c.image;
        EXPECT_EQ(s.thumb_size, c.expected.thumb_size) << "for surface " << c.surface << ", image " << c.image;
        EXPECT_EQ(s.range, c.expected.range) << "for surface " << c.surface << ", image " << c.image;
        EXPECT_EQ(s.page_size, c.expected.page_size) << "for surface " << c.surface << ", image " << c.image;
    }
}

TEST(VisibleRegion, CentresSmallImagesAndCutsScrolledOnes)
{
    struct Case
    {
        cv::Size image, client;
        int subx, suby;
        cv::Rect source;
        int x, y, w, h;
    };
    const Case cases[] = {
        {{400, 300}, {400, 400}, 0, 0, {0, 0, 400, 300}, 0, 50, 400, 300},
        {{800, 600}, {400, 400}, 100, 50, {100, 50, 400, 400}, 0, 0, 400, 400},
        {{100, 50}, {400, 400}, 0, 0, {0, 0, 100, 50}, 150, 175, 100, 50},
        {{3, 3}, {6, 6}, 0, 0, {0, 0, 3, 3}, 1, 1, 3, 3}, // the odd pixel goes right and down
        // Scrolled past what is left: the sub-image stops at the image edge.
        {{800, 600}, {400, 400}, 500, 300, {500, 300, 300, 300}, 0, 0, 400, 400},
        {{800, 300}, {400, 400}, 200, 0, {200, 0, 400, 300}, 0, 50, 400, 300},
    };
    for (const Case& c : cases) {
        const VisibleRegion r = visible_region(c.image, c.client, c.subx, c.suby);
        const auto where = ::testing::Message() << "for image " << c.image << ", client " << c.client
                                                << ", scrolled to (" << c.subx << ", " << c.suby << ")";
        EXPECT_EQ(r.source, c.source) << where;
        EXPECT_EQ(cv::Rect(r.x, r.y, r.width, r.height), cv::Rect(c.x, c.y, c.w, c.h)) << where;
    }
}

TEST(CentredOrigin, MayBeNegative)
{
    EXPECT_EQ(centred_origin({300, 300}, {400, 300}), cv::Point(50, 0));
    EXPECT_EQ(centred_origin({7, 7}, {4, 4}), cv::Point(-2, -2));
}

TEST(Rotate, TopLeftPixelLandsInTheTurnedCorner)
{
    // Every pixel distinct, so a wrong mapping cannot pass by accident.
    cv::Mat src(2, 3, CV_8UC3);
    for (int r = 0; r < src.rows; ++r)
        for (int c = 0; c < src.cols; ++c)
            src.at<cv::Vec3b>(r, c) = cv::Vec3b(r * 10 + c, 100 + r, 200 + c);
    const int H = src.rows, W = src.cols;

    struct Case
    {
        Rotation rotation;
        cv::Size size;
        cv::Point top_left_goes_to; // column, row in the result
        std::function<cv::Point(int r, int c)> source_of; // (column, row) of the source
    };
    const Case cases[] = {
        {Rotation::ClockWise90, {H, W}, {H - 1, 0}, [&](int r, int c) { return cv::Point(r, H - 1 - c); }},
        {Rotation::Double90, {W, H}, {W - 1, H - 1}, [&](int r, int c) { return cv::Point(W - 1 - c, H - 1 - r); }},
        {Rotation::CounterClockWise90, {H, W}, {0, W - 1}, [&](int r, int c) { return cv::Point(W - 1 - r, c); }},
        {Rotation::NoRotation, {W, H}, {0, 0}, [](int r, int c) { return cv::Point(c, r); }},
        {Rotation::DegreeAny, {W, H}, {0, 0}, [](int r, int c) { return cv::Point(c, r); }},
    };
    for (const Case& k : cases) {
        cv::Mat dst;
        rotate(src, dst, k.rotation);
        ASSERT_EQ(dst.size(), k.size) << "for " << name(k.rotation);
        EXPECT_EQ(dst.at<cv::Vec3b>(k.top_left_goes_to), src.at<cv::Vec3b>(0, 0)) << "for " << name(k.rotation);
        for (int r = 0; r < dst.rows; ++r)
            for (int c = 0; c < dst.cols; ++c)
                EXPECT_EQ(dst.at<cv::Vec3b>(r, c), src.at<cv::Vec3b>(k.source_of(r, c)))
                    << "for " << name(k.rotation) << " at row " << r << ", column " << c;
    }
    cv::Mat in_place = src.clone(), half_turn;
    rotate(src, half_turn, Rotation::Double90);
    rotate(in_place, in_place, Rotation::Double90);
    EXPECT_EQ(cv::norm(in_place, half_turn, cv::NORM_INF), 0) << "a half turn in place";
}

TEST(Rotate, NeverWritesIntoTheSource)
{
    cv::Mat src(2, 3, CV_8UC3, cv::Scalar(1, 2, 3));
    const cv::Mat before = src.clone();
    for (Rotation rotation : {Rotation::NoRotation, Rotation::ClockWise90, Rotation::Double90,
                              Rotation::CounterClockWise90, Rotation::DegreeAny}) {
        cv::Mat dst;
        rotate(src, dst, rotation);
        dst.setTo(cv::Scalar(9, 9, 9));
        EXPECT_EQ(cv::norm(src, before, cv::NORM_INF), 0) << "for " << name(rotation);
    }
}

TEST(Wheel, SignAndWhichBarMoves)
{
    EXPECT_EQ(wheel_sign(120), 1);
    EXPECT_EQ(wheel_sign(-240), -1);
    EXPECT_EQ(wheel_sign(0), 0);

    const cv::Size client(400, 300);
    struct Case
    {
        cv::Point pointer;
        bool horizontal;
    };
    const Case cases[] = {
        {{100, 0}, true}, // as near the bottom as the right edge: horizontal
        {{101, 0}, false},
        {{0, 299}, true},
        {{399, 0}, false},
        {{200, 150}, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(wheel_moves_horizontal(c.pointer, client), c.horizontal) << "for pointer " << c.pointer;
}

TEST(ScrolledPosition, ClampsAtBothEnds)
{
    struct Case
    {
        int position, sign, count, range, thumb, expected;
    };
    const Case cases[] = {
        {5, 1, 10, 800, 400, 0},      // away from the user, past the start
        {0, 1, 10, 800, 400, 0},
        {395, -1, 10, 800, 400, 400}, // toward the user, past the end
        {400, -1, 10, 800, 400, 400},
        {100, -1, 10, 800, 400, 110},
        {100, 1, 1, 800, 400, 99},
        {100, 0, 10, 800, 400, 100},
        {0, -1, 10, 300, 300, 0},     // thumb covers the range: nowhere to go
    };
    for (const Case& c : cases)
        EXPECT_EQ(scrolled_position(c.position, c.sign, c.count, c.range, c.thumb), c.expected)
            << "for position " << c.position << ", sign " << c.sign << ", count " << c.count << ", range "
            << c.range << ", thumb " << c.thumb;
}

TEST(ImagePosition, EdgesAreInclusive)
{
    const cv::Rect image_rect(10, 20, 40, 30);
    struct Case
    {
        cv::Point pointer;
        int subx, suby;
        cv::Point expected;
    };
    const Case cases[] = {
        {{10, 20}, 0, 0, {0, 0}},
        {{49, 49}, 0, 0, {39, 29}},
        {{50, 49}, 0, 0, {-1, -1}},
        {{49, 50}, 0, 0, {-1, -1}},
        {{9, 20}, 0, 0, {-1, -1}},
        {{10, 19}, 0, 0, {-1, -1}},
        {{10, 20}, 100, 50, {100, 50}},
        {{49, 49}, 100, 50, {139, 79}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(image_position(c.pointer, image_rect, c.subx, c.suby), c.expected)
            << "for pointer " << c.pointer << " scrolled to (" << c.subx << ", " << c.suby << ")";
}

TEST(Selection, ADragCoversTheSameRectangleWhicheverWayItGoes)
{
    // Corners (20, 10) and (50, 40) of one rectangle, dragged from each corner
    // to the opposite one: each covers both end pixels.
    const std::array<int, 4> covered{20, 10, 31, 31};
    struct Case
    {
        cv::Point anchor, pointer;
        cv::Size stored;
    };
    const Case cases[] = {
        {{20, 10}, {50, 40}, {31, 31}},
        {{50, 40}, {20, 10}, {-31, -31}},
        {{50, 10}, {20, 40}, {-31, 31}},
        {{20, 40}, {50, 10}, {31, -31}},
    };
    for (const Case& c : cases) {
        const cv::Size size = drag_size(c.anchor, c.pointer);
        EXPECT_EQ(size, c.stored) << "from " << c.anchor << " to " << c.pointer;
        EXPECT_EQ(normalised_selection(c.anchor.x, c.anchor.y, size.width, size.height), covered)
            << "from " << c.anchor << " to " << c.pointer;
    }
    // One pixel either way covers two; on the anchor, one.
    EXPECT_EQ(drag_size({10, 10}, {9, 11}), cv::Size(-2, 2));
    EXPECT_EQ(normalised_selection(10, 10, -2, 2), (std::array<int, 4>{9, 10, 2, 2}));
    EXPECT_EQ(drag_size({10, 10}, {10, 10}), cv::Size(1, 1));
    // Undragged, cleared and initial selections cover nothing.
    EXPECT_EQ(normalised_selection(10, 10, 0, 0), (std::array<int, 4>{10, 10, 0, 0}));
    EXPECT_EQ(normalised_selection(-1, -1, 0, 0), (std::array<int, 4>{-1, -1, 0, 0}));
}

TEST(ClipToImage, CutsAtTheEdges)
{
    EXPECT_EQ(clip_to_image({-5, -5, 20, 20}, {10, 10}), cv::Rect(0, 0, 10, 10));
    EXPECT_EQ(clip_to_image({7, 2, 5, 3}, {10, 10}), cv::Rect(7, 2, 3, 3));
    EXPECT_TRUE(clip_to_image({20, 20, 5, 5}, {10, 10}).empty());
}

TEST(MiddleLines, OneForEvenTwoForOdd)
{
    int count = 0;
    auto lines = middle_lines(4, count);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(lines[0], 2);
    lines = middle_lines(5, count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(lines[0], 2);
    EXPECT_EQ(lines[1], 3);
}
