#include "background_load.h"

#include "tesk_vumo/common/image_source.h"
#include "tesk_vumo/i18n/i18n.h"

#include <exception>
#include <mutex>
#include <thread>
#include <utility>

#include <wx/gauge.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

namespace tesk_vumo {


/// What the worker shares with the GUI side: where to hand its result, and
/// which load is the current one. The lock keeps the owner from going while
/// a worker queues a result on it.
struct BackgroundLoad::Channel
{
    std::mutex mutex;
    BackgroundLoad* owner;
    std::uint64_t generation = 0;
};

BackgroundLoad::BackgroundLoad(wxWindow* surface)
    : surface_(surface), channel_(std::make_shared<Channel>()), timer_(this)
{
    channel_->owner = this;
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { pulse(); });
}

BackgroundLoad::~BackgroundLoad()
{
    std::lock_guard<std::mutex> lock(channel_->mutex);
    channel_->owner = nullptr;
}

void BackgroundLoad::start(const std::filesystem::path& path, bool native_depth, Finish finish)
{
    std::uint64_t generation;
    {
        std::lock_guard<std::mutex> lock(channel_->mutex);
        generation = ++channel_->generation;
    }
    // The result comes through the event queue, after this call has returned.
    std::thread([channel = channel_, generation, path, native_depth] {
        cv::Mat image;
        std::string failure;
        try {
            image = decode_image_file(path, &failure, native_depth);
        } catch (const std::exception& error) {
            // Out of memory for the pixels, at worst.
            image = cv::Mat();
            failure = error.what();
        }
        std::lock_guard<std::mutex> lock(channel->mutex);
        if (channel->owner && channel->generation == generation)
            channel->owner->CallAfter([owner = channel->owner, generation, image, failure] {
                owner->deliver(generation, image, failure);
            });
    }).detach();
    generation_ = generation;
    finish_ = std::move(finish);
    show_busy(true);
}

bool BackgroundLoad::cancel()
{
    if (!running())
        return false;
    {
        std::lock_guard<std::mutex> lock(channel_->mutex);
        ++channel_->generation;
    }
    finish_ = nullptr;
    show_busy(false);
    return true;
}

void BackgroundLoad::deliver(std::uint64_t generation, const cv::Mat& image, const std::string& failure)
{
    // A result queued just before its load was cancelled.
    if (generation != generation_ || !finish_)
        return;
    const Finish finish = std::exchange(finish_, nullptr);
    show_busy(false);
    finish(image, failure);
}

void BackgroundLoad::show_busy(bool busy)
{
    if (!busy) {
        timer_.Stop();
        if (indicator_) {
            indicator_->Destroy();
            indicator_ = nullptr;
            gauge_ = nullptr;
            surface_->SetCursor(cursor_before_);
        }
        return;
    }
    if (indicator_)
        return;
    cursor_before_ = surface_->GetCursor();
    surface_->SetCursor(wxCursor(wxCURSOR_ARROWWAIT));
    indicator_ = new wxPanel(surface_);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(new wxStaticText(indicator_, wxID_ANY, i18n::tr("正在加载图片…")), 0, wxALIGN_CENTER | wxALL, 6);
    gauge_ = new wxGauge(indicator_, wxID_ANY, 100, wxDefaultPosition, wxSize(160, -1));
    sizer->Add(gauge_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 6);
    indicator_->SetSizerAndFit(sizer);
    pulse();
    indicator_->Show();
    timer_.Start(100);
}

void BackgroundLoad::pulse()
{
    if (!indicator_)
        return;
    gauge_->Pulse();
    // The surface may have been resized meanwhile.
    const wxSize room = surface_->GetClientSize();
    const wxSize size = indicator_->GetSize();
    indicator_->Move((room.x - size.x) / 2, (room.y - size.y) / 2);
}

} // namespace tesk_vumo
