#include "tesk_vumo/core/viewer_core.h"

#include "../files/background_load.h"
#include "../files/view_files.h"
#include "tesk_vumo/forms/event_guard.h"

#include <cmath>

#include <wx/dnd.h>
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

void ViewerCore::start_load(const std::filesystem::path& path, const std::string& path_text, bool report,
                            std::vector<std::filesystem::path> next)
{
    cancel_load();
    load_->start(path, native_depth_, [this, path_text, report, next = std::move(next)](const cv::Mat& image,
                                                                                         const std::string& failure) {
        run_guarded([&] { finish_load(path_text, image, failure, report, next); });
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
                             bool report, std::vector<std::filesystem::path> next)
{
    if (image.empty() && !next.empty()) {
        const std::filesystem::path path = next.front();
        next.erase(next.begin());
        start_load(path, path.string(), report, std::move(next));
        return;
    }
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

namespace {
/// Hands files dropped on a viewer's surface to its on_drop_files (or a
/// host's override of it).
class DropTarget : public wxFileDropTarget
{
public:
    DropTarget(wxWindow& viewer, ViewerCore& core, wxWindow& surface) : viewer_(viewer), core_(core), surface_(surface)
    {
    }

    bool OnDropFiles(wxCoord x, wxCoord y, const wxArrayString& names) override
    {
        std::vector<std::string> paths;
        for (const wxString& name : names)
            paths.emplace_back(name.utf8_string());
        bool taken = false;
        // In device pixels, as every control point of the viewer.
        const double scale = surface_.GetContentScaleFactor();
        const int at_x = static_cast<int>(std::floor(x * scale)), at_y = static_cast<int>(std::floor(y * scale));
        run_guarded([&] {
            HandlerDispatcher* dispatcher = handler_dispatcher();
            const std::optional<bool> overridden
                = dispatcher ? dispatcher->drop_files(&viewer_, at_x, at_y, paths) : std::nullopt;
            taken = overridden ? *overridden : core_.on_drop_files(at_x, at_y, paths);
        });
        return taken;
    }

private:
    wxWindow& viewer_;
    ViewerCore& core_;
    wxWindow& surface_;
};
} // namespace

void ViewerCore::accept_dropped_files()
{
    parts_.surface->SetDropTarget(new DropTarget(viewer_, *this, *parts_.surface));
}

bool ViewerCore::on_drop_files(int x, int y, const std::vector<std::string>& paths)
{
    require_gui_thread(__func__);
    if (paths.empty())
        return false;
    ViewerEvent event = make_event(EVT_VIEWER_DROP);
    event.set_position(wxPoint(x, y));
    event.set_paths(paths);
    if (!deliver(event) || !event.allowed())
        return false;
    std::vector<std::filesystem::path> next;
    for (std::size_t i = 1; i < paths.size(); ++i)
        next.emplace_back(std::filesystem::u8path(paths[i]));
    const std::filesystem::path first = std::filesystem::u8path(paths.front());
    start_load(first, first.string(), true, std::move(next));
    return true;
}

} // namespace tesk_vumo
