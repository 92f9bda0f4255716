// What reaches a Wayland compositor's screen. Run by run.sh inside a headless
// weston, with the toolkit on its Wayland back end: a picture drawn outside
// a paint event never reaches such a screen, so each change of the viewers
// below is read back from weston's own screenshot.

#include <cstdlib>
#include <filesystem>
#include <string>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <wx/dcclient.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/scrolbar.h>

#include "tesk_vumo/panel/image_panel.h"
#include "tesk_vumo/simple/simple_image_panel.h"
#include "tesk_vumo/viewer/image.h"
#include "test_support.h"

namespace tesk_vumo::testing {
namespace {

const cv::Vec3b red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255), yellow(255, 255, 0);
// Behind the viewers: where the frame's client area begins on the screen.
const cv::Vec3b marker(255, 0, 255);

/// 800 x 600: red, green / blue, yellow quarters.
cv::Mat quarters()
{
    cv::Mat image(600, 800, CV_8UC3, cv::Scalar(red));
    image(cv::Rect(400, 0, 400, 300)).setTo(cv::Scalar(green));
    image(cv::Rect(0, 300, 400, 300)).setTo(cv::Scalar(blue));
    image(cv::Rect(400, 300, 400, 300)).setTo(cv::Scalar(yellow));
    return image;
}

class WaylandScreen : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::getenv("WAYLAND_DISPLAY") && !std::getenv("DISPLAY")) << "not on Wayland alone";
        frame = new wxFrame(nullptr, wxID_ANY, "wayland");
        back = new wxPanel(frame);
        back->SetBackgroundColour(wxColour(marker[0], marker[1], marker[2]));
        simple = new SimpleImagePanel(back, wxID_ANY, wxPoint(10, 10), wxSize(300, 200));
        panel = new ImagePanel(back, wxID_ANY, wxPoint(320, 10), wxSize(420, 420));
        image = new Image(back, wxID_ANY, wxPoint(750, 10), wxSize(420, 420));
        sentinel = new wxWindow(back, wxID_ANY, wxPoint(1170, 430), wxSize(4, 4));
        sentinel->Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
            wxPaintDC dc(sentinel);
            ++sentinel_paints;
        });
        frame->SetClientSize(1180, 440);
        frame->Show();
        ASSERT_TRUE(frames_pass());
    }

    void TearDown() override
    {
        frame->Destroy();
        pump();
    }

    /// Lets two frames of the window pass, marked by a small window of its
    /// own that is invalidated for each: the first frame paints what is
    /// invalid and commits it, the second is drawn only once the compositor
    /// has shown the first.
    bool frames_pass()
    {
        for (int frame_number = 0; frame_number < 2; ++frame_number) {
            const int painted = sentinel_paints;
            sentinel->Refresh();
            if (!wait_until([&] { return sentinel_paints > painted; }))
                return false;
        }
        return true;
    }

    /// The compositor's whole output, R, G, B; also kept as
    /// wayland-<step>.png in the working directory, to be looked at.
    cv::Mat screenshot(const std::string& step)
    {
        const std::filesystem::path dir = temp_dir();
        const std::string command = "cd '" + dir.string() + "' && weston-screenshooter";
        if (std::system(command.c_str()) != 0)
            return cv::Mat();
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            if (entry.path().extension() == ".png") {
                const std::filesystem::path kept = "wayland-" + step + ".png";
                std::filesystem::rename(entry.path(), kept);
                cv::Mat shot = cv::imread(kept.string(), cv::IMREAD_COLOR);
                cv::cvtColor(shot, shot, cv::COLOR_BGR2RGB);
                return shot;
            }
        return cv::Mat();
    }

    /// Where the frame's client area begins in @p shot.
    static cv::Point origin(const cv::Mat& shot)
    {
        for (int y = 0; y < shot.rows; ++y)
            for (int x = 0; x < shot.cols; ++x)
                if (shot.at<cv::Vec3b>(y, x) == marker)
                    return {x, y};
        return {-1, -1};
    }

    /// The screen's pixel at point @p at of @p window's client area.
    cv::Vec3b on_screen(const cv::Mat& shot, wxWindow* window, const wxPoint& at)
    {
        const cv::Point start = origin(shot);
        const wxPoint place = back->ScreenToClient(window->ClientToScreen(at));
        const cv::Point p(start.x + place.x, start.y + place.y);
        if (start.x < 0 || !cv::Rect(0, 0, shot.cols, shot.rows).contains(p))
            return cv::Vec3b(1, 2, 3);
        return shot.at<cv::Vec3b>(p);
    }

    /// The quarters of a fitted picture at @p shown (control rectangle) as
    /// the screen shows them, top-left, top-right, bottom-left, bottom-right.
    std::string quarters_on_screen(const cv::Mat& shot, wxWindow* surface, const wxRect& shown)
    {
        std::string names;
        for (const wxPoint& at : {wxPoint(1, 1), wxPoint(3, 1), wxPoint(1, 3), wxPoint(3, 3)}) {
            const cv::Vec3b colour = on_screen(shot, surface, wxPoint(shown.x + shown.width * at.x / 4,
                                                                       shown.y + shown.height * at.y / 4));
            names += colour == red ? "R" : colour == green ? "G" : colour == blue ? "B" : colour == yellow ? "Y" : "?";
        }
        return names;
    }

    static wxRect simple_picture(SimpleImagePanel* simple)
    {
        const wxSize client = simple->GetClientSize(), shown(simple->image_being_shown().cols,
                                                             simple->image_being_shown().rows);
        return wxRect((client.x - shown.x) / 2, (client.y - shown.y) / 2, shown.x, shown.y);
    }

    wxFrame* frame = nullptr;
    wxPanel* back = nullptr;
    SimpleImagePanel* simple = nullptr;
    ImagePanel* panel = nullptr;
    Image* image = nullptr;
    wxWindow* sentinel = nullptr;
    int sentinel_paints = 0;
};

