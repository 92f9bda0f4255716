#include "tesk_vumo/core/viewer_core.h"

#include "drawing.h"
#include "viewport.h"

#include "../common/overlay_areas.h"
#include "../common/rgb_bitmap.h"
#include "tesk_vumo/common/view_geometry.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

#include <wx/dcmemory.h>
#include <wx/region.h>
#include <wx/settings.h>

namespace tesk_vumo {

namespace {
wxPen dashed_pen(const wxColour& colour)
{
    return wxPen(colour, 1, wxPENSTYLE_SHORT_DASH);
}

// A host may set the selection anywhere in the int range. Its corners are
// formed wider, and far-off ones are pulled in to just outside the client
// area: past about 2^23 the drawing library's fixed-point coordinates wrap
// and draw lines where there are none.
wxRect outline_in_control(const wxRect& selection, int dx, int dy, const wxSize& client)
{
    const long long left = static_cast<long long>(selection.x) + dx;
    const long long top = static_cast<long long>(selection.y) + dy;
    const long long right = left + selection.width, bottom = top + selection.height;
    constexpr long long far_off = 1 << 22;
    if (std::max({std::llabs(left), std::llabs(top), std::llabs(right), std::llabs(bottom)}) <= far_off)
        return wxRect(static_cast<int>(left), static_cast<int>(top), selection.width, selection.height);
    auto pull = [](long long value, int extent) {
        return static_cast<int>(std::clamp<long long>(value, -2, extent + 2));
    };
    const int l = pull(left, client.x), t = pull(top, client.y);
    return wxRect(l, t, pull(right, client.x) - l, pull(bottom, client.y) - t);
}
} // namespace

void ViewerCore::draw_image()
{
    require_gui_thread(__func__);
    // The host may have drawn into the displayed image: all is shown anew.
    ++picture_number_;
    redraw();
}

void ViewerCore::redraw()
{
    wxBitmap& buffer = viewport_->buffer();
    if (!buffer.IsOk() || !view_)
        return;
    const wxColour background = parts_.surface->GetBackgroundColour();
    const int subx = viewport_->offset().x;
    const int suby = viewport_->offset().y;
    const wxSize client = viewport_->client_size();
    view_ = scrolled_view();
    const auto visible = view_->visible_region();
    const SubImage region{cv::Mat(), visible.x, visible.y, visible.width, visible.height};
    const cv::Mat* whole_image = drawn_whole();
    const auto [sel_x, sel_y, sel_w, sel_h] = get_selection_rect();
    const wxRect outline = outline_in_control(wxRect(sel_x, sel_y, sel_w, sel_h), region.x_in_ctrl_region - subx,
                                              region.y_in_ctrl_region - suby, client);
    ShownOverlays now;
    now.picture.number = picture_number_;
    now.picture.scroll = {subx, suby};
    now.picture.background = background.GetRGBA();
    if (middle_lines_shown())
        now.picture.middle_lines = middle_line_color_.GetRGBA();
    now.surface = {client.x, client.y};
    if (following_lines_shown() && mouse_position_ && !pointer_away_ && mouse_position_->x >= 0
        && mouse_position_->y >= 0)
        now.pointer = cv::Point(mouse_position_->x, mouse_position_->y);
    now.outline = {outline.x, outline.y, outline.width, outline.height};
    const wxColour focus_colour = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT);
    if (focused_)
        now.focus = focus_colour.GetRGBA();
    // Dashed lines are anti-aliased a pixel or so to either side.
    constexpr int line_margin = 2;
    const std::vector<cv::Rect> changed
        = changed_areas(shown_ ? std::optional<ShownOverlays>(*shown_) : std::nullopt, now, line_margin);
    const bool whole = changed.size() == 1 && changed.front() == cv::Rect(cv::Point(), now.surface);
    // Disjoint parts: each pixel gets the marks drawn over it once.
    std::vector<wxRect> parts;
    if (!whole) {
        wxRegion changed_region;
        for (const cv::Rect& area : changed)
            changed_region.Union(area.x, area.y, area.width, area.height);
        for (wxRegionIterator part(changed_region); part; ++part)
            parts.push_back(part.GetRect());
    }

