#include "tesk_vumo/panel/image_panel.h"

#include "../files/view_files.h"

#include <wx/filedlg.h>

namespace tesk_vumo {

void ImagePanel::on_load_image(wxCommandEvent&)
{
    require_gui_thread(__func__);
    if (const auto path = view_files::ask_load_path(this))
        load_for_user(*path);
}

void ImagePanel::on_save_image(wxCommandEvent&)
{
    require_gui_thread(__func__);
    // With the source cleared the picture left on screen is no image of the panel's.
    if (displayed_size().area() == 0 || source_image().empty())
        return;
    // Taken before the dialog: while it is open, a resize may refit the panel.
    const cv::Mat samples = view_files::image_to_save(view_to_save(), false);
    view_files::save_with_dialog(this, samples, wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
}

void ImagePanel::on_copy_image(wxCommandEvent&)
{
    require_gui_thread(__func__);
    copy_for_user();
}

void ImagePanel::on_paste_image(wxCommandEvent&)
{
    require_gui_thread(__func__);
    paste_for_user();
}

} // namespace tesk_vumo
