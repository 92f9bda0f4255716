#ifndef TESK_VUMO_SIMPLE_SIMPLE_IMAGE_PANEL_H
#define TESK_VUMO_SIMPLE_SIMPLE_IMAGE_PANEL_H

#include <any>
#include <filesystem>
#include <optional>
#include <string>

#include <opencv2/core.hpp>
#include <wx/bitmap.h>
#include <wx/image.h>
#include <wx/panel.h>

#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/core/viewer_core.h"

namespace tesk_vumo {

/// The smallest viewer: shows one image scaled to fit the panel's client
/// area, keeping its aspect ratio, centred on the panel's background colour,
/// and refits on every resize. No scroll bars, zoom, rotation, guide lines
/// or selection. On a display with a content scale factor the picture has
/// the device's resolution. The panel is its own drawing surface, shown by
/// a ViewerCore fitting the page and nothing else.
///
/// Images are 8-bit R, G, B (rows top to bottom). An empty cv::Mat stands
/// for "no image". Every public member runs on the GUI thread only, as in
/// ViewerCore.
class SimpleImagePanel : public wxPanel, private ViewerCore
{
public:
    SimpleImagePanel(wxWindow* parent, const wxSize& size);
    SimpleImagePanel(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                     long style = wxTAB_TRAVERSAL, const wxString& name = wxPanelNameStr);

    /// The stored image (shared with the caller when it was set from a
    /// 3-channel array), or an empty Mat.
    using ViewerCore::source_image;

    /// Sets a pixel array: an 8-bit one-channel array becomes a new RGB
    /// image; other arrays (1, 3 or 4 channels of 8, 16 or 32 bits or
    /// float) are stored without copying and shown with automatic levels.
    /// Throws TypeError for other arrays (the previous image stays). Refits
    /// and redraws.
    ///
    /// Or reads an image file (any characters in the path; with a second
    /// argument, the text naming the file in the error). Throws
    /// AssertionError "Load Image File [<path>] Failed." when it cannot be
    /// read; the previous image stays. Refits and redraws.
    ///
    /// Or, with std::nullopt, clears the image and makes a fresh buffer;
    /// nothing is redrawn.
    using ViewerCore::set_source_image;

    using ViewerCore::set_user_data;
    using ViewerCore::user_data;

    /// The scaled image that is drawn (in device pixels), or an empty Mat
    /// before the first fitting.
    using ViewerCore::image_being_shown;
    /// Off-screen picture of the client size at the device's resolution;
    /// invalid until the client area first had a positive size.
    using ViewerCore::buffer;

    /// Makes a new buffer when the client size is positive and the buffer is
    /// missing, of another size, or there is no image; then refits.
    using ViewerCore::init_buffer;
    /// Scales the image to fit the client area, then draws.
    virtual void fitting();
    /// Composes the buffer (background, centred image) and has the paint
    /// handler show it, at once where the toolkit allows.
    using ViewerCore::draw_image;

    void on_size(wxSizeEvent& event) { ViewerCore::on_size(event); }
    void on_paint(wxPaintEvent& event) { ViewerCore::on_paint(event); }

private:
    /// The core's own fittings go through fitting() above.
    void fitting(bool keep_scroll_pos) override;
};

} // namespace tesk_vumo

#endif
