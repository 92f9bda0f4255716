#include "test_support.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/sizer.h>
#include <wx/utils.h>

namespace tesk_vumo::testing {

bool wait_until(const std::function<bool()>& condition, int timeout_ms)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        wxYield();
        wxTheApp->ProcessPendingEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void pump()
{
    for (int i = 0; i < 5; ++i) {
        wxTheApp->ProcessPendingEvents();
        wxYield();
    }
}

void FrameTest::SetUp()
{
    frame = new wxFrame(nullptr, wxID_ANY, "test", wxPoint(0, 0), wxDefaultSize);
    frame->SetClientSize(client_size);
    frame->Show();
    pump();
}

void FrameTest::add_to_frame(wxWindow* child)
{
    if (!frame->GetSizer())
        frame->SetSizer(new wxBoxSizer(wxVERTICAL));
    frame->GetSizer()->Add(child, 1, wxEXPAND);
    frame->Layout();
    pump();
}

void FrameTest::TearDown()
{
    if (frame)
        frame->Destroy();
    frame = nullptr;
    pump();
}

wxColour pixel(const wxImage& image, int x, int y)
{
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

wxColour pixel(const wxBitmap& bitmap, int x, int y)
{
    return pixel(bitmap.ConvertToImage(), x, y);
}

wxImage on_screen(wxWindow* window, wxSize size)
{
    if (size == wxDefaultSize)
        size = window->GetClientSize();
    wxBitmap copy(size);
    {
        wxMemoryDC memory(copy);
        wxClientDC shown(window);
        memory.Blit(0, 0, size.x, size.y, &shown, 0, 0);
    }
    return copy.ConvertToImage();
}

bool near(const wxColour& a, const wxColour& b, int tolerance)
{
    return std::abs(a.Red() - b.Red()) <= tolerance && std::abs(a.Green() - b.Green()) <= tolerance
           && std::abs(a.Blue() - b.Blue()) <= tolerance;
}

cv::Mat solid(int width, int height, cv::Vec3b rgb)
{
    return cv::Mat(height, width, CV_8UC3, cv::Scalar(rgb[0], rgb[1], rgb[2]));
}

cv::Mat gradient(int width, int height)
{
    cv::Mat image(height, width, CV_8UC3);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
            image.at<cv::Vec3b>(r, c) = cv::Vec3b(c % 256, r % 256, (r + c) % 256);
    return image;
}

std::filesystem::path temp_dir()
{
    static std::filesystem::path root = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "tesk_vumo_test_XXXXXX").string();
        const char* made = mkdtemp(pattern.data());
        std::filesystem::path dir = made ? made : pattern;
        static const std::filesystem::path keep = dir;
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(keep, ec);
        });
        return dir;
    }();
    static int counter = 0;
    auto dir = root / std::to_string(++counter);
    std::filesystem::create_directories(dir);
    return dir;
}

void write_rgb(const std::filesystem::path& path, const cv::Mat& rgb)
{
    cv::Mat bgr;
    cv::cvtColor(rgb, bgr, cv::COLOR_RGB2BGR);
    std::vector<uchar> bytes;
    cv::imencode(path.extension().string(), bgr, bytes);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

cv::Mat read_rgb(const std::filesystem::path& path)
{
    const std::string data = file_bytes(path);
    std::vector<uchar> bytes(data.begin(), data.end());
    cv::Mat image = cv::imdecode(bytes, cv::IMREAD_UNCHANGED);
    if (!image.empty() && image.channels() == 3)
        cv::cvtColor(image, image, cv::COLOR_BGR2RGB);
    return image;
}

std::string file_bytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace tesk_vumo::testing
