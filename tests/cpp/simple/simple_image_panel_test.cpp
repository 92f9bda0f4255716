#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/simple/simple_image_panel.h"

#include "test_support.h"

#include <fstream>
#include <functional>
#include <string>

#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/panel.h>

using namespace tesk_vumo;
using namespace tesk_vumo::testing;
namespace fs = std::filesystem;

namespace {

std::string describe(const wxSize& s) { return std::to_string(s.x) + "x" + std::to_string(s.y); }

wxColour rgb(cv::Vec3b v) { return wxColour(v[0], v[1], v[2]); }

/// Number of pixels of @p image equal to @p colour.
int count_of(const wxImage& image, const wxColour& colour)
{
    int n = 0;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            n += pixel(image, x, y) == colour;
    return n;
}

class SimpleImagePanelTest : public FrameTest
{
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        // The host has no sizer, so the panel keeps the size it is given.
        host = new wxPanel(frame, wxID_ANY, wxPoint(0, 0), frame->GetClientSize());
        pump();
    }

    SimpleImagePanel* make_panel(const wxSize& size)
    {
        auto* panel = new SimpleImagePanel(host, size);
        pump();
        return panel;
    }

    /// Resizes @p panel and checks that its client area (where it fits and
    /// draws) is its whole window.
    void resize(SimpleImagePanel* panel, const wxSize& size)
    {
        panel->SetSize(size);
        pump();
        ASSERT_EQ(panel->GetSize(), size);
        ASSERT_EQ(panel->GetClientSize(), panel->GetSize());
    }

    wxPanel* host = nullptr;
    const cv::Vec3b image_colour{200, 30, 60};
};

TEST_F(SimpleImagePanelTest, FitsAndCentresTheImage)
{
    struct Case
    {
        wxSize panel;
        cv::Size image;
        wxRect drawn;
    };
    const Case cases[] = {
        {{400, 300}, {1000, 1000}, {50, 0, 300, 300}},
        {{300, 400}, {1000, 1000}, {0, 50, 300, 300}},
        {{333, 200}, {640, 480}, {33, 0, 266, 200}},
        {{400, 300}, {800, 600}, {0, 0, 400, 300}}, // same aspect ratio fills the panel
        {{200, 200}, {20, 10}, {0, 50, 200, 100}},  // small images are enlarged
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("for panel " + describe(c.panel) + " and image " + std::to_string(c.image.width) + "x"
                     + std::to_string(c.image.height));
        // Resized after the image is set, so the size event refits it.
        SimpleImagePanel* panel = make_panel({120, 90});
        panel->set_source_image(solid(c.image.width, c.image.height, image_colour));
        resize(panel, c.panel);

        EXPECT_EQ(panel->image_being_shown().cols, c.drawn.width);
        EXPECT_EQ(panel->image_being_shown().rows, c.drawn.height);
        ASSERT_TRUE(panel->buffer().IsOk());
        ASSERT_EQ(panel->buffer().GetSize(), panel->GetClientSize());

        const wxImage shown = panel->buffer().ConvertToImage();
        const wxColour background = panel->GetBackgroundColour();
        const wxColour colour = rgb(image_colour);
        const int mid_x = c.drawn.x + c.drawn.width / 2, mid_y = c.drawn.y + c.drawn.height / 2;
        auto expect_at = [&](int x, int y, const wxColour& expected) {
            if (x < 0 || y < 0 || x >= shown.GetWidth() || y >= shown.GetHeight())
                return;
            EXPECT_EQ(pixel(shown, x, y), expected) << "at (" << x << ", " << y << ")";
        };
        expect_at(c.drawn.GetLeft() - 1, mid_y, background);
        expect_at(c.drawn.GetLeft(), mid_y, colour);
        expect_at(c.drawn.GetRight(), mid_y, colour);
        expect_at(c.drawn.GetRight() + 1, mid_y, background);
        expect_at(mid_x, c.drawn.GetTop() - 1, background);
        expect_at(mid_x, c.drawn.GetTop(), colour);
        expect_at(mid_x, c.drawn.GetBottom(), colour);
        expect_at(mid_x, c.drawn.GetBottom() + 1, background);
        EXPECT_EQ(count_of(shown, colour), c.drawn.width * c.drawn.height);
        panel->Destroy();
    }
}

