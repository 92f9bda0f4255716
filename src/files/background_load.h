#ifndef TESK_VUMO_SRC_FILES_BACKGROUND_LOAD_H
#define TESK_VUMO_SRC_FILES_BACKGROUND_LOAD_H

// Decoding an image file on a worker thread for one viewer, with the busy
// state shown on the viewer's drawing surface meanwhile.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <opencv2/core.hpp>
#include <wx/cursor.h>
#include <wx/event.h>
#include <wx/timer.h>

class wxGauge;
class wxWindow;

namespace tesk_vumo {

/// One load at a time: a new one, or cancel(), drops the result of the one
/// running. The worker only decodes; the result is handed over on the GUI
/// thread, through this handler's queue, and never after it is destroyed
/// (the viewer that owns it may go while a decode still runs).
class BackgroundLoad : public wxEvtHandler
{
public:
    /// The decoded image, or an empty one and the cause for a person.
    using Finish = std::function<void(const cv::Mat& image, const std::string& failure)>;

    /// @p surface shows the busy cursor and the progress indicator.
    explicit BackgroundLoad(wxWindow* surface);
    ~BackgroundLoad() override;

    /// Starts decoding @p path (with the pixel limit in force, at the
    /// file's own depth with @p native_depth) and shows the
    /// busy state; @p finish runs on the GUI thread when the decode ends,
    /// unless another start() or cancel() came first.
    void start(const std::filesystem::path& path, bool native_depth, Finish finish);
    /// Drops the running load, if any; true when there was one.
    bool cancel();
    bool running() const { return static_cast<bool>(finish_); }

private:
    struct Channel;
    void deliver(std::uint64_t generation, const cv::Mat& image, const std::string& failure);
    void show_busy(bool busy);
    void pulse();

    wxWindow* surface_;
    std::shared_ptr<Channel> channel_;
    std::uint64_t generation_ = 0;
    Finish finish_;
    wxWindow* indicator_ = nullptr;
    wxGauge* gauge_ = nullptr;
    wxTimer timer_;
    wxCursor cursor_before_;
};

} // namespace tesk_vumo

#endif
