#include "tesk_vumo/panel/image_panel.h"

#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/forms/event_guard.h"

namespace tesk_vumo {

ImagePanel::ImagePanel(wxWindow* parent, const wxSize& size)
    : ViewerCore<ImagePanelForm>(parent, size, SourceMessages::Standard)
{
}

ImagePanel::~ImagePanel()
{
    on_going_to_destroy();
}

void ImagePanel::enable_middle_lines(bool enabled)
{
    ui_checkbox_middle_lines->SetValue(enabled);
}

void ImagePanel::on_change_zoom_mode(wxCommandEvent&)
{
    try {
        do_set_zoom_mode(zoom_mode_from_index(ui_zoom_mode->GetSelection()));
    } catch (const Error& error) {
        report_handler_error(error);
    }
}

void ImagePanel::on_change_rotation(wxCommandEvent&)
{
    try {
        set_rotation(rotation_from_index(ui_angle->GetSelection()));
    } catch (const Error& error) {
        report_handler_error(error);
    }
}

void ImagePanel::on_show_middle_lines(wxCommandEvent&)
{
    draw_image();
}

void ImagePanel::on_show_following_lines(wxCommandEvent&)
{
    draw_image();
}

} // namespace tesk_vumo
