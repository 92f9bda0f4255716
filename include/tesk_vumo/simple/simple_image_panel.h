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

namespace tesk_vumo {

/// The smallest viewer: shows one image scaled to fit the panel's client
/// area, keeping its aspect ratio, centred on the panel's background colour,
/// and refits on every resize. No scroll bars, zoom, rotation, guide lines
/// or selection. On a display with a content scale factor the picture has
/// the device's resolution.
///
/// Images are 8-bit R, G, B (rows top to bottom). An empty cv::Mat stands
/// for "no image". Every public member runs on the GUI thread only, as in
/// ViewerCore.
class SimpleImagePanel : public wxPanel
{
public:
    SimpleImagePanel(wxWindow* parent, const wxSize& size);
    SimpleImagePanel(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                     long style = wxTAB_TRAVERSAL, const wxString& name = wxPanelNameStr);

    /// The stored image (shared with the caller when it was set from a
    /// 3-channel array), or an empty Mat.
    const cv::Mat& source_image() const { require_gui_thread(__func__); return source_image_; }

    /// Sets a pixel array: a 3-channel array is stored without copying; a
    /// one-channel array becomes a new RGB image. Throws TypeError for other
    /// arrays (the previous image stays). Refits and redraws.
    void set_source_image(const cv::Mat& image);
    /// Reads an image file (any characters in the path). Throws
    /// AssertionError "Load Image File [<path>] Failed." when it cannot be
    /// read; the previous image stays. Refits and redraws.
    void set_source_image(const std::filesystem::path& path);
    void set_source_image(const std::string& path) { set_source_image(std::filesystem::path(path)); }
    void set_source_image(const char* path) { set_source_image(std::filesystem::path(path)); }
    /// Like the path overload, with @p path_text naming the file in the error.
    void set_source_image(const std::filesystem::path& path, const std::string& path_text);
    /// Clears the image and makes a fresh buffer; nothing is redrawn.
    void set_source_image(std::nullopt_t);

    const std::any& user_data() const { require_gui_thread(__func__); return user_data_; }
    void set_user_data(std::any value) { require_gui_thread(__func__); user_data_ = std::move(value); }

    /// The scaled image that is drawn (in device pixels), or an empty Mat
    /// before the first fitting.
    const cv::Mat& image_being_shown() const { require_gui_thread(__func__); return image_being_shown_; }
    /// Off-screen picture of the client size at the device's resolution;
    /// invalid until the client area first had a positive size.
    const wxBitmap& buffer() const { require_gui_thread(__func__); return buffer_; }

    /// Makes a new buffer when the client size is positive and the buffer is
    /// missing, of another size, or there is no image; then refits.
    virtual void init_buffer();
    /// Scales the image to fit the client area, then draws.
    virtual void fitting();
    /// Composes the buffer (background, centred image) and has the paint
    /// handler show it, at once where the toolkit allows.
    virtual void draw_image();

    void on_size(wxSizeEvent& event);
    void on_paint(wxPaintEvent& event);

private:
    struct ImageInfo
    {
        cv::Mat image;
        int x, y, width, height;
    };
    ImageInfo get_image_info_being_drawn() const;
    void store(const cv::Mat& image);

    cv::Mat source_image_;
    cv::Mat image_being_shown_;
    wxBitmap buffer_;
    wxImage draw_staging_; // where the buffer cannot be written directly
    std::any user_data_;
    bool fitting_pending_ = false; // the stored image could not be fitted yet
};

} // namespace tesk_vumo

#endif