TEST_F(WaylandScreen, PicturesSetTurnedAndScrolledAfterShowReachTheScreen)
{
    const cv::Mat picture = quarters();
    simple->set_source_image(picture);
    panel->set_source_image(picture);
    image->set_source_image(picture);
    ASSERT_TRUE(frames_pass());
    cv::Mat shot = screenshot("set");
    ASSERT_FALSE(shot.empty()) << "no screenshot";
    ASSERT_GE(origin(shot).x, 0) << "the frame is not on the screen";
    EXPECT_EQ(quarters_on_screen(shot, simple, simple_picture(simple)), "RGBY") << "set, simple panel";
    EXPECT_EQ(quarters_on_screen(shot, panel->ui_image, panel->image_rect()), "RGBY") << "set, image panel";
    EXPECT_EQ(quarters_on_screen(shot, image->ui_image, image->image_rect()), "RGBY") << "set, image";

    // Turned a quarter clockwise: the left column comes to the top.
    cv::Mat turned;
    cv::rotate(picture, turned, cv::ROTATE_90_CLOCKWISE);
    simple->set_source_image(turned);
    panel->set_rotation(Rotation::ClockWise90);
    image->set_rotation(Rotation::ClockWise90);
    ASSERT_TRUE(frames_pass());
    shot = screenshot("turned");
    EXPECT_EQ(quarters_on_screen(shot, simple, simple_picture(simple)), "BRYG") << "turned, simple panel";
    EXPECT_EQ(quarters_on_screen(shot, panel->ui_image, panel->image_rect()), "BRYG") << "turned, image panel";
    EXPECT_EQ(quarters_on_screen(shot, image->ui_image, image->image_rect()), "BRYG") << "turned, image";

    // One to one and scrolled to the far corner: what the screen shows at
    // each point is the turned picture's pixel there. The simple panel is
    // given the first picture again.
    const auto scroll_to_end = [](auto* viewer) {
        viewer->set_zoom_mode(ZoomMode::NoZoom);
        for (wxScrollBar* bar : {viewer->ui_scroll_bar_horizontal, viewer->ui_scroll_bar_vertical})
            viewer->do_scroll(bar, -1, bar->GetRange());
    };
    scroll_to_end(panel);
    scroll_to_end(image);
    simple->set_source_image(picture);
    ASSERT_TRUE(frames_pass());
    shot = screenshot("scrolled");
    EXPECT_EQ(quarters_on_screen(shot, simple, simple_picture(simple)), "RGBY") << "set again, simple panel";
    const auto expect_scrolled = [&](auto* viewer, const char* name) {
        const wxPoint corner(viewer->ui_scroll_bar_horizontal->GetThumbPosition(),
                             viewer->ui_scroll_bar_vertical->GetThumbPosition());
        ASSERT_GT(corner.x, 0);
        ASSERT_GT(corner.y, 0);
        const wxSize client = viewer->ui_image->GetClientSize();
        for (const wxPoint& at : {wxPoint(2, 2), wxPoint(client.x / 2, client.y / 2), wxPoint(client.x - 3, 2),
                                  wxPoint(2, client.y - 3), wxPoint(client.x - 3, client.y - 3)}) {
            const wxPoint shown = corner + at;
            EXPECT_EQ(on_screen(shot, viewer->ui_image, at), turned.at<cv::Vec3b>(shown.y, shown.x))
                << "scrolled, " << name << ", at " << at.x << ", " << at.y;
        }
    };
    expect_scrolled(panel, "image panel");
    expect_scrolled(image, "image");

    // The pointer's lines follow it: shown where it is, gone where it was.
    panel->ui_checkbox_follow_lines->SetValue(true);
    const auto move = [&](const wxPoint& at) {
        wxMouseEvent event(wxEVT_MOTION);
        event.SetPosition(at);
        event.SetEventObject(panel->ui_image);
        event.SetId(panel->ui_image->GetId());
        panel->ui_image->ProcessWindowEvent(event);
    };
    move({100, 120});
    ASSERT_TRUE(frames_pass());
    move({300, 260});
    ASSERT_TRUE(frames_pass());
    shot = screenshot("pointer");
    const cv::Vec3b grey(128, 128, 128);
    int on_new = 0, on_old = 0;
    for (int y = 0; y < 400; ++y) {
        on_new += on_screen(shot, panel->ui_image, {300, y}) == grey;
        on_old += on_screen(shot, panel->ui_image, {100, y}) == grey;
    }
    EXPECT_GT(on_new, 100) << "the line where the pointer is";
    EXPECT_EQ(on_old, 0) << "the line where it was";
}

} // namespace
} // namespace tesk_vumo::testing
