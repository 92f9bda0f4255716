// What reaches a Wayland screen (run.sh starts a headless weston): a picture
// drawn outside a paint event never does, so weston's screenshot is read.

#include <cstdlib>
#include <filesystem>
#include <string>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <wx/dcclient.h>
#include <wx/panel.h>
#include <wx/scrolbar.h>

#include "tesk_vumo/panel/image_panel.h"
#include "tesk_vumo/simple/simple_image_panel.h"
#include "tesk_vumo/viewer/image.h"
#include "test_support.h"

namespace tesk_vumo::testing {
namespace {

const cv::Vec3b red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255), yellow(255, 255, 0);
const cv::Vec3b marker(255, 0, 255); // behind the viewers: where the client area begins on the screen

class WaylandScreen : public FrameTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::getenv("WAYLAND_DISPLAY") && !std::getenv("DISPLAY")) << "not on Wayland alone";
        client_size = {1180, 440};
        FrameTest::SetUp();
        back = fill_frame(new wxPanel(frame));
        back->SetBackgroundColour(wxColour(marker[0], marker[1], marker[2]));
        simple = new SimpleImagePanel(back, wxID_ANY, wxPoint(10, 10), wxSize(300, 200));
        panel = new ImagePanel(back, wxID_ANY, wxPoint(320, 10), wxSize(420, 420));
        image = new Image(back, wxID_ANY, wxPoint(750, 10), wxSize(420, 420));
        sentinel = new wxWindow(back, wxID_ANY, wxPoint(1170, 430), wxSize(4, 4));
        sentinel->Bind(wxEVT_PAINT, [this](wxPaintEvent&) { wxPaintDC dc(sentinel); ++sentinel_paints; });
        ASSERT_TRUE(frames_pass());
    }

    /// Lets two frames of a small window of its own pass: the first commits
    /// what is invalid, the second is drawn once the compositor shows it.
    bool frames_pass()
    {
        for (int i = 0; i < 2; ++i) {
            const int painted = sentinel_paints;
            sentinel->Refresh();
            if (!wait_until([&] { return sentinel_paints > painted; }))
                return false;
        }
        return true;
    }

    /// Reads the compositor's output (R, G, B; kept as wayland-<step>.png
    /// to be looked at) and finds the client area on it.
    void take_screenshot(const std::string& step)
    {
        ASSERT_TRUE(frames_pass());
        const std::filesystem::path dir = temp_dir(), kept = "wayland-" + step + ".png";
        ASSERT_EQ(std::system(("cd '" + dir.string() + "' && weston-screenshooter").c_str()), 0);
        std::filesystem::rename(std::filesystem::directory_iterator(dir)->path(), kept);
        cv::cvtColor(cv::imread(kept.string(), cv::IMREAD_COLOR), shot, cv::COLOR_BGR2RGB);
        cv::Mat markers;
        cv::inRange(shot, marker, marker, markers);
        std::vector<cv::Point> found;
        cv::findNonZero(markers, found);
        ASSERT_FALSE(found.empty()) << "the frame is not on the screen";
        origin = found.front();
    }

    /// The screen's pixel at @p at of @p window's client area.
    cv::Vec3b seen(wxWindow* window, const wxPoint& at) const
    {
        const wxPoint place = back->ScreenToClient(window->ClientToScreen(at));
        const cv::Point p = origin + cv::Point(place.x, place.y);
        return cv::Rect(0, 0, shot.cols, shot.rows).contains(p) ? shot.at<cv::Vec3b>(p) : cv::Vec3b(1, 2, 3);
    }

    /// The quarters of a picture shown at @p shown of @p surface, row by row.
    std::string quarters_seen(wxWindow* surface, const wxRect& shown) const
    {
        std::string names;
        for (const wxPoint& at : {wxPoint(1, 1), wxPoint(3, 1), wxPoint(1, 3), wxPoint(3, 3)}) {
            const cv::Vec3b c = seen(surface, {shown.x + shown.width * at.x / 4, shown.y + shown.height * at.y / 4});
            names += c == red ? 'R' : c == green ? 'G' : c == blue ? 'B' : c == yellow ? 'Y' : '?';
        }
        return names;
    }

    /// The simple panel's, image panel's and image's quarters.
    std::string all_quarters() const
    {
        const wxSize client = simple->GetClientSize();
        const cv::Size shown = simple->image_being_shown().size();
        return quarters_seen(simple, {(client.x - shown.width) / 2, (client.y - shown.height) / 2, shown.width,
                                      shown.height})
               + " " + quarters_seen(panel->ui_image, panel->image_rect()) + " "
               + quarters_seen(image->ui_image, image->image_rect());
    }

    wxPanel* back = nullptr;
    SimpleImagePanel* simple = nullptr;
    ImagePanel* panel = nullptr;
    Image* image = nullptr;
    wxWindow* sentinel = nullptr;
    int sentinel_paints = 0;
    cv::Mat shot;
    cv::Point origin;
};

