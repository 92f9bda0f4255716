#include "tesk_vumo/core/viewer_core.h"

#include "free_view.h"
#include "viewport.h"

#include "../common/overlay_areas.h"
#include "../files/background_load.h"
#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/common/view_geometry.h"
#include "tesk_vumo/forms/event_guard.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <wx/utils.h>
#include <wx/weakref.h>

namespace tesk_vumo {

ViewerCore::ViewerCore(wxWindow& viewer, const ViewerParts& parts, SourceMessages wording)
    : viewer_(viewer), parts_(parts),
      viewport_(std::make_unique<Viewport>(*parts.surface, parts.horizontal, parts.vertical)), wording_(wording),
      free_(std::make_unique<FreeView>()), load_(std::make_unique<BackgroundLoad>(parts.surface))
{
    wxWindow* surface = parts_.surface;
    // Every pixel comes from the buffer: no background erasing.
    surface->SetBackgroundStyle(wxBG_STYLE_PAINT);
    surface->Bind(wxEVT_PAINT, guarded(&viewer_, this, &ViewerCore::on_paint, "on_paint"));
    surface->Bind(wxEVT_SIZE, guarded(&viewer_, this, &ViewerCore::on_size, "on_size"));
    for (wxScrollBar* bar : {parts_.vertical, parts_.horizontal}) {
        if (!bar)
            continue;
        for (wxEventType type : {wxEVT_SCROLL_TOP, wxEVT_SCROLL_BOTTOM, wxEVT_SCROLL_LINEUP,
                                 wxEVT_SCROLL_LINEDOWN, wxEVT_SCROLL_PAGEUP, wxEVT_SCROLL_PAGEDOWN,
                                 wxEVT_SCROLL_THUMBTRACK, wxEVT_SCROLL_THUMBRELEASE, wxEVT_SCROLL_CHANGED})
            bar->Bind(wxEventTypeTag<wxScrollEvent>(type),
                      guarded(&viewer_, this, &ViewerCore::on_scroll, "on_scroll"));
    }
    if (parts_.interactive) {
        surface->Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& event) { run_guarded([&] { on_key_down(event); }); });
        surface->Bind(wxEVT_KEY_UP, [this](wxKeyEvent& event) { run_guarded([&] { on_key_up(event); }); });
        for (wxEventType type : {wxEVT_MIDDLE_DOWN, wxEVT_MIDDLE_UP, wxEVT_LEFT_UP})
            surface->Bind(wxEventTypeTag<wxMouseEvent>(type), [this, type](wxMouseEvent& event) {
                event.Skip();
                run_guarded([&] {
                    if (type == wxEVT_MIDDLE_DOWN)
                        on_pan_start(event);
                    else
                        on_pan_end(event);
                });
            });
        surface->Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { pan_.reset(); });
    }
    init_buffer();
}

ViewerCore::~ViewerCore()
{
    // A viewer destroyed in the middle of a drag of the view must not leave
    // the pointer captured by a window that is going.
    if (parts_.surface->HasCapture())
        parts_.surface->ReleaseMouse();
}

const wxBitmap& ViewerCore::buffer() const
{
    require_gui_thread(__func__);
    return viewport_->buffer();
}

void ViewerCore::set_source_image(const cv::Mat& image)
{
    require_gui_thread(__func__);
    const cv::Mat accepted = accept_source_array(image, wording_);
    cancel_load();
    store_source(accepted, accepted.data != image.data);
}

void ViewerCore::set_source_image(const std::filesystem::path& path)
{
    require_gui_thread(__func__);
    set_source_image(path, path.string());
}

void ViewerCore::set_source_image(const std::filesystem::path& path, const std::string& path_text)
{
    require_gui_thread(__func__);
    cv::Mat image;
    {
        wxBusyCursor busy;
        run_image_work([&] { image = read_source_file(path, path_text, wording_); });
    }
    cancel_load();
    store_source(image, true);
}

void ViewerCore::set_source_image(std::nullopt_t)
{
    require_gui_thread(__func__);
    cancel_load();
    source_image_ = cv::Mat();
    source_owned_ = false;
    // The displayed image stays on show; nothing else needs to. A caller's
    // array drawn in place is the caller's to free now: a copy stays instead.
    if (shows_callers_array_) {
        image_being_shown_ = image_being_shown_.clone();
        shows_callers_array_ = false;
    }
    spare_.release();
    work_.release();
    init_buffer();
}

void ViewerCore::store_source(const cv::Mat& image, bool owned)
{
    const bool was_owned = std::exchange(source_owned_, owned);
    try {
        store(image);
    } catch (...) {
        source_owned_ = was_owned;
        throw;
    }
}

void ViewerCore::store(const cv::Mat& image)
{
    const bool keep_scroll_pos = keeps_scroll_position(source_image_, image);
    cv::Mat previous = source_image_;
    if (image.size() != previous.size())
        spare_.release();
    source_image_ = image;
    // The fitting's events may reach a handler that destroys the viewer.
    wxWeakRef<wxWindow> alive(&viewer_);
    try {
        fitting(keep_scroll_pos);
    } catch (...) {
        // A failed fitting (an enlargement beyond the limit) must
        // not leave the new image stored behind a picture of the old one.
        source_image_ = previous;
        throw;
    }
    if (alive)
        clear_pointer_readouts();
}

void ViewerCore::set_zoom_mode(ZoomMode mode)
{
    require_gui_thread(__func__);
    show_zoom_mode(mode);
    do_set_zoom_mode(mode);
}

