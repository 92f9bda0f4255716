#include "tesk_vumo/core/viewer_core.h"

#include "free_view.h"
#include "viewport.h"

#include "../files/view_files.h"
#include "tesk_vumo/common/view_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include <wx/filedlg.h>

namespace tesk_vumo {

namespace {
// Writing an unchanged text would still make GTK relayout the control.
void set_text(wxTextCtrl* control, const wxString& text)
{
    if (control && control->GetValue() != text)
        control->SetValue(text);
}
} // namespace

void ViewerCore::update_mouse_position_in_panel(const wxMouseEvent& event)
{
    // The surface's client DC has no mapping: logical and device positions agree.
    mouse_position_ = in_device(event.GetPosition());
    // A drag goes on reporting the pointer after it has left the surface.
    pointer_away_ = !wxRect(viewport_->client_size()).Contains(*mouse_position_);
}

void ViewerCore::on_mouse_leave(wxMouseEvent&)
{
    require_gui_thread(__func__);
    if (pointer_away_)
        return;
    pointer_away_ = true;
    if (following_lines_shown())
        redraw();
}

void ViewerCore::clear_pointer_readouts()
{
    for (wxTextCtrl* readout : {parts_.x, parts_.y, parts_.rgb})
        set_text(readout, wxEmptyString);
}

wxPoint ViewerCore::get_mouse_image_position() const
{
    require_gui_thread(__func__);
    if (source_image_.empty() || (image_being_shown_.empty() && !view_))
        return {-1, -1};
    const wxPoint mouse = mouse_position_in_panel();
    if (view_) {
        const cv::Point at = scrolled_view().display_pixel({mouse.x, mouse.y});
        return {at.x, at.y};
    }
    const cv::Point at = geometry::image_position(
        {mouse.x, mouse.y}, {image_rect_.x, image_rect_.y, image_rect_.width, image_rect_.height},
        viewport_->offset().x, viewport_->offset().y);
    // The visible region stops short of image_rect while the scroll bars are
    // out of step with the image (set up by a fitting on a surface without
    // area that could not be redone): past its edge there is no pixel.
    if (at.x >= image_being_shown_.cols || at.y >= image_being_shown_.rows)
        return {-1, -1};
    return {at.x, at.y};
}

std::optional<cv::Vec3b> ViewerCore::colour_under_pointer(const wxPoint& at) const
{
    if (view_) {
        // The colour drawn there: the free view has no whole displayed image to read.
        const cv::Mat& picture = free_->renderer.picture();
        const wxPoint mouse = mouse_position_in_panel();
        if (mouse.x < 0 || mouse.y < 0 || mouse.x >= picture.cols || mouse.y >= picture.rows)
            return std::nullopt;
        return picture.at<cv::Vec3b>(mouse.y, mouse.x);
    }
    return image_being_shown_.at<cv::Vec3b>(at.y, at.x);
}

void ViewerCore::on_mouse_motion(wxMouseEvent& event)
{
    require_gui_thread(__func__);
    update_mouse_position_in_panel(event);
    if (pan_) {
        // The image follows the pointer: the view moves the other way.
        const wxPoint at = *mouse_position_;
        const cv::Point to = geometry::panned_position({pan_->positions.x, pan_->positions.y},
                                                       {pan_->start.x, pan_->start.y}, {at.x, at.y});
        scroll_view_to(to.x, to.y);
        return;
    }
    const wxPoint at = get_mouse_image_position();
    if (at.x < 0 || at.y < 0) {
        send_pointer();
        return;
    }
    set_text(parts_.x, wxString::Format("%d", at.x));
    set_text(parts_.y, wxString::Format("%d", at.y));
    const auto rgb = colour_under_pointer(at);
    if (!rgb)
        return;
    set_text(parts_.rgb, wxString::Format("%d, %d, %d", (*rgb)[0], (*rgb)[1], (*rgb)[2]));
    // While selecting is off the reset selection sits at (0, 0), which is not
    // "no selection": a drag must not grow it.
    if (event.Dragging() && selecting_enabled_ && selection_rect_.GetPosition() != wxPoint(-1, -1)) {
        const cv::Size size = geometry::drag_size({selection_rect_.x, selection_rect_.y}, {at.x, at.y});
        selection_rect_.SetSize(wxSize(size.width, size.height));
        redraw();
    } else if (following_lines_shown()) {
        redraw();
    }
    update_selection_rect_info();
    if (send_pointer())
        send_selection();
}

void ViewerCore::on_start_dragging(wxMouseEvent& event)
{
    require_gui_thread(__func__);
    update_mouse_position_in_panel(event);
    parts_.surface->SetFocus();
    if (space_held_ && pointer_navigation_) {
        on_pan_start(event);
        return;
    }
    if (!selecting_enabled_)
        return;
    const bool had_selection = selection_rect_.GetPosition() != wxPoint(-1, -1);
    if (had_selection)
        selection_rect_ = wxRect(-1, -1, 0, 0);
    const wxPoint at = get_mouse_image_position();
    if (at == wxPoint(-1, -1)) {
        // Show at once that the old selection is gone.
        if (had_selection) {
            update_selection_rect_info();
            redraw();
        }
        send_selection();
        return;
    }
    selection_rect_ = wxRect(at.x, at.y, 0, 0);
    update_selection_rect_info();
    redraw();
    send_selection();
}

void ViewerCore::update_selection_rect_info()
{
    require_gui_thread(__func__);
    set_text(parts_.width, wxString::Format("%d", selection_rect_.width));
    set_text(parts_.height, wxString::Format("%d", selection_rect_.height));
}

std::array<int, 4> ViewerCore::get_selection_rect() const
{
    require_gui_thread(__func__);
    return geometry::normalised_selection(selection_rect_.x, selection_rect_.y, selection_rect_.width,
                                          selection_rect_.height);
}

void ViewerCore::set_selection_rect(const std::array<int, 4>& rect)
{
    require_gui_thread(__func__);
    selection_rect_ = wxRect(rect[0], rect[1], rect[2], rect[3]);
    draw_image();
    send_selection();
}

std::optional<cv::Rect> ViewerCore::selection_image_region() const
{
    require_gui_thread(__func__);
    const auto [x, y, w, h] = get_selection_rect();
    if ((x == -1 && y == -1) || w == 0 || h == 0 || displayed_size().area() == 0)
        return std::nullopt;
    return geometry::clip_to_image({x, y, w, h}, displayed_size());
}

std::optional<cv::Mat> ViewerCore::get_selection_image() const
{
    require_gui_thread(__func__);
    const auto region = selection_image_region();
    if (!region)
        return std::nullopt;
    if (region->area() == 0)
        return cv::Mat();
    return displayed_part(*region);
}

cv::Mat ViewerCore::displayed_part(const cv::Rect& region) const
{
    require_gui_thread(__func__);
    if (!view_)
        return image_being_shown()(region);
    if (!free_->shown.empty())
        return free_->shown(region);
    // The region as a viewport of its own at the same scale and angle: the
    // same samples as the whole displayed image, made on demand, would give.
    const wxColour background = parts_.surface->GetBackgroundColour();
    const geometry::ViewTransform part(view_->source_size(), view_->scale(), view_->degrees(), region.size(),
                                       cv::Point2d(region.x, region.y));
    ViewRenderer renderer;
    return renderer.render(free_->pyramid, part, cv::Vec3b(background.Red(), background.Green(), background.Blue()))
        .clone();
}

cv::Mat ViewerCore::view_to_save() const
{
    require_gui_thread(__func__);
    // In a free view a selection is made alone: a large zoom can be saved
    // in part without making the whole displayed image.
    if (auto selected = get_selection_image())
        return *selected;
    // Saving only reads: the source shown in place needs no copy for it.
    return view_ ? image_being_shown() : image_being_shown_;
}

cv::Size ViewerCore::displayed_size() const
{
    require_gui_thread(__func__);
    return view_ ? view_->displayed_size() : image_being_shown_.size();
}

const cv::Mat& ViewerCore::image_being_shown() const
{
    require_gui_thread(__func__);
    if (!view_) {
        // The host may write into what it is given and draw it; the source
        // shown in place must not change with it, nor a caller's array the
        // viewer no longer holds as its source. The copy is drawn from then
        // on, until the next fitting.
        if (!image_being_shown_.empty() && (image_being_shown_.data == source_image_.data || shows_callers_array_)) {
            image_being_shown_ = image_being_shown_.clone();
            shows_callers_array_ = false;
        }
        return image_being_shown_;
    }
    if (free_->shown.empty()) {
        const wxColour background = parts_.surface->GetBackgroundColour();
        free_->shown = displayed_image(free_->pyramid, *view_,
                                       cv::Vec3b(background.Red(), background.Green(), background.Blue()),
                                       static_cast<long long>(std::min<std::uint64_t>(max_image_pixels(), 1ULL << 62)));
    }
    return free_->shown;
}

} // namespace tesk_vumo