TEST_F(WaylandScreen, PicturesSetTurnedAndScrolledAfterShowReachTheScreen)
{
    // 800 x 600: red, green / blue, yellow quarters.
    cv::Mat picture(600, 800, CV_8UC3, cv::Scalar(red));
    picture(cv::Rect(400, 0, 400, 300)).setTo(cv::Scalar(green));
    picture(cv::Rect(0, 300, 400, 300)).setTo(cv::Scalar(blue));
    picture(cv::Rect(400, 300, 400, 300)).setTo(cv::Scalar(yellow));
    simple->set_source_image(picture);
    panel->set_source_image(picture);
    image->set_source_image(picture);
    ASSERT_NO_FATAL_FAILURE(take_screenshot("set"));
    EXPECT_EQ(all_quarters(), "RGBY RGBY RGBY") << "set: simple panel, image panel, image";

    // Turned a quarter clockwise: the left column comes to the top.
    cv::Mat turned;
    cv::rotate(picture, turned, cv::ROTATE_90_CLOCKWISE);
    simple->set_source_image(turned);
    panel->set_rotation(Rotation::ClockWise90);
    image->set_rotation(Rotation::ClockWise90);
    ASSERT_NO_FATAL_FAILURE(take_screenshot("turned"));
    EXPECT_EQ(all_quarters(), "BRYG BRYG BRYG") << "turned: simple panel, image panel, image";

    // One to one and scrolled to the far corner, the screen shows the turned
    // picture's pixels there; the simple panel is given the first again.
    const auto each_viewer = [&](auto&& check) {
        check(panel, "image panel");
        check(image, "image");
    };
    each_viewer([](auto* viewer, const char*) {
        viewer->set_zoom_mode(ZoomMode::NoZoom);
        for (wxScrollBar* bar : {viewer->ui_scroll_bar_horizontal, viewer->ui_scroll_bar_vertical})
            viewer->do_scroll(bar, -1, bar->GetRange());
    });
    simple->set_source_image(picture);
    ASSERT_NO_FATAL_FAILURE(take_screenshot("scrolled"));
    EXPECT_EQ(all_quarters().substr(0, 4), "RGBY") << "set again, simple panel";
    each_viewer([&](auto* viewer, const char* name) {
        const wxPoint corner(viewer->ui_scroll_bar_horizontal->GetThumbPosition(),
                             viewer->ui_scroll_bar_vertical->GetThumbPosition());
        ASSERT_TRUE(corner.x > 0 && corner.y > 0) << name;
        const wxSize client = viewer->ui_image->GetClientSize();
        for (const wxPoint& at : {wxPoint(2, 2), wxPoint(client.x / 2, client.y / 2), wxPoint(client.x - 3, 2),
                                  wxPoint(2, client.y - 3), wxPoint(client.x - 3, client.y - 3)})
            EXPECT_EQ(seen(viewer->ui_image, at), turned.at<cv::Vec3b>(corner.y + at.y, corner.x + at.x))
                << "scrolled, " << name << ", at " << at.x << ", " << at.y;
    });

    // The pointer's lines follow it: shown where it is, gone where it was.
    panel->ui_checkbox_follow_lines->SetValue(true);
    for (const wxPoint& at : {wxPoint(100, 120), wxPoint(300, 260)}) {
        wxMouseEvent event(wxEVT_MOTION);
        event.SetPosition(at);
        event.SetEventObject(panel->ui_image);
        event.SetId(panel->ui_image->GetId());
        panel->ui_image->ProcessWindowEvent(event);
        ASSERT_TRUE(frames_pass());
    }
    ASSERT_NO_FATAL_FAILURE(take_screenshot("pointer"));
    int on_new = 0, on_old = 0;
    for (int y = 0; y < 400; ++y) {
        on_new += seen(panel->ui_image, {300, y}) == cv::Vec3b(128, 128, 128);
        on_old += seen(panel->ui_image, {100, y}) == cv::Vec3b(128, 128, 128);
    }
    EXPECT_GT(on_new, 100) << "the line where the pointer is";
    EXPECT_EQ(on_old, 0) << "the line where it was";

    // A 16-bit source with the host's levels, and a rectangle drawn over it
    // (its redraw comes at the next turn of the event loop), reach it too.
    panel->ui_checkbox_follow_lines->SetValue(false);
    panel->set_rotation(Rotation::NoRotation);
    panel->set_source_image(cv::Mat(300, 400, CV_16UC1, cv::Scalar(3000)));
    panel->set_levels(std::make_pair(1000.0, 5000.0));
    panel->add_rect(10, 10, 50, 40, wxColour(255, 0, 255), 3);
    ASSERT_TRUE(frames_pass());
    ASSERT_NO_FATAL_FAILURE(take_screenshot("overlay"));
    const wxPoint image_at = panel->image_rect().GetTopLeft();
    const cv::Vec3b grey = seen(panel->ui_image, image_at + wxPoint(150, 120));
    EXPECT_NEAR(grey[0], 128, 1) << "3000 between levels 1000 and 5000";
    EXPECT_TRUE(grey[0] == grey[1] && grey[1] == grey[2]);
    EXPECT_EQ(seen(panel->ui_image, image_at + wxPoint(11, 30)), cv::Vec3b(255, 0, 255)) << "the rectangle's edge";
}

} // namespace
} // namespace tesk_vumo::testing