TEST_F(SimpleImagePanelTest, ImageIsDrawnUpright)
{
    SimpleImagePanel* panel = make_panel({400, 300});
    cv::Mat image = solid(100, 100, {255, 0, 0});
    image(cv::Rect(50, 0, 50, 50)).setTo(cv::Scalar(0, 255, 0));
    image(cv::Rect(0, 50, 50, 50)).setTo(cv::Scalar(0, 0, 255));
    image(cv::Rect(50, 50, 50, 50)).setTo(cv::Scalar(255, 255, 255));
    panel->set_source_image(image);

    const wxImage shown = panel->buffer().ConvertToImage();
    EXPECT_EQ(pixel(shown, 60, 10), *wxRED);
    EXPECT_EQ(pixel(shown, 340, 10), *wxGREEN);
    EXPECT_EQ(pixel(shown, 60, 290), *wxBLUE);
    EXPECT_EQ(pixel(shown, 340, 290), *wxWHITE);
}

TEST_F(SimpleImagePanelTest, ScreenShowsTheBuffer)
{
    SimpleImagePanel* panel = make_panel({400, 300});
    panel->set_source_image(solid(1000, 1000, image_colour));
    const wxSize size = panel->GetClientSize();
    wxImage screen;
    auto grab = [&] {
        screen = on_screen(panel, size);
        return near(pixel(screen, 200, 150), rgb(image_colour), 2);
    };
    ASSERT_TRUE(wait_until(grab)) << "the image never reached the screen: "
                                  << pixel(screen, 200, 150).GetAsString().utf8_str();
    EXPECT_TRUE(near(pixel(screen, 50, 150), rgb(image_colour), 2));
    EXPECT_TRUE(near(pixel(screen, 49, 150), panel->GetBackgroundColour(), 2));
    EXPECT_TRUE(near(pixel(screen, 350, 150), panel->GetBackgroundColour(), 2));
}

TEST_F(SimpleImagePanelTest, ABorderedPanelFitsAndDrawsInsideItsBorder)
{
    auto* panel = new SimpleImagePanel(host, wxID_ANY, wxDefaultPosition, wxSize(200, 100), wxBORDER_SIMPLE);
    pump();
    const wxSize client = panel->GetClientSize();
    ASSERT_LT(client.x, 200);
    panel->set_source_image(solid(1000, 500, image_colour));

    // Fitted to the client area, not the outer size, and drawn whole, its
    // edges not under the border.
    const int width = client.y * 2, left = (client.x - width) / 2;
    EXPECT_EQ(panel->image_being_shown().size(), cv::Size(width, client.y));
    ASSERT_EQ(panel->buffer().GetSize(), client);
    EXPECT_EQ(count_of(panel->buffer().ConvertToImage(), rgb(image_colour)), width * client.y);
    EXPECT_TRUE(wait_until([&] {
        const wxImage screen = on_screen(panel, client);
        return pixel(screen, left, 0) == rgb(image_colour)
               && pixel(screen, left + width - 1, client.y - 1) == rgb(image_colour);
    })) << "the picture's corners on the screen";
}

TEST_F(SimpleImagePanelTest, GrayArraysAreShownWithEqualChannels)
{
    SimpleImagePanel* panel = make_panel({400, 300});
    cv::Mat gray(480, 640, CV_8UC1);
    for (int r = 0; r < gray.rows; ++r)
        gray.row(r).setTo(cv::Scalar(r * 255 / (gray.rows - 1)));
    panel->set_source_image(gray);

    ASSERT_EQ(panel->source_image().type(), CV_8UC3);
    EXPECT_NE(panel->source_image().data, gray.data);
    const cv::Mat& shown = panel->image_being_shown();
    ASSERT_EQ(shown.type(), CV_8UC3);
    for (int r = 0; r < shown.rows; ++r)
        for (int c = 0; c < shown.cols; ++c) {
            const cv::Vec3b v = shown.at<cv::Vec3b>(r, c);
            ASSERT_TRUE(v[0] == v[1] && v[1] == v[2]) << "at row " << r << ", column " << c;
        }
    const wxColour top = pixel(panel->buffer(), 200, 0), bottom = pixel(panel->buffer(), 200, 299);
    EXPECT_TRUE(top.Red() == top.Green() && top.Green() == top.Blue());
    EXPECT_LT(top.Red(), 10);
    EXPECT_GT(bottom.Red(), 245);
}

