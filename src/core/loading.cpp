#include "tesk_vumo/core/viewer_core.h"

#include "../files/background_load.h"
#include "../files/view_files.h"
#include "tesk_vumo/forms/event_guard.h"

#include <wx/weakref.h>

namespace tesk_vumo {

void ViewerCore::load_source_image(const std::filesystem::path& path)
{
    load_source_image(path, path.string());
}

void ViewerCore::load_source_image(const std::filesystem::path& path, const std::string& path_text)
{
    require_gui_thread(__func__);
    start_load(path, path_text, false);
}

bool ViewerCore::loading() const
{
    require_gui_thread(__func__);
    return load_->running();
}

void ViewerCore::load_for_user(const std::filesystem::path& path)
{
    start_load(path, path.string(), true);
}

void ViewerCore::start_load(const std::filesystem::path& path, const std::string& path_text, bool report)
{
    cancel_load();
    load_->start(path, native_depth_, [this, path_text, report](const cv::Mat& image, const std::string& failure) {
        run_guarded([&] { finish_load(path_text, image, failure, report); });
    });
    loading_path_ = path_text;
}

void ViewerCore::cancel_load()
{
    if (!load_->cancel())
        return;
    // Like every end of a load, told from the event loop (a handler must
    // not run inside the call that cancelled it), and through the queue the
    // loads' results take, so that it comes before the next load's end.
    load_->CallAfter([this, path_text = loading_path_] {
        run_guarded([&] {
            ViewerEvent event = make_event(EVT_VIEWER_LOADED);
            event.set_path(path_text);
            event.set_cancelled(true);
            deliver(event);
        });
    });
}

void ViewerCore::finish_load(const std::string& path_text, const cv::Mat& image, std::string failure,
                             bool report)
{
    bool shown = false;
    if (!image.empty()) {
        wxWeakRef<wxWindow> alive(&viewer_);
        try {
            store(image);
            shown = true;
        } catch (const Error& error) {
            // Decoded, but the fitting refused it; the previous image stays.
            failure = error.what();
        }
        if (!alive)
            return;
    }
    ViewerEvent event = make_event(EVT_VIEWER_LOADED);
    event.set_path(path_text);
    event.set_success(shown);
    event.set_failure(failure);
    if (!deliver(event) || shown || !report)
        return;
    view_files::show_load_failure(path_text, failure);
}

} // namespace tesk_vumo
