#include "stage.h"

#include <chrono>
#include <thread>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <wx/app.h>
#include <wx/sizer.h>

namespace tesk_vumo::bench {

Stage::Stage(std::filesystem::path data_dir) : data_dir_(std::move(data_dir))
{
    std::filesystem::create_directories(data_dir_);
    frame_ = new wxFrame(nullptr, wxID_ANY, "tesk_vumo benchmarks", wxPoint(0, 0));
    panel_ = new ImagePanel(frame_);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(panel_, 1, wxEXPAND);
    frame_->SetSizer(sizer);
    frame_->Show();
    pump();
}

Stage::~Stage()
{
    frame_->Destroy();
    pump();
}

void Stage::pump()
{
    for (int i = 0; i < 5; ++i) {
        wxTheApp->ProcessPendingEvents();
        wxYield();
    }
}

bool Stage::show(const Viewport& viewport)
{
    const wxSize want(viewport.width, viewport.height);
    wxWindow* surface = panel_->ui_image;
    // The assist bar wraps with the width, so the surface's share of the
    // frame changes as the frame does: adjust until it settles.
    for (int attempt = 0; attempt < 8 && (surface->GetSize() != want || surface->GetClientSize() != want);
         ++attempt) {
        const wxSize target = frame_->GetClientSize() + want - surface->GetSize();
        frame_->SetClientSize(target);
        for (int wait = 0; wait < 200 && frame_->GetClientSize() != target; ++wait) {
            pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        frame_->Layout();
        pump();
    }
    return surface->GetSize() == want && surface->GetClientSize() == want && panel_->buffer().GetSize() == want;
}

const cv::Mat& Stage::image(const ImageSize& size)
{
    cv::Mat& image = images_[size.megapixels];
    if (image.empty())
        image = synthetic_photo(size.width, size.height);
    return image;
}

const cv::Mat& Stage::gray(const ImageSize& size)
{
    cv::Mat& gray = grays_[size.megapixels];
    if (gray.empty())
        cv::cvtColor(image(size), gray, cv::COLOR_RGB2GRAY);
    return gray;
}

void Stage::forget(const ImageSize& size)
{
    images_.erase(size.megapixels);
    grays_.erase(size.megapixels);
}

std::filesystem::path Stage::file(const ImageSize& size, const std::string& extension)
{
    const auto path = data_dir_ / ("photo_" + std::to_string(size.width) + "x" + std::to_string(size.height) + "."
                                   + extension);
    if (!std::filesystem::exists(path)) {
        cv::Mat bgr;
        cv::cvtColor(image(size), bgr, cv::COLOR_RGB2BGR);
        cv::imwrite(path.string(), bgr);
    }
    return path;
}

void Stage::load(const ImageSize& size, ZoomMode mode, Rotation rotation)
{
    const cv::Mat& wanted = image(size);
    // The panel shares a 3-channel source with its caller.
    if (panel_->source_image().data == wanted.data && panel_->zoom_mode() == mode
        && panel_->rotation() == rotation)
        return;
    panel_->set_rotation(rotation);
    panel_->set_zoom_mode(mode);
    panel_->set_source_image(wanted);
    pump();
}

void Stage::scroll_to_middle()
{
    for (wxScrollBar* bar : {panel_->ui_scroll_bar_horizontal, panel_->ui_scroll_bar_vertical})
        bar->SetThumbPosition((bar->GetRange() - bar->GetThumbSize()) / 2);
}

} // namespace tesk_vumo::bench