namespace tesk_vumo {

namespace {
// A fitted image is scaled along each side on its own (both sides are
// rounded), and turned by a quarter: exact arithmetic, no transform.
cv::Point2d turned_to_source(cv::Point2d t, cv::Size source, Rotation rotation)
{
    switch (rotation) {
    case Rotation::ClockWise90: return {t.y, source.height - t.x};
    case Rotation::Double90: return {source.width - t.x, source.height - t.y};
    case Rotation::CounterClockWise90: return {source.width - t.y, t.x};
    default: return t;
    }
}

cv::Point2d source_to_turned(cv::Point2d p, cv::Size source, Rotation rotation)
{
    switch (rotation) {
    case Rotation::ClockWise90: return {source.height - p.y, p.x};
    case Rotation::Double90: return {source.width - p.x, source.height - p.y};
    case Rotation::CounterClockWise90: return {p.y, source.width - p.x};
    default: return p;
    }
}
} // namespace

std::optional<cv::Point2d> ViewerCore::display_to_source(cv::Point2d displayed) const
{
    require_gui_thread(__func__);
    if (source_image_.empty())
        return std::nullopt;
    if (view_)
        return view_->display_to_source(displayed);
    if (image_being_shown_.empty())
        return std::nullopt;
    const Rotation rotation = shown_rotation();
    const cv::Size turned = geometry::rotated_size(source_image_.size(), rotation);
    const cv::Point2d t(displayed.x * turned.width / image_being_shown_.cols,
                        displayed.y * turned.height / image_being_shown_.rows);
    return turned_to_source(t, source_image_.size(), rotation);
}

std::optional<cv::Point2d> ViewerCore::source_to_display(cv::Point2d source) const
{
    require_gui_thread(__func__);
    if (source_image_.empty())
        return std::nullopt;
    if (view_)
        return view_->source_to_display(source);
    if (image_being_shown_.empty())
        return std::nullopt;
    const Rotation rotation = shown_rotation();
    const cv::Size turned = geometry::rotated_size(source_image_.size(), rotation);
    const cv::Point2d t = source_to_turned(source, source_image_.size(), rotation);
    return cv::Point2d(t.x * image_being_shown_.cols / turned.width, t.y * image_being_shown_.rows / turned.height);
}

wxPoint ViewerCore::get_mouse_source_position() const
{
    require_gui_thread(__func__);
    if (source_image_.empty())
        return {-1, -1};
    if (view_) {
        const wxPoint mouse = mouse_position_in_panel();
        const cv::Point at = scrolled_view().source_pixel({mouse.x, mouse.y});
        return {at.x, at.y};
    }
    const wxPoint shown = get_mouse_image_position();
    if (shown.x < 0 || shown.y < 0)
        return {-1, -1};
    const auto at = display_to_source({shown.x + 0.5, shown.y + 0.5});
    if (!at)
        return {-1, -1};
    return {std::clamp(static_cast<int>(std::floor(at->x)), 0, source_image_.cols - 1),
            std::clamp(static_cast<int>(std::floor(at->y)), 0, source_image_.rows - 1)};
}

std::optional<std::array<int, 4>> ViewerCore::get_selection_source_rect() const
{
    require_gui_thread(__func__);
    const auto region = selection_image_region();
    if (!region || source_image_.empty())
        return std::nullopt;
    cv::Rect covered;
    if (view_) {
        covered = view_->source_rect(*region);
    } else {
        double left = 1e300, top = 1e300, right = -1e300, bottom = -1e300;
        for (const cv::Point2d corner : {cv::Point2d(region->x, region->y), cv::Point2d(region->br().x, region->y),
                                         cv::Point2d(region->x, region->br().y), cv::Point2d(region->br())}) {
            const cv::Point2d p = *display_to_source(corner);
            left = std::min(left, p.x);
            top = std::min(top, p.y);
            right = std::max(right, p.x);
            bottom = std::max(bottom, p.y);
        }
        // Corners on pixel edges land there up to rounding: no pixel is
        // taken for a trace of it.
        constexpr double trace = 1e-6;
        const int x0 = static_cast<int>(std::floor(left + trace)), y0 = static_cast<int>(std::floor(top + trace));
        const int x1 = static_cast<int>(std::ceil(right - trace)), y1 = static_cast<int>(std::ceil(bottom - trace));
        covered = cv::Rect(x0, y0, x1 - x0, y1 - y0) & cv::Rect(0, 0, source_image_.cols, source_image_.rows);
    }
    return std::array<int, 4>{covered.x, covered.y, covered.width, covered.height};
}

std::optional<cv::Mat> ViewerCore::get_selection_image(bool source) const
{
    require_gui_thread(__func__);
    if (!source)
        return get_selection_image();
    const auto rect = get_selection_source_rect();
    if (!rect)
        return std::nullopt;
    const auto [x, y, w, h] = *rect;
    if (w <= 0 || h <= 0)
        return cv::Mat();
    return source_image_(cv::Rect(x, y, w, h));
}

void ViewerCore::save_source_selection()
{
    require_gui_thread(__func__);
    if (source_image_.empty())
        return;
    // Taken before the dialog: while it is open, a resize may refit the viewer.
    const cv::Mat samples = view_files::image_to_save(get_selection_image(true).value_or(source_image_), false);
    view_files::save_with_dialog(&viewer_, samples, wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
}

} // namespace tesk_vumo
