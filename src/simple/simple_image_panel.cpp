#include "tesk_vumo/simple/simple_image_panel.h"

#include "../common/image_memory.h"
#include "../common/rgb_bitmap.h"
#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/common/image_source.h"
#include "tesk_vumo/common/view_geometry.h"
#include "tesk_vumo/forms/event_guard.h"

#include <opencv2/imgproc.hpp>
#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/utils.h>

namespace tesk_vumo {

SimpleImagePanel::SimpleImagePanel(wxWindow* parent, const wxSize& size)
    : SimpleImagePanel(parent, wxID_ANY, wxDefaultPosition, size)
{
}

SimpleImagePanel::SimpleImagePanel(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                                   long style, const wxString& name)
    : wxPanel(on_gui_thread(parent, "SimpleImagePanel"), id, pos, size, style, name)
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, guarded(this, &SimpleImagePanel::on_paint, "on_paint"));
    Bind(wxEVT_SIZE, guarded(this, &SimpleImagePanel::on_size, "on_size"));
    init_buffer();
}

void SimpleImagePanel::set_source_image(const cv::Mat& image)
{
    require_gui_thread(__func__);
    store(accept_source_array(image, SourceMessages::Standard));
}

void SimpleImagePanel::set_source_image(const std::filesystem::path& path)
{
    require_gui_thread(__func__);
    set_source_image(path, path.string());
}

void SimpleImagePanel::set_source_image(const std::filesystem::path& path, const std::string& path_text)
{
    require_gui_thread(__func__);
    cv::Mat image;
    {
        wxBusyCursor busy;
        run_image_work([&] { image = read_source_file(path, path_text, SourceMessages::Standard); });
    }
    store(image);
}

void SimpleImagePanel::set_source_image(std::nullopt_t)
{
    require_gui_thread(__func__);
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
    require_gui_thread(__func__);
    const wxSize client = GetClientSize();
    if (client.x <= 0 || client.y <= 0)
        return;
    const bool new_size =
        !buffer_.IsOk() || source_image_.empty() || buffer_.GetSize() != device_size(*this, client);
    if (new_size) {
        buffer_ = device_bitmap(*this);
        // A new bitmap holds whatever memory it was given (on GTK even
        // pieces of earlier pictures), and without an image nothing else
        // draws into it before the next paint shows it.
        fill_bitmap(buffer_, GetBackgroundColour());
    }
    // An image set while the window had no area could not be fitted; the
    // buffer may be back at its old size, but the picture is not.
    if (new_size || fitting_pending_)
        fitting();
}

void SimpleImagePanel::fitting()
{
    require_gui_thread(__func__);
    fitting_pending_ = false;
    if (source_image_.empty())
        return;
    // The picture has the device's resolution, within the client area
    // (inside any border).
    const wxSize area = device_size(*this, GetClientSize());
    cv::Size size;
    try {
        size = geometry::fitted_size(ZoomMode::FitPage, source_image_.size(), {area.x, area.y});
    } catch (const ValueError&) {
        // A window without area has no scale; the next resize fits again.
        fitting_pending_ = true;
        return;
    }
    // New memory only when a host still holds the previous image or its
    // size changed: fresh pages cost a fault each on first touch.
    cv::Mat shown;
    if (held_alone(image_being_shown_))
        shown = image_being_shown_;
    make_image(shown, size, CV_8UC3);
    cv::resize(source_image_, shown, size);
    image_being_shown_ = shown;
    draw_image();
}

SimpleImagePanel::ImageInfo SimpleImagePanel::get_image_info_being_drawn() const
{
    if (image_being_shown_.empty())
        return {cv::Mat(), -1, -1, 0, 0};
    const wxSize client = device_size(*this, GetClientSize());
    const cv::Point origin = geometry::centred_origin(image_being_shown_.size(), {client.x, client.y});
    return {image_being_shown_, origin.x, origin.y, image_being_shown_.cols, image_being_shown_.rows};
}

void SimpleImagePanel::draw_image()
{
    require_gui_thread(__func__);
    const ImageInfo info = get_image_info_being_drawn();
    if (info.image.empty() || !buffer_.IsOk())
        return;
    compose_rgb(buffer_, info.image, wxPoint(info.x, info.y), GetBackgroundColour(), draw_staging_);
    show_buffer(*this);
}

void SimpleImagePanel::on_size(wxSizeEvent& event)
{
    require_gui_thread(__func__);
    init_buffer();
    event.Skip();
}

void SimpleImagePanel::on_paint(wxPaintEvent&)
{
    require_gui_thread(__func__);
    if (!buffer_.IsOk()) {
        wxPaintDC dc(this);
        return;
    }
    wxBufferedPaintDC dc(this, buffer_);
}

} // namespace tesk_vumo
