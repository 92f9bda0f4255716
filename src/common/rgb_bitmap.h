#ifndef TESK_VUMO_SRC_COMMON_RGB_BITMAP_H
#define TESK_VUMO_SRC_COMMON_RGB_BITMAP_H

#include <functional>
#include <vector>

#include <opencv2/core.hpp>
#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/gdicmn.h>
#include <wx/image.h>
#include <wx/window.h>

namespace tesk_vumo {

/// Puts @p rgb (8-bit R, G, B, any row stride; may be empty) into @p target
/// with its top-left pixel at @p at, and @p background everywhere else, as
/// clearing @p target and drawing a bitmap of @p rgb would, without a mask.
/// Where the toolkit lets it, the pixels go straight into the bitmap's own
/// memory; otherwise @p staging is the working image, kept by the caller so
/// that its memory is reused.
void compose_rgb(wxBitmap& target, const cv::Mat& rgb, const wxPoint& at, const wxColour& background,
                 wxImage& staging);
/// As above within @p area of @p target alone; the rest stays as it is.
void compose_rgb(wxBitmap& target, const cv::Mat& rgb, const wxPoint& at, const wxColour& background,
                 wxImage& staging, const cv::Rect& area);

/// Has @p paint draw into @p area of @p target (cut to it): @p paint gets
/// the area's pixels, 8-bit B, G, R, A when its second argument is true,
/// else R, G, B, and what it draws there is put in @p target.
void paint_pixels(wxBitmap& target, const cv::Rect& area, const std::function<void(cv::Mat&, bool)>& paint);

/// @p rgb (8-bit R, G, B, any stride) as a wxImage of its own.
wxImage rgb_image(const cv::Mat& rgb);

/// Fills all of @p target with @p colour, as clearing it would.
void fill_bitmap(wxBitmap& target, const wxColour& colour);

/// @p size, in logical pixels of @p window, in device pixels: larger on a
/// display with a content scale factor.
wxSize device_size(const wxWindow& window, const wxSize& size);

/// A bitmap of @p window's client size at the device's resolution, of
/// device_size() pixels, drawn at the window's logical size.
wxBitmap device_bitmap(const wxWindow& window);

/// Puts a newly composed buffer of @p surface on the screen through its
/// paint handler: invalidates the client area and has it painted at once
/// where the toolkit paints on request (X11), else at the next frame
/// (Wayland, macOS, where drawing outside a paint event shows nothing).
void show_buffer(wxWindow& surface);
/// As above for @p areas of the buffer (device pixels) alone.
void show_buffer(wxWindow& surface, const std::vector<cv::Rect>& areas);

} // namespace tesk_vumo

#endif
