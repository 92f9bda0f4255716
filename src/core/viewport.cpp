#include "viewport.h"

#include "../common/rgb_bitmap.h"
#include "../forms/view_scroll_bar.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>

namespace tesk_vumo {

namespace {
int clamped(int position, const geometry::ScrollBarSetup& setup)
{
    return std::max(0, std::min(position, setup.range - setup.thumb_size));
}
} // namespace

ViewerCore::Viewport::Viewport(wxWindow& surface, wxScrollBar* horizontal, wxScrollBar* vertical)
    : surface_(surface), horizontal_(horizontal), vertical_(vertical)
{
    if (auto* bar = dynamic_cast<ViewScrollBar*>(horizontal_))
        bar->on_moved([this] { offset_.x = horizontal_->GetThumbPosition(); });
    if (auto* bar = dynamic_cast<ViewScrollBar*>(vertical_))
        bar->on_moved([this] { offset_.y = vertical_->GetThumbPosition(); });
    // A fresh bar has no thumb that covers it; show an empty one until the first fitting.
    set_up({0, 0, 0, 0}, {0, 0, 0, 0});
}

ViewerCore::Viewport::~Viewport()
{
    for (wxScrollBar* bar : {horizontal_, vertical_})
        if (auto* view_bar = dynamic_cast<ViewScrollBar*>(bar))
            view_bar->on_moved(nullptr);
}

wxSize ViewerCore::Viewport::in_device(const wxSize& size) const
{
    return device_size(surface_, size);
}

wxPoint ViewerCore::Viewport::in_device(const wxPoint& point) const
{
    const double scale = surface_.GetContentScaleFactor();
    if (scale == 1.0)
        return point;
    // A pointer far outside the window (a drag) stays within int.
    auto scaled = [scale](int v) {
        return static_cast<int>(std::clamp(std::floor(v * scale), double(std::numeric_limits<int>::min()),
                                           double(std::numeric_limits<int>::max())));
    };
    return {scaled(point.x), scaled(point.y)};
}

void ViewerCore::Viewport::paint()
{
    if (!buffer_.IsOk()) {
        wxPaintDC dc(&surface_);
        return;
    }
    wxBufferedPaintDC dc(&surface_, buffer_);
}

void ViewerCore::Viewport::set_up(const geometry::ScrollBarSetup& horizontal,
                                  const geometry::ScrollBarSetup& vertical, bool refresh)
{
    horizontal_setup_ = horizontal;
    vertical_setup_ = vertical;
    offset_ = {clamped(horizontal.position, horizontal), clamped(vertical.position, vertical)};
    if (horizontal_)
        horizontal_->SetScrollbar(offset_.x, horizontal.thumb_size, horizontal.range, horizontal.page_size, refresh);
    if (vertical_)
        vertical_->SetScrollbar(offset_.y, vertical.thumb_size, vertical.range, vertical.page_size, refresh);
}

bool ViewerCore::Viewport::scroll_to(cv::Point to)
{
    to = {clamped(to.x, horizontal_setup_), clamped(to.y, vertical_setup_)};
    if (to == offset_)
        return false;
    offset_ = to;
    if (horizontal_)
        horizontal_->SetThumbPosition(to.x);
    if (vertical_)
        vertical_->SetThumbPosition(to.y);
    return true;
}

bool ViewerCore::Viewport::scroll_by(const wxScrollBar* bar, int sign, int count)
{
    if (!bar || (bar != horizontal_ && bar != vertical_))
        return false;
    const bool along_x = bar == horizontal_;
    const geometry::ScrollBarSetup& setup = along_x ? horizontal_setup_ : vertical_setup_;
    const int position = geometry::scrolled_position(along_x ? offset_.x : offset_.y, sign, count, setup.range,
                                                     setup.thumb_size);
    return scroll_to(along_x ? cv::Point(position, offset_.y) : cv::Point(offset_.x, position));
}

void ViewerCore::Viewport::follow_bars()
{
    if (horizontal_)
        offset_.x = horizontal_->GetThumbPosition();
    if (vertical_)
        offset_.y = vertical_->GetThumbPosition();
}

} // namespace tesk_vumo
