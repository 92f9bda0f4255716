#include "tesk_vumo/core/viewer_core.h"

#include "drawing.h"
#include "viewport.h"

#include "../common/display_mapping.h"
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

bool ViewerCore::show_pointer_readouts(const wxPoint& at)
{
    set_text(parts_.x, wxString::Format("%d", at.x));
    set_text(parts_.y, wxString::Format("%d", at.y));
    if (source_has_levels()) {
        const auto value = value_under_pointer();
        if (value.empty())
            return false;
        set_text(parts_.rgb, value_text(value, source_image_.depth()));
        return true;
    }
    const auto rgb = colour_under_pointer(at);
    if (!rgb)
        return false;
    set_text(parts_.rgb, wxString::Format("%d, %d, %d", (*rgb)[0], (*rgb)[1], (*rgb)[2]));
    return true;
}

std::vector<double> ViewerCore::value_under_pointer() const
{
    const wxPoint at = get_mouse_source_position();
    return at.x < 0 || at.y < 0 ? std::vector<double>() : get_source_value(at.x, at.y);
}

bool ViewerCore::follow_pointer()
{
    if (!mouse_position_ || pointer_away_)
        return true;
    const wxPoint at = get_mouse_image_position();
    // Off the image now: what they showed is no longer under the pointer.
    if (at.x < 0 || at.y < 0 || !show_pointer_readouts(at))
        clear_pointer_readouts();
    return send_pointer();
}

wxPoint ViewerCore::get_mouse_image_position() const
{
    require_gui_thread(__func__);
    if (source_image_.empty() || !view_)
        return {-1, -1};
    const wxPoint mouse = mouse_position_in_panel();
    const cv::Point at = scrolled_view().display_pixel({mouse.x, mouse.y});
    return {at.x, at.y};
}

std::optional<cv::Vec3b> ViewerCore::colour_under_pointer(const wxPoint& at) const
{
    if (const cv::Mat* whole = drawn_whole())
        return whole->at<cv::Vec3b>(at.y, at.x);
    // The colour drawn there, which the displayed image, made, would hold.
    const cv::Mat& picture = drawing_->renderer.picture();
    const wxPoint mouse = mouse_position_in_panel();
    if (mouse.x < 0 || mouse.y < 0 || mouse.x >= picture.cols || mouse.y >= picture.rows)
        return std::nullopt;
    return picture.at<cv::Vec3b>(mouse.y, mouse.x);
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
    if (drag_overlay(*mouse_position_, event.Dragging()))
        return;
    const wxPoint at = get_mouse_image_position();
    if (at.x < 0 || at.y < 0) {
        send_pointer();
        return;
    }
    if (!show_pointer_readouts(at))
        return;
    // While selecting is off the reset selection sits at (0, 0), which is not
    // "no selection": a drag must not grow it.
    if (event.Dragging() && selecting_enabled_ && selection_rect_.GetPosition() != wxPoint(-1, -1)) {
        const cv::Size size = geometry::drag_size({selection_rect_.x, selection_rect_.y}, {at.x, at.y});
        selection_rect_.SetSize(wxSize(size.width, size.height));
        remember_selection();
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
    // A drag on an editable overlay moves it; it starts no selection.
    if (press_overlay(*mouse_position_))
        return;
    if (!selecting_enabled_)
        return;
    const bool had_selection = selection_rect_.GetPosition() != wxPoint(-1, -1);
    const wxPoint at = get_mouse_image_position();
    if (at == wxPoint(-1, -1)) {
        // Show at once that the old selection is gone.
        if (had_selection)
            clear_selection();
        else
            send_selection();
        return;
    }
    selection_rect_ = wxRect(at.x, at.y, 0, 0);
    remember_selection();
    update_selection_rect_info();
    redraw();
    send_selection();
}

void ViewerCore::remember_selection()
{
    kept_selection_.reset();
    if (!keep_selection_ || !view_ || source_image_.empty() || selection_rect_.GetPosition() == wxPoint(-1, -1))
        return;
    const auto [x, y, w, h] = get_selection_rect();
    kept_selection_ = KeptSelection{view_->source_box(cv::Rect2d(x, y, w, h)), source_image_.size()};
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
    remember_selection();
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
        return cv::Mat();
    const cv::Size shown = view_->displayed_size();
    if (!drawing_->shown.empty() || static_cast<std::uint64_t>(shown.area()) <= max_image_pixels())
        return image_being_shown()(region);
    // Too large to be made whole (a far zoom): the region alone, as a
    // viewport of its own, holds the samples the displayed image would.
    ViewRenderer renderer;
    renderer.set_look(drawing_->renderer.look());
    return renderer.render(drawing_->pyramid, view_->in_viewport(region.size(), cv::Point2d(region.x, region.y)),
                           background_rgb())
        .clone();
}

cv::Mat ViewerCore::view_to_save() const
{
    require_gui_thread(__func__);
    if (auto selected = get_selection_image())
        return *selected;
    return image_being_shown();
}

cv::Size ViewerCore::displayed_size() const
{
    require_gui_thread(__func__);
    return view_ ? view_->displayed_size() : cv::Size();
}

const cv::Mat& ViewerCore::image_being_shown() const
{
    require_gui_thread(__func__);
    if (view_ && drawing_->shown.empty())
        drawing_->shown
            = displayed_image(drawing_->pyramid, *view_, background_rgb(),
                              static_cast<long long>(std::min<std::uint64_t>(max_image_pixels(), 1ULL << 62)),
                              drawing_->renderer.look());
    return drawing_->shown;
}

cv::Vec3b ViewerCore::background_rgb() const
{
    const wxColour background = parts_.surface->GetBackgroundColour();
    return {background.Red(), background.Green(), background.Blue()};
}

std::optional<cv::Point2d> ViewerCore::display_to_source(cv::Point2d displayed) const
{
    require_gui_thread(__func__);
    if (source_image_.empty() || !view_)
        return std::nullopt;
    return view_->display_to_source(displayed);
}

std::optional<cv::Point2d> ViewerCore::source_to_display(cv::Point2d source) const
{
    require_gui_thread(__func__);
    if (source_image_.empty() || !view_)
        return std::nullopt;
    return view_->source_to_display(source);
}

wxPoint ViewerCore::get_mouse_source_position() const
{
    require_gui_thread(__func__);
    if (source_image_.empty() || !view_)
        return {-1, -1};
    const wxPoint mouse = mouse_position_in_panel();
    const cv::Point at = scrolled_view().source_pixel({mouse.x, mouse.y});
    return {at.x, at.y};
}

std::optional<std::array<int, 4>> ViewerCore::get_selection_source_rect() const
{
    require_gui_thread(__func__);
    const auto region = selection_image_region();
    if (!region || source_image_.empty() || !view_)
        return std::nullopt;
    const cv::Rect covered
        = kept_selection_ ? view_->source_pixels(kept_selection_->box) : view_->source_rect(*region);
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
    const cv::Mat samples = view_files::source_to_save(get_selection_image(true).value_or(source_image_));
    view_files::save_with_dialog(&viewer_, samples, wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
}

} // namespace tesk_vumo