TEST_F(SimpleImagePanelTest, ThreeChannelArraysAreSharedWithTheCaller)
{
    SimpleImagePanel* panel = make_panel({400, 300});
    const cv::Mat image = gradient(64, 48);
    panel->set_source_image(image);
    EXPECT_EQ(panel->source_image().data, image.data);
    EXPECT_NE(panel->image_being_shown().data, image.data);
}

TEST_F(SimpleImagePanelTest, DisplayedImageHeldByTheHostIsNeverOverwritten)
{
    SimpleImagePanel* panel = make_panel({400, 300});
    panel->set_source_image(solid(64, 48, cv::Vec3b(10, 20, 30)));
    const cv::Mat kept = panel->image_being_shown();
    panel->set_source_image(solid(64, 48, cv::Vec3b(200, 100, 0)));
    EXPECT_EQ(kept.at<cv::Vec3b>(0, 0), cv::Vec3b(10, 20, 30));
    EXPECT_EQ(panel->image_being_shown().at<cv::Vec3b>(0, 0), cv::Vec3b(200, 100, 0));
}

TEST_F(SimpleImagePanelTest, ARefitOfTheSameSizeShowsTheNewPixels)
{
    SimpleImagePanel* panel = make_panel({400, 300});
    panel->set_source_image(solid(64, 48, cv::Vec3b(10, 20, 30)));
    panel->set_source_image(solid(64, 48, cv::Vec3b(200, 100, 0)));
    EXPECT_EQ(panel->image_being_shown().at<cv::Vec3b>(0, 0), cv::Vec3b(200, 100, 0));
    const wxSize client = panel->GetClientSize();
    EXPECT_EQ(pixel(panel->buffer(), client.x / 2, client.y / 2), wxColour(200, 100, 0));
}

TEST_F(SimpleImagePanelTest, BadInputsChangeNothing)
{
    const fs::path dir = temp_dir();
    const fs::path not_an_image = dir / "notes.png";
    std::ofstream(not_an_image) << "not an image";
    const fs::path missing = dir / "missing.png";
    const int sizes[] = {4, 5, 3};

    struct Case
    {
        std::string what;
        std::function<void(SimpleImagePanel*)> set;
        std::string message; // empty: only the type of the error is checked
    };
    const Case type_errors[] = {
        {"8-bit signed array", [](auto* p) { p->set_source_image(cv::Mat(4, 5, CV_8SC3, cv::Scalar::all(0))); }, ""},
        {"two channels", [](auto* p) { p->set_source_image(cv::Mat(4, 5, CV_16UC2, cv::Scalar::all(0))); }, ""},
        {"empty array", [](auto* p) { p->set_source_image(cv::Mat()); }, ""},
        {"3-D array", [&](auto* p) { p->set_source_image(cv::Mat(3, sizes, CV_8UC1, cv::Scalar::all(0))); }, ""},
    };
    const Case read_errors[] = {
        {"missing file", [&](auto* p) { p->set_source_image(missing); },
         "Load Image File [" + missing.string() + "] Failed."},
        {"not an image", [&](auto* p) { p->set_source_image(not_an_image.string()); },
         "Load Image File [" + not_an_image.string() + "] Failed."},
        {"directory", [&](auto* p) { p->set_source_image(dir); }, "Load Image File [" + dir.string() + "] Failed."},
        {"empty path", [](auto* p) { p->set_source_image(""); }, "Load Image File [] Failed."},
    };

    SimpleImagePanel* panel = make_panel({400, 300});
    const cv::Mat image = solid(1000, 1000, image_colour);
    panel->set_source_image(image);
    const uchar* shown_before = panel->image_being_shown().data;
    const wxBitmap buffer_before = panel->buffer();
    const int image_pixels_before = count_of(buffer_before.ConvertToImage(), rgb(image_colour));

    auto expect_unchanged = [&](const std::string& what) {
        EXPECT_EQ(panel->source_image().data, image.data) << "after " << what;
        EXPECT_EQ(panel->image_being_shown().data, shown_before) << "after " << what;
        EXPECT_TRUE(panel->buffer().IsSameAs(buffer_before)) << "after " << what;
        EXPECT_EQ(count_of(panel->buffer().ConvertToImage(), rgb(image_colour)), image_pixels_before)
            << "after " << what;
    };
    for (const Case& c : type_errors) {
        EXPECT_THROW(c.set(panel), TypeError) << "for " << c.what;
        expect_unchanged(c.what);
    }
    for (const Case& c : read_errors) {
        try {
            c.set(panel);
            ADD_FAILURE() << "accepted " << c.what;
        } catch (const AssertionError& error) {
            const std::string what = error.what();
            EXPECT_EQ(what.substr(0, what.find('\n')), c.message) << "for " << c.what << ", followed by the cause";
        }
        expect_unchanged(c.what);
    }
}

