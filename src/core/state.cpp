#include "tesk_vumo/core/viewer_core.h"

#include "drawing.h"
#include "viewport.h"

#include "../common/display_mapping.h"
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
      drawing_(std::make_unique<Drawing>()), load_(std::make_unique<BackgroundLoad>(parts.surface))
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
        for (wxEventType type : {wxEVT_SET_FOCUS, wxEVT_KILL_FOCUS})
            surface->Bind(wxEventTypeTag<wxFocusEvent>(type),
                          [this](wxFocusEvent& event) { run_guarded([&] { on_focus(event); }); });
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
        accept_dropped_files();
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
    store(accepted);
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
        run_image_work([&] { image = read_source_file(path, path_text, wording_, native_depth_); });
    }
    cancel_load();
    store(image);
}

void ViewerCore::set_source_image(std::nullopt_t)
{
    require_gui_thread(__func__);
    cancel_load();
    // The displayed image stays on show: made now, where it can be, so that
    // the source (a caller's array too) is let go. One too large to be made
    // is drawn from the source as before, which is kept for it.
    bool keep_source = false;
    if (view_ && drawing_->shown.empty()) {
        try {
            (void)image_being_shown();
        } catch (const ValueError&) {
            keep_source = true;
        }
    }
    source_image_ = cv::Mat();
    auto_levels_.reset();
    if (!keep_source) {
        drawing_->pyramid.reset(cv::Mat());
        drawing_->renderer.forget();
    }
    init_buffer();
    show_levels();
}

void ViewerCore::store(const cv::Mat& image)
{
    const bool keep_scroll_pos = keeps_scroll_position(source_image_, image);
    // The fitting's events may reach a handler that destroys the viewer.
    wxWeakRef<wxWindow> alive(&viewer_);
    const auto levels_before = auto_levels_;
    try {
        change_view(
            [&] {
                source_image_ = image;
                auto_levels_.reset();
                drawing_->renderer.set_look(look());
            },
            keep_scroll_pos);
    } catch (...) {
        auto_levels_ = levels_before;
        drawing_->renderer.set_look(look());
        throw;
    }
    if (alive)
        show_levels();
    // A pointer over the surface has had its read-outs written for the new image.
    if (alive && (!mouse_position_ || pointer_away_))
        clear_pointer_readouts();
}

void ViewerCore::change_view(const std::function<void()>& change, bool keep_scroll_pos)
{
    const cv::Mat source = source_image_;
    const ZoomMode zoom = zoom_mode_;
    const double rate = zoom_rate_;
    const Rotation rotation = rotation_;
    const double degree = rotation_degree_;
    change();
    // The viewer's own controls show the mode and rotation in force, whoever set them.
    if (zoom_mode_ != zoom)
        show_zoom_mode(zoom_mode_);
    if (rotation_ != rotation)
        show_rotation(rotation_);
    try {
        fitting(keep_scroll_pos);
    } catch (...) {
        // A change the picture cannot follow (a fit mode without a scale
        // for this image and surface) is taken back whole, so that the
        // settings, the picture and the controls agree.
        next_offset_.reset();
        source_image_ = source;
        zoom_mode_ = zoom;
        zoom_rate_ = rate;
        if (rotation_ != rotation)
            show_rotation(rotation);
        rotation_ = rotation;
        rotation_degree_ = degree;
        show_zoom_mode(zoom);
        throw;
    }
}

void ViewerCore::set_zoom_mode(ZoomMode mode)
{
    require_gui_thread(__func__);
    do_set_zoom_mode(mode);
}

void ViewerCore::do_set_zoom_mode(ZoomMode mode)
{
    // Choosing ZoomAny keeps the picture as it is: same scale, same scroll position.
    const bool to_free = mode == ZoomMode::ZoomAny && zoom_mode_ != ZoomMode::ZoomAny;
    change_view(
        [&] {
            if (to_free)
                zoom_rate_ = zoom_rate();
            zoom_mode_ = mode;
        },
        to_free);
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
    return view_ ? view_->scale() : zoom_rate_;
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
    if (!source_image_.empty() && view_) {
        geometry::ViewTransform now = scrolled_view();
        // Unscrolled since the last step: zoom from where that step was exactly.
        if (std::round(exact_offset_.x) == now.offset().x && std::round(exact_offset_.y) == now.offset().y)
            now = now.scrolled_to(exact_offset_);
        next_offset_ = now.zoomed_about(at, rate).offset();
    }
    change_view(
        [&] {
            zoom_mode_ = ZoomMode::ZoomAny;
            zoom_rate_ = rate;
        },
        true);
}

void ViewerCore::set_rotation_degree(double degree)
{
    require_gui_thread(__func__);
    // The transform's own check, so that the message is the same wherever an angle is refused.
    (void)geometry::ViewTransform({1, 1}, 1.0, degree, {0, 0});
    if (view_ && zoom_mode_ == ZoomMode::ZoomAny && !source_image_.empty()) {
        const wxSize client = viewport_->client_size();
        next_offset_ = scrolled_view().turned_about({client.x / 2.0, client.y / 2.0}, degree).offset();
    }
    change_view(
        [&] {
            rotation_ = Rotation::DegreeAny;
            rotation_degree_ = degree;
        },
        next_offset_.has_value());
}

void ViewerCore::set_rotation(Rotation rotation)
{
    require_gui_thread(__func__);
    change_view([&] { rotation_ = rotation; }, false);
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

void ViewerCore::set_keep_selection(bool on)
{
    require_gui_thread(__func__);
    keep_selection_ = on;
    if (on)
        remember_selection();
}

void ViewerCore::enable_selecting(bool enable)
{
    require_gui_thread(__func__);
    selecting_enabled_ = enable;
    if (!enable) {
        selection_rect_ = wxRect(0, 0, 0, 0);
        kept_selection_.reset();
        draw_image();
        send_selection();
    }
}

} // namespace tesk_vumo
