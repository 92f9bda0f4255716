#ifndef TESK_VUMO_SRC_CORE_VIEWPORT_H
#define TESK_VUMO_SRC_CORE_VIEWPORT_H

// The drawing surface of a viewer as its viewing core sees it: sizes in
// device pixels, the off-screen buffer painted on it, and the scroll offset
// that its bars show.

#include <opencv2/core.hpp>
#include <wx/bitmap.h>
#include <wx/gdicmn.h>
#include <wx/scrolbar.h>
#include <wx/window.h>

#include "tesk_vumo/common/view_geometry.h"
#include "tesk_vumo/core/viewer_core.h"

namespace tesk_vumo {

class ViewerCore::Viewport
{
public:
    /// @p horizontal and @p vertical may be null; a bar made as a
    /// ViewScrollBar has the offset follow a program's moves of it too.
    Viewport(wxWindow& surface, wxScrollBar* horizontal, wxScrollBar* vertical);
    ~Viewport();
    Viewport(const Viewport&) = delete;
    Viewport& operator=(const Viewport&) = delete;

    /// @p size or @p point of the surface's (logical) coordinates in device pixels.
    wxSize in_device(const wxSize& size) const;
    wxPoint in_device(const wxPoint& point) const;
    /// The surface's client size in device pixels, where the image is fitted and drawn.
    wxSize client_size() const { return in_device(surface_.GetClientSize()); }

    wxBitmap& buffer() { return buffer_; }
    const wxBitmap& buffer() const { return buffer_; }
    /// Copies the buffer to the surface, from its paint handler.
    void paint();

    /// The first visible column and row of the displayed image: the bars' thumb positions.
    cv::Point offset() const { return offset_; }
    /// Sets the offset and the bars up for a displayed image: the position
    /// of each is clamped to [0, range - thumb], as the bars clamp it.
    void set_up(const geometry::ScrollBarSetup& horizontal, const geometry::ScrollBarSetup& vertical,
                bool refresh = true);
    /// Moves the offset to @p to, clamped; false when it stays.
    bool scroll_to(cv::Point to);
    /// The visible extents, the thumb sizes of the last set_up().
    cv::Size thumb() const { return {horizontal_setup_.thumb_size, vertical_setup_.thumb_size}; }
    /// Moves the offset along the axis of @p bar by -sign * count, clamped;
    /// false when it stays or @p bar is none of the viewport's.
    bool scroll_by(const wxScrollBar* bar, int sign, int count);
    /// Takes both bars' thumb positions, where the user has moved them.
    void follow_bars();

private:
    wxWindow& surface_;
    wxScrollBar* horizontal_;
    wxScrollBar* vertical_;
    wxBitmap buffer_;
    cv::Point offset_{0, 0};
    geometry::ScrollBarSetup horizontal_setup_{0, 0, 0, 0};
    geometry::ScrollBarSetup vertical_setup_{0, 0, 0, 0};
};

} // namespace tesk_vumo

#endif
