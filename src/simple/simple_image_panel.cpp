#include "tesk_vumo/simple/simple_image_panel.h"

#include "../common/rgb_bitmap.h"
#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/common/image_source.h"
#include "tesk_vumo/common/view_geometry.h"
#include "tesk_vumo/forms/event_guard.h"

#include <opencv2/imgproc.hpp>
#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>

namespace tesk_vumo {

SimpleImagePanel::SimpleImagePanel(wxWindow* parent, const wxSize& size)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, size)
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, guarded(this, &SimpleImagePanel::on_paint));
    Bind(wxEVT_SIZE, guarded(this, &SimpleImagePanel::on_size));
    init_buffer();
}

void SimpleImagePanel::set_source_image(const cv::Mat& image)
{
    store(accept_source_array(image, SourceMessages::Standard));
}

void SimpleImagePanel::set_source_image(const std::filesystem::path& path)
{
    set_source_image(path, path.string());
}

void SimpleImagePanel::set_source_image(const std::filesystem::path& path, const std::string& path_text)
{
    store(read_source_file(path, path_text, SourceMessages::Standard));
}

void SimpleImagePanel::set_source_image(std::nullopt_t)
{
    source_image_ = cv::Mat();
    init_buffer();
}

void SimpleImagePanel::store(const cv::Mat& image)
{
    source_image_ = image;
    fitting();
}

void SimpleImagePanel::init_buffer()
{
    const wxSize client = GetClientSize();
    if (client.x <= 0 || client.y <= 0)
        return;
    const bool new_size = !buffer_.IsOk() || source_image_.empty() || buffer_.GetSize() != client;
    if (new_size) {
        buffer_ = wxBitmap(client.x, client.y);
        // A new bitmap holds whatever memory it was given (on GTK even
        // pieces of earlier pictures), and without an image nothing else
        // draws into it before the next paint shows it.
        wxMemoryDC dc(buffer_);
        dc.SetBackground(wxBrush(GetBackgroundColour()));
        dc.Clear();
    }
    // An image set while the window had no area could not be fitted; the
    // buffer may be back at its old size, but the picture is not.
    if (new_size || fitting_pending_)
        fitting();
}

void SimpleImagePanel::fitting()
{
    fitting_pending_ = false;
    if (source_image_.empty())
        return;
    const wxSize window = GetSize();
    cv::Size size;
    try {
        size = geometry::fitted_size(ZoomMode::FitPage, source_image_.size(), {window.x, window.y});
    } catch (const ValueError&) {
        // A window without area has no scale; the next resize fits again.
        fitting_pending_ = true;
        return;
    }
    // Always a new image: a host may still hold the previous one.
    cv::Mat shown;
    cv::resize(source_image_, shown, size);
    image_being_shown_ = shown;
    draw_image();
}

SimpleImagePanel::ImageInfo SimpleImagePanel::get_image_info_being_drawn() const
{
    if (image_being_shown_.empty())
        return {cv::Mat(), -1, -1, 0, 0};
    const wxSize client = GetClientSize();
    const cv::Point origin = geometry::centred_origin(image_being_shown_.size(), {client.x, client.y});
    return {image_being_shown_, origin.x, origin.y, image_being_shown_.cols, image_being_shown_.rows};
}

void SimpleImagePanel::draw_image()
{
    const ImageInfo info = get_image_info_being_drawn();
    if (info.image.empty() || !buffer_.IsOk())
        return;
    wxClientDC client_dc(this);
    wxBufferedDC dc(&client_dc, buffer_);
    dc.SetBackground(wxBrush(GetBackgroundColour()));
    dc.Clear();
    dc.DrawBitmap(bitmap_from_rgb(info.image), info.x, info.y, false);
}

void SimpleImagePanel::on_size(wxSizeEvent& event)
{
    init_buffer();
    event.Skip();
}

void SimpleImagePanel::on_paint(wxPaintEvent&)
{
    if (!buffer_.IsOk()) {
        wxPaintDC dc(this);
        return;
    }
    wxBufferedPaintDC dc(this, buffer_);
}

} // namespace tesk_vumo
