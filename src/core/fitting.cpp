#include "tesk_vumo/core/viewer_core.h"

#include "drawing.h"
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

void ViewerCore::fitting(bool keep_scroll_pos)
{
    require_gui_thread(__func__);
    if (source_image_.empty())
        return;
    const wxSize surface = viewport_->client_size();
    if ((surface.x <= 0 || surface.y <= 0) && zoom_mode_ != ZoomMode::NoZoom && zoom_mode_ != ZoomMode::ZoomAny) {
        // No scale can be formed on a surface without area (a hidden panel,
        // an assist bar taking all the height). The image stays stored and
        // is fitted when the surface gets an area; until then nothing of an
        // earlier image may stand for it.
        view_.reset();
        next_offset_.reset();
        drawing_->shown.release();
        viewport_->set_up({0, 0, 0, 0}, {0, 0, 0, 0});
        fitted_ = {wxDefaultSize, zoom_mode_, rotation_};
        selection_rect_ = wxRect(-1, -1, 0, 0);
        update_selection_rect_info();
        if (send_view() && send_selection())
            follow_pointer();
        return;
    }
    cv::Point2d offset(0.0, 0.0);
    if (next_offset_)
        offset = *next_offset_;
    else if (keep_scroll_pos)
        offset = viewport_->offset();
    const geometry::ViewTransform exact = fitted_view({surface.x, surface.y}, offset);
    next_offset_.reset();
    // Drawn at whole displayed pixels, so that the picture, the read-outs
    // and the displayed image agree pixel for pixel; the exact offset is
    // kept for the next zoom step about the same point, which would drift
    // step after step from the rounded one.
    exact_offset_ = exact.offset();
    const geometry::ViewTransform view = exact.scrolled_to({std::round(exact.offset().x), std::round(exact.offset().y)});
    // The pyramid follows the source's memory; its levels are made from
    // the pixels of the moment, and the picture too: a host writing into
    // its shared array is seen at the next fitting.
    if (drawing_->pyramid.empty() || drawing_->pyramid.level(0).data != source_image_.data
        || drawing_->pyramid.level(0).size() != source_image_.size())
        drawing_->pyramid.reset(source_image_);
    drawing_->renderer.forget();

    const cv::Size shown = view.displayed_size();
    const auto h = geometry::scroll_bar_setup(static_cast<int>(view.offset().x), surface.x, shown.width);
    const auto v = geometry::scroll_bar_setup(static_cast<int>(view.offset().y), surface.y, shown.height);
    viewport_->set_up(h, v, !keep_scroll_pos);
    drawing_->shown.release();
    view_ = view;
    fitted_ = {surface, zoom_mode_, rotation_};
    finish_fitting();
}

geometry::ViewTransform ViewerCore::fitted_view(cv::Size surface, cv::Point2d offset) const
{
    const Rotation rotation = shown_rotation();
    const cv::Size source = source_image_.size();
    const wxSize client = viewport_->client_size();
    const cv::Size viewport(std::max(client.x, 0), std::max(client.y, 0));
    if (rotation != Rotation::DegreeAny && zoom_mode_ != ZoomMode::NoZoom && zoom_mode_ != ZoomMode::ZoomAny) {
        // A fit's displayed image is the turned source resized to the
        // truncated sides of its scale.
        const cv::Size turned = geometry::rotated_size(source, rotation);
        const cv::Size shown = geometry::fitted_size(zoom_mode_, turned, surface);
        return geometry::ViewTransform::fitted(source, geometry::fit_ratio(zoom_mode_, turned, surface).value(),
                                               static_cast<int>(rotation), shown, viewport, offset);
    }
    const double degrees = geometry::rotation_degrees(rotation, rotation_degree_);
    double scale = zoom_mode_ == ZoomMode::ZoomAny ? zoom_rate_ : 1.0;
    if (zoom_mode_ != ZoomMode::ZoomAny && zoom_mode_ != ZoomMode::NoZoom) {
        // At a free angle a fit takes in the turned image's bounding box.
        const geometry::ViewTransform unscaled(source, 1.0, degrees, {0, 0});
        scale = geometry::fitted_zoom_rate(zoom_mode_, unscaled.displayed_size(), surface);
    }
    return geometry::ViewTransform(source, scale, degrees, viewport, offset);
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

    fit_overlays();
    selection_rect_ = fitted_selection();
    update_selection_rect_info();
    show_view();
    draw_image();
    if (send_view() && send_selection())
        follow_pointer();
}

wxRect ViewerCore::fitted_selection()
{
    if (!keep_selection_ || !kept_selection_ || !view_) {
        kept_selection_.reset();
        return wxRect(-1, -1, 0, 0);
    }
    KeptSelection& kept = *kept_selection_;
    const cv::Size source = source_image_.size();
    if (kept.source != source) {
        const cv::Rect2d cut = kept.box & cv::Rect2d(0.0, 0.0, source.width, source.height);
        if (cut.width <= 0 || cut.height <= 0) {
            kept_selection_.reset();
            return wxRect(-1, -1, 0, 0);
        }
        kept = {cut, source};
    }
    const cv::Rect shown = view_->display_rect(kept.box);
    return wxRect(shown.x, shown.y, shown.width, shown.height);
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
    if (!view_)
        return {cv::Mat(), -1, -1, 0, 0};
    const auto region = scrolled_view().visible_region();
    cv::Mat view = region.source.area() > 0 ? image_being_shown()(region.source) : cv::Mat();
    return {view, region.x, region.y, region.width, region.height};
}

void ViewerCore::do_scroll(wxScrollBar* ui, int sign, int count_per_action)
{
    require_gui_thread(__func__);
    if (viewport_->scroll_by(ui, sign, count_per_action)) {
        draw_image();
        if (send_view())
            follow_pointer();
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
    if (send_view())
        follow_pointer();
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