void ViewerCore::do_set_zoom_mode(ZoomMode mode)
{
    const ZoomMode previous = zoom_mode_;
    const double previous_rate = zoom_rate_;
    bool keep_scroll_pos = false;
    if (mode == ZoomMode::ZoomAny && previous != ZoomMode::ZoomAny) {
        // The picture stays as it is: same scale, same scroll position.
        zoom_rate_ = zoom_rate();
        keep_scroll_pos = true;
    }
    zoom_mode_ = mode;
    try {
        fitting(keep_scroll_pos);
    } catch (const ValueError&) {
        // A mode refused for this image and surface is taken back, so that
        // the mode, the picture and the viewer's own control agree.
        zoom_mode_ = previous;
        zoom_rate_ = previous_rate;
        show_zoom_mode(previous);
        throw;
    }
}

Rotation ViewerCore::shown_rotation() const
{
    if (rotation_ != Rotation::DegreeAny)
        return rotation_;
    double degrees = std::fmod(rotation_degree_, 360.0);
    if (degrees < 0)
        degrees += 360.0;
    // Quarter turns are made whole as the enumerated ones are, pixel for pixel.
    if (degrees == 0.0 || degrees == 360.0)
        return Rotation::NoRotation;
    if (degrees == 90.0)
        return Rotation::ClockWise90;
    if (degrees == 180.0)
        return Rotation::Double90;
    if (degrees == 270.0)
        return Rotation::CounterClockWise90;
    return Rotation::DegreeAny;
}

bool ViewerCore::free_view() const
{
    require_gui_thread(__func__);
    return zoom_mode_ == ZoomMode::ZoomAny || shown_rotation() == Rotation::DegreeAny;
}

double ViewerCore::zoom_rate() const
{
    require_gui_thread(__func__);
    if (view_)
        return view_->scale();
    if (image_being_shown_.empty() || source_image_.empty() || zoom_mode_ == ZoomMode::ZoomAny)
        return zoom_rate_;
    const cv::Size turned = geometry::rotated_size(source_image_.size(), shown_rotation());
    try {
        return geometry::fitted_zoom_rate(zoom_mode_, turned, {fitted_.surface.x, fitted_.surface.y});
    } catch (const ValueError&) {
        return zoom_rate_;
    }
}

void ViewerCore::set_zoom_rate(double rate)
{
    require_gui_thread(__func__);
    const wxSize client = viewport_->client_size();
    zoom_about({client.x / 2.0, client.y / 2.0}, rate);
}

void ViewerCore::zoom_about(cv::Point2d at, double rate)
{
    rate = geometry::checked_zoom_rate(rate);
    const ZoomMode previous = zoom_mode_;
    const double previous_rate = zoom_rate_;
    if (!source_image_.empty() && (view_ || !image_being_shown_.empty())) {
        const wxSize client = viewport_->client_size();
        geometry::ViewTransform now =
            view_ ? scrolled_view()
                  : geometry::ViewTransform(source_image_.size(), zoom_rate(),
                                            geometry::rotation_degrees(rotation_, rotation_degree_),
                                            {std::max(client.x, 0), std::max(client.y, 0)},
                                            cv::Point2d(viewport_->offset()));
        // Unscrolled since the last step: zoom from where that step was exactly.
        if (view_ && std::round(exact_offset_.x) == now.offset().x && std::round(exact_offset_.y) == now.offset().y)
            now = now.scrolled_to(exact_offset_);
        next_offset_ = now.zoomed_about(at, rate).offset();
    }
    show_zoom_mode(ZoomMode::ZoomAny);
    zoom_mode_ = ZoomMode::ZoomAny;
    zoom_rate_ = rate;
    try {
        fitting(true);
    } catch (...) {
        next_offset_.reset();
        zoom_mode_ = previous;
        zoom_rate_ = previous_rate;
        show_zoom_mode(previous);
        throw;
    }
}

void ViewerCore::set_rotation_degree(double degree)
{
    require_gui_thread(__func__);
    // The transform's own check, so that the message is the same wherever an angle is refused.
    (void)geometry::ViewTransform({1, 1}, 1.0, degree, {0, 0});
    const Rotation previous = rotation_;
    const double previous_degree = rotation_degree_;
    if (view_ && zoom_mode_ == ZoomMode::ZoomAny && !source_image_.empty()) {
        const wxSize client = viewport_->client_size();
        next_offset_ = scrolled_view().turned_about({client.x / 2.0, client.y / 2.0}, degree).offset();
    }
    show_rotation(Rotation::DegreeAny);
    rotation_ = Rotation::DegreeAny;
    rotation_degree_ = degree;
    try {
        fitting(next_offset_.has_value());
    } catch (...) {
        next_offset_.reset();
        rotation_ = previous;
        rotation_degree_ = previous_degree;
        show_rotation(previous);
        throw;
    }
}

void ViewerCore::set_rotation(Rotation rotation)
{
    require_gui_thread(__func__);
    const Rotation previous = rotation_;
    show_rotation(rotation);
    rotation_ = rotation;
    try {
        fitting();
    } catch (const ValueError&) {
        // One the picture could not follow is taken back (see above).
        rotation_ = previous;
        show_rotation(previous);
        throw;
    }
}

void ViewerCore::set_pointer_navigation(bool on)
{
    require_gui_thread(__func__);
    pointer_navigation_ = on;
    if (!on && pan_) {
        pan_.reset();
        if (parts_.surface->HasCapture())
            parts_.surface->ReleaseMouse();
    }
}

void ViewerCore::enable_selecting(bool enable)
{
    require_gui_thread(__func__);
    selecting_enabled_ = enable;
    if (!enable) {
        selection_rect_ = wxRect(0, 0, 0, 0);
        draw_image();
        send_selection();
    }
}

} // namespace tesk_vumo
