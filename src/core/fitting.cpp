#include "tesk_vumo/core/viewer_core.h"

#include "free_view.h"
#include "viewport.h"

#include "../common/image_memory.h"
#include "../common/rgb_bitmap.h"
#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/common/view_geometry.h"
#include "tesk_vumo/forms/event_guard.h"

#include <algorithm>
#include <cmath>

#include <opencv2/imgproc.hpp>
#include <wx/utils.h>

namespace tesk_vumo {
namespace {
// From this many pixels on a fitting shows the busy cursor; for smaller
// ones the cursor's round trips to the display would cost more than they tell.
bool takes_long(cv::Size size)
{
    return static_cast<long long>(size.width) * size.height > (1LL << 22);
}
} // namespace

void ViewerCore::init_buffer()
{
    require_gui_thread(__func__);
    wxWindow& surface = *parts_.surface;
    wxBitmap& buffer = viewport_->buffer();
    const wxSize client = surface.GetClientSize();
    if (client.x <= 0 || client.y <= 0)
        return;
    const wxSize device = in_device(client);
    // The picture may not be the one for this size although the buffer is:
    // it was fitted while the surface had no area, or a zoom or rotation
    // change could not be fitted meanwhile.
    if (buffer.IsOk() && !source_image_.empty() && buffer.GetSize() == device
        && fitted_ == Fitted{device, zoom_mode_, rotation_})
        return;
    buffer = device_bitmap(surface);
    ++picture_number_;
    // A new bitmap holds whatever memory it was given (on GTK even pieces of
    // earlier pictures), and without an image nothing draws over it before
    // the next paint shows it.
    fill_bitmap(buffer, surface.GetBackgroundColour());
    // A free zoom keeps what was at the centre there: a resize at 8x must
    // not throw the user back to the image's corner.
    if (view_ && zoom_mode_ == ZoomMode::ZoomAny && !source_image_.empty())
        next_offset_ = scrolled_view().resized({device.x, device.y}).offset();
    try {
        fitting();
    } catch (...) {
        // The previous picture is shown in the buffer of the new size; as it
        // is not fitted for this size, the next size event fits again.
        draw_image();
        throw;
    }
}

bool ViewerCore::small_beside_source(const cv::Mat& image) const
{
    // What a viewer holds besides its source and displayed image stays
    // within a twentieth of the source's size.
    return image.total() * 20 <= source_image_.total();
}

void ViewerCore::fitting(bool keep_scroll_pos)
{
    require_gui_thread(__func__);
    if (source_image_.empty())
        return;
    const int h_scroll_pos = keep_scroll_pos ? viewport_->offset().x : 0;
    const int v_scroll_pos = keep_scroll_pos ? viewport_->offset().y : 0;
    const wxSize surface = viewport_->client_size();
    if ((surface.x <= 0 || surface.y <= 0) && zoom_mode_ != ZoomMode::NoZoom && zoom_mode_ != ZoomMode::ZoomAny) {
        // No scale can be formed on a surface without area (a hidden panel,
        // an assist bar taking all the height). The image stays stored and
        // is fitted when the surface gets an area; until then nothing of an
        // earlier image may stand for it.
        image_being_shown_.release();
        view_.reset();
        next_offset_.reset();
        viewport_->set_up({0, 0, 0, 0}, {0, 0, 0, 0});
        fitted_ = {wxDefaultSize, zoom_mode_, rotation_};
        selection_rect_ = wxRect(-1, -1, 0, 0);
        update_selection_rect_info();
        if (send_view())
            send_selection();
        return;
    }
    if (free_view()) {
        fit_free_view(keep_scroll_pos, surface);
        return;
    }
    const Rotation rotation = shown_rotation();
    const cv::Size rotated_size = geometry::rotated_size(source_image_.size(), rotation);
    const cv::Size shown_size = geometry::fitted_size(zoom_mode_, rotated_size, {surface.x, surface.y});
    std::optional<wxBusyCursor> busy;
    if (takes_long(source_image_.size()) || takes_long(shown_size))
        busy.emplace();

    const bool turned = rotation != Rotation::NoRotation;
    const bool in_place = !turned && shown_size == rotated_size;
    cv::Mat shown;
    if (in_place) {
        // The source shown as it is, a caller's array too, is drawn where it
        // lies: the screen shows what the caller writes into it and draws.
        // The host gets a copy only when it asks for the displayed image.
        shown = source_image_;
    } else {
        // Otherwise the displayed image is the viewer's own. Its memory is
        // written over when it keeps its size and nobody else holds it (a
        // caller's copy or a selection keeps its pixels): new memory costs a
        // page fault on first touch. A caller's array drawn in place is never
        // written over, even when the caller no longer holds it: an array of
        // Python's is not among the Mat's holders. A zoom or rotation change
        // back and forth alternates between two sizes: a small image of the
        // other size is kept for the way back.
        if (image_being_shown_.size() != shown_size && spare_.size() == shown_size && held_alone(spare_))
            shown = spare_;
        else if (!shows_callers_array_ && held_alone(image_being_shown_))
            shown = image_being_shown_;
        make_image(shown, shown_size, CV_8UC3);
        if (!turned) {
            cv::resize(source_image_, shown, shown_size);
        } else if (shown_size == rotated_size) {
            geometry::rotate(source_image_, shown, rotation);
        } else if (shown_size.area() <= rotated_size.area()) {
            // Shrinking and then turning the small result touches a fraction
            // of the pixels that turning the whole source would; both orders
            // agree within 1 in every sample.
            if (rotation == Rotation::Double90) {
                cv::resize(source_image_, shown, shown_size);
                geometry::rotate(shown, shown, rotation);
            } else {
                make_image(work_, geometry::rotated_size(shown_size, rotation), CV_8UC3);
                cv::resize(source_image_, work_, work_.size());
                geometry::rotate(work_, shown, rotation);
            }
        } else {
            make_image(work_, rotated_size, CV_8UC3);
            geometry::rotate(source_image_, work_, rotation);
            cv::resize(work_, shown, shown_size);
        }
    }
    if (!small_beside_source(work_))
        work_.release();

    const auto h = geometry::scroll_bar_setup(h_scroll_pos, surface.x, shown.cols);
    const auto v = geometry::scroll_bar_setup(v_scroll_pos, surface.y, shown.rows);
    viewport_->set_up(h, v, !keep_scroll_pos);
    view_.reset();
    next_offset_.reset();
    free_->shown.release();
    cv::Mat previous = std::exchange(image_being_shown_, std::move(shown));
    const bool previous_callers = std::exchange(shows_callers_array_, in_place && !source_owned_);
    if (previous.data != image_being_shown_.data && !previous_callers && held_alone(previous)
        && small_beside_source(previous))
        spare_ = std::move(previous);
    else if (spare_.data == image_being_shown_.data || !small_beside_source(spare_))
        spare_.release();
    fitted_ = {surface, zoom_mode_, rotation_};
    finish_fitting();
}

void ViewerCore::finish_fitting()
{
    ++fitting_count_;
    // A resize whose fitting failed kept the old buffer, or none, to keep
    // the old picture; the first fitting that succeeds catches up.
    const wxSize client = parts_.surface->GetClientSize();
    wxBitmap& buffer = viewport_->buffer();
    if (client.x > 0 && client.y > 0 && (!buffer.IsOk() || buffer.GetSize() != in_device(client)))
        buffer = device_bitmap(*parts_.surface);

    selection_rect_ = wxRect(-1, -1, 0, 0);
    update_selection_rect_info();
    show_view();
    draw_image();
    if (send_view())
        send_selection();
}

void ViewerCore::fit_free_view(bool keep_scroll_pos, const wxSize& surface)
{
    const double degrees = geometry::rotation_degrees(rotation_, rotation_degree_);
    double scale = zoom_rate_;
    if (zoom_mode_ != ZoomMode::ZoomAny) {
        const geometry::ViewTransform unscaled(source_image_.size(), 1.0, degrees, {0, 0});
        scale = geometry::fitted_zoom_rate(zoom_mode_, unscaled.displayed_size(), {surface.x, surface.y});
    }
    cv::Point2d offset(0.0, 0.0);
    if (next_offset_)
        offset = *next_offset_;
    else if (keep_scroll_pos)
        offset = viewport_->offset();
    const wxSize client = viewport_->client_size();
    const geometry::ViewTransform exact(source_image_.size(), scale, degrees,
                                        {std::max(client.x, 0), std::max(client.y, 0)}, offset);
    next_offset_.reset();
    // Drawn at whole displayed pixels, so that the picture, the read-outs
    // and the displayed image agree pixel for pixel; the exact offset is
    // kept for the next zoom step about the same point, which would drift
    // step after step from the rounded one.
    exact_offset_ = exact.offset();
    const geometry::ViewTransform view =
        exact.scrolled_to({std::round(exact.offset().x), std::round(exact.offset().y)});
    // The pyramid follows the source's memory: a host writing into its
    // shared array is seen at the next set.
    if (free_->pyramid.empty() || free_->pyramid.level(0).data != source_image_.data
        || free_->pyramid.level(0).size() != source_image_.size())
        free_->pyramid.reset(source_image_);

    const cv::Size shown = view.displayed_size();
    const auto h = geometry::scroll_bar_setup(static_cast<int>(std::lround(view.offset().x)), surface.x, shown.width);
    const auto v = geometry::scroll_bar_setup(static_cast<int>(std::lround(view.offset().y)), surface.y, shown.height);
    viewport_->set_up(h, v, !keep_scroll_pos);
    // Nothing of the whole displayed image is kept: that is what a free view saves.
    image_being_shown_.release();
    spare_.release();
    work_.release();
    free_->shown.release();
    view_ = view;
    fitted_ = {surface, zoom_mode_, rotation_};
    finish_fitting();
}

wxSize ViewerCore::in_device(const wxSize& size) const
{
    return viewport_->in_device(size);
}

wxPoint ViewerCore::in_device(const wxPoint& point) const
{
    return viewport_->in_device(point);
}

geometry::ViewTransform ViewerCore::scrolled_view() const
{
    const cv::Point2d offset(viewport_->offset());
    return offset == view_->offset() ? *view_ : view_->scrolled_to(offset);
}

ViewerCore::SubImage ViewerCore::get_sub_image_to_draw() const
{
    require_gui_thread(__func__);
    if (view_) {
        const auto region = scrolled_view().visible_region();
        cv::Mat view = region.source.area() > 0 ? image_being_shown()(region.source) : cv::Mat();
        return {view, region.x, region.y, region.width, region.height};
    }
    return visible_part(image_being_shown());
}

ViewerCore::SubImage ViewerCore::visible_part(const cv::Mat& shown) const
{
    if (shown.empty())
        return {cv::Mat(), -1, -1, 0, 0};
    const wxSize client = viewport_->client_size();
    const auto region = geometry::visible_region(shown.size(), {client.x, client.y}, viewport_->offset().x,
                                                 viewport_->offset().y);
    cv::Mat view = region.source.area() > 0 ? shown(region.source) : cv::Mat();
    return {view, region.x, region.y, region.width, region.height};
}

void ViewerCore::do_scroll(wxScrollBar* ui, int sign, int count_per_action)
{
    require_gui_thread(__func__);
    if (viewport_->scroll_by(ui, sign, count_per_action)) {
        draw_image();
        send_view();
    }
}

void ViewerCore::on_size(wxSizeEvent& event)
{
    require_gui_thread(__func__);
    event.Skip(true);
    try {
        init_buffer();
    } catch (const Error& error) {
        // The previous picture, scroll bars and selection stay in place.
        report_handler_error(error);
    }
}

void ViewerCore::on_scroll(wxScrollEvent&)
{
    require_gui_thread(__func__);
    viewport_->follow_bars();
    draw_image();
    send_view();
}

void ViewerCore::on_mouse_wheel(wxMouseEvent& event)
{
    require_gui_thread(__func__);
    const int sign = geometry::wheel_sign(event.GetWheelRotation());
    const wxPoint at = event.GetPosition();
    if (pointer_navigation_ && event.ControlDown()) {
        // Away from the user enlarges, as in other viewers.
        zoom_step(sign, in_device(at));
        return;
    }
    const wxSize client = parts_.surface->GetClientSize();
    wxScrollBar* bar =
        geometry::wheel_moves_horizontal({at.x, at.y}, {client.x, client.y}) ? parts_.horizontal : parts_.vertical;
    do_scroll(bar, sign, 10);
}

void ViewerCore::on_mouse_wheel_scroll(wxMouseEvent& event)
{
    require_gui_thread(__func__);
    auto* bar = dynamic_cast<wxScrollBar*>(event.GetEventObject());
    if (!bar)
        return;
    do_scroll(bar, geometry::wheel_sign(event.GetWheelRotation()), 1);
}

} // namespace tesk_vumo