    // Where only the marks moved, the picture under them is composed again
    // from what it was composed from, in their bands alone.
    const auto compose = [&](const cv::Rect& area) {
        if (whole_image)
            compose_rgb(buffer, visible.source.area() > 0 ? (*whole_image)(visible.source) : cv::Mat(),
                        wxPoint(visible.x, visible.y), background, draw_staging_, area);
        else
            compose_rgb(buffer, drawing_->renderer.picture(), wxPoint(0, 0), background, draw_staging_, area);
        // Over the composed pixels, never into the pictures they come from.
        draw_overlays_on(buffer, area);
    };
    if (whole) {
        if (!whole_image)
            drawing_->renderer.render(drawing_->pyramid, *view_,
                                      cv::Vec3b(background.Red(), background.Green(), background.Blue()));
        compose(cv::Rect(cv::Point(), now.surface));
    } else {
        for (const wxRect& part : parts)
            compose(cv::Rect(part.x, part.y, part.width, part.height));
    }
    ++redraw_count_;
    image_rect_ = wxRect(region.x_in_ctrl_region, region.y_in_ctrl_region, region.w, region.h);
    const double scale = parts_.surface->GetContentScaleFactor();
    {
        // What is drawn over the picture goes into the buffer too (painting
        // only copies it), placed in device pixels like the picture.
        wxMemoryDC dc(buffer);
        if (scale != 1.0)
            dc.SetUserScale(1.0 / scale, 1.0 / scale);
        const auto draw_marks = [&] {
            dc.SetPen(dashed_pen(wxColour(255, 0, 0)));
            dc.SetBrush(wxBrush(wxColour(0, 0, 0), wxBRUSHSTYLE_TRANSPARENT));
            dc.DrawRectangle(outline);
            if (now.pointer) {
                dc.SetPen(dashed_pen(following_line_color_));
                dc.DrawLine(now.pointer->x, 0, now.pointer->x, client.y);
                dc.DrawLine(0, now.pointer->y, client.x, now.pointer->y);
            }
            if (now.picture.middle_lines)
                draw_middle_lines(dc, region, subx, suby, client);
            if (now.focus) {
                dc.SetPen(wxPen(focus_colour, 1, wxPENSTYLE_DOT));
                dc.SetBrush(wxBrush(wxColour(0, 0, 0), wxBRUSHSTYLE_TRANSPARENT));
                dc.DrawRectangle(0, 0, client.x, client.y);
            }
        };
        if (whole) {
            draw_marks();
        } else {
            for (const wxRect& part : parts) {
                dc.SetClippingRegion(part);
                draw_marks();
                dc.DestroyClippingRegion();
            }
        }
    }
    if (shown_)
        *shown_ = now;
    else
        shown_ = std::make_unique<ShownOverlays>(now);
    if (whole)
        show_buffer(*parts_.surface);
    else
        show_buffer(*parts_.surface, changed);
}

const cv::Mat* ViewerCore::drawn_whole() const
{
    // Once a host has the displayed image, it may draw into it: the screen
    // shows what it holds.
    if (!drawing_->shown.empty())
        return &drawing_->shown;
    // The source shown as it is needs no picture of its own.
    if (source_image_.type() == CV_8UC3 && view_->quarter_turns() == 0 && view_->displayed_size() == source_image_.size()
        && (view_->stretched() || view_->scale() == 1.0) && view_->offset() == cv::Point2d(viewport_->offset()))
        return &source_image_;
    return nullptr;
}

void ViewerCore::draw_middle_lines(wxDC& dc, const SubImage& region, int subx, int suby,
                                   const wxSize& client)
{
    dc.SetPen(dashed_pen(middle_line_color_));
    int columns = 0, rows = 0;
    const cv::Size shown = displayed_size();
    const auto xs = geometry::middle_lines(shown.width, columns);
    const auto ys = geometry::middle_lines(shown.height, rows);
    for (int i = 0; i < columns; ++i)
        if (subx <= xs[i] && xs[i] < subx + region.w) {
            const int line_x = xs[i] - subx + region.x_in_ctrl_region;
            dc.DrawLine(line_x, 0, line_x, client.y);
        }
    for (int i = 0; i < rows; ++i)
        if (suby <= ys[i] && ys[i] < suby + region.h) {
            const int line_y = ys[i] - suby + region.y_in_ctrl_region;
            dc.DrawLine(0, line_y, client.x, line_y);
        }
}

void ViewerCore::on_paint(wxPaintEvent&)
{
    require_gui_thread(__func__);
    viewport_->paint();
}

} // namespace tesk_vumo