TEST_F(SimpleImagePanelTest, ClearingMakesAFreshBufferWithoutFitting)
{
    SimpleImagePanel* panel = make_panel({400, 300});
    panel->set_source_image(solid(1000, 1000, image_colour));
    const cv::Mat shown_before = panel->image_being_shown();
    const wxBitmap buffer_before = panel->buffer();

    panel->set_source_image(std::nullopt);
    EXPECT_TRUE(panel->source_image().empty());
    EXPECT_EQ(panel->image_being_shown().data, shown_before.data);
    EXPECT_FALSE(panel->buffer().IsSameAs(buffer_before));
    EXPECT_EQ(panel->buffer().GetSize(), panel->GetClientSize());
    const wxSize size = panel->GetClientSize();
    EXPECT_EQ(count_of(panel->buffer().ConvertToImage(), panel->GetBackgroundColour()), size.x * size.y)
        << "a fresh buffer shows only the background";

    // Clearing an empty panel is just as quiet.
    EXPECT_NO_THROW(panel->set_source_image(std::nullopt));
}

TEST_F(SimpleImagePanelTest, OldPictureNeverComesBackAfterClearingAndResizing)
{
    SimpleImagePanel* panel = make_panel({400, 300});
    panel->set_source_image(solid(1000, 1000, image_colour));
    const cv::Mat shown_before = panel->image_being_shown();
    panel->set_source_image(std::nullopt);

    for (const wxSize size : {wxSize(500, 350), wxSize(400, 300), wxSize(300, 400)}) {
        resize(panel, size);
        ASSERT_EQ(panel->buffer().GetSize(), size) << "for size " << describe(size);
        EXPECT_EQ(count_of(panel->buffer().ConvertToImage(), panel->GetBackgroundColour()), size.x * size.y)
            << "for size " << describe(size);
        EXPECT_EQ(panel->image_being_shown().data, shown_before.data) << "refitted at size " << describe(size);
    }
}

TEST_F(SimpleImagePanelTest, ZeroWidthOrHeightKeepsTheBufferAndImage)
{
    SimpleImagePanel* panel = make_panel({400, 300});
    panel->set_source_image(solid(1000, 1000, image_colour));
    const uchar* shown_before = panel->image_being_shown().data;
    const wxBitmap buffer_before = panel->buffer();

    for (const wxSize size : {wxSize(0, 300), wxSize(400, 0), wxSize(0, 0)}) {
        panel->SetSize(size);
        pump();
        EXPECT_TRUE(panel->buffer().IsSameAs(buffer_before)) << "for size " << describe(size);
        EXPECT_EQ(panel->image_being_shown().data, shown_before) << "for size " << describe(size);
    }

    resize(panel, {300, 400});
    EXPECT_EQ(panel->image_being_shown().size(), cv::Size(300, 300));
    EXPECT_EQ(pixel(panel->buffer(), 150, 50), rgb(image_colour));
}

TEST_F(SimpleImagePanelTest, FilesAreShownInTheirOwnColours)
{
    const fs::path chinese = temp_dir() / fs::u8path("图片.png");
    write_rgb(chinese, solid(40, 30, {255, 0, 0}));
    const fs::path paths[] = {chinese, fs::path(TESK_VUMO_TEST_DATA_DIR) / "red_8x6.png"};

    for (const fs::path& path : paths) {
        SimpleImagePanel* panel = make_panel({400, 300});
        ASSERT_NO_THROW(panel->set_source_image(path)) << "for " << path;
        EXPECT_EQ(pixel(panel->buffer(), 200, 150), *wxRED) << "for " << path;
        EXPECT_EQ(panel->source_image().at<cv::Vec3b>(0, 0), cv::Vec3b(255, 0, 0)) << "for " << path;
        panel->Destroy();
    }
}

} // namespace
