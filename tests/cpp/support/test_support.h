#ifndef TESK_VUMO_TESTS_TEST_SUPPORT_H
#define TESK_VUMO_TESTS_TEST_SUPPORT_H

#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>
#include <opencv2/core.hpp>
#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/frame.h>
#include <wx/image.h>

namespace tesk_vumo::testing {

/// Pumps the toolkit until @p condition holds or @p timeout_ms passes;
/// returns whether it held.
bool wait_until(const std::function<bool()>& condition, int timeout_ms = 3000);

/// Runs pending events and idle handling a few times (after Destroy, Show).
void pump();

/// Pumps the toolkit until @p viewer's load (a load command's, say) has
/// ended; returns whether it did.
template <class Viewer>
bool load_ended(const Viewer* viewer)
{
    return wait_until([viewer] { return !viewer->loading(); }, 10000);
}

/// A shown top-level frame for one test, of client size @p client_size,
/// destroyed (and pumped) in TearDown.
class FrameTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    /// Stretches @p child over the frame (through a vertical sizer, made on
    /// first use), lays the frame out and pumps.
    template <class Window>
    Window* fill_frame(Window* child)
    {
        add_to_frame(child);
        return child;
    }
    wxFrame* frame = nullptr;
    wxSize client_size{800, 600};

private:
    void add_to_frame(wxWindow* child);
};

/// Pixel of @p bitmap at (x, y).
wxColour pixel(const wxBitmap& bitmap, int x, int y);
wxColour pixel(const wxImage& image, int x, int y);

/// What @p window shows on the screen now, @p size from its top-left
/// corner (its client size by default).
wxImage on_screen(wxWindow* window, wxSize size = wxDefaultSize);

/// True when @p a and @p b differ by at most @p tolerance in every channel.
bool near(const wxColour& a, const wxColour& b, int tolerance = 0);

/// A w x h RGB image filled with @p rgb.
cv::Mat solid(int width, int height, cv::Vec3b rgb);

/// A w x h RGB image whose pixel (r, c) is (c % 256, r % 256, (r + c) % 256).
cv::Mat gradient(int width, int height);

/// A fresh temporary directory, removed at process exit.
std::filesystem::path temp_dir();

/// Writes @p rgb (R, G, B order) to @p path in the format of its extension.
void write_rgb(const std::filesystem::path& path, const cv::Mat& rgb);

/// Reads @p path back as R, G, B (3 channels) or gray (IMREAD_UNCHANGED for 1 channel).
cv::Mat read_rgb(const std::filesystem::path& path);

/// The file's bytes.
std::string file_bytes(const std::filesystem::path& path);

} // namespace tesk_vumo::testing

#endif
