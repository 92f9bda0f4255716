#include "tesk_vumo/panel/image_panel.h"

#include "view_files.h"
#include "tesk_vumo/common/image_source.h"

#include <wx/filedlg.h>

namespace tesk_vumo {

void ImagePanel::on_load_image(wxCommandEvent&)
{
    const auto path = view_files::ask_load_path(this);
    if (!path)
        return;
    const cv::Mat image = decode_image_file(*path);
    if (image.empty())
        set_source_image(std::nullopt);
    else
        store_source(image, true);
}

void ImagePanel::on_save_image(wxCommandEvent&)
{
    if (image_being_shown().empty())
        return;
    // Taken before the dialog: while it is open, a resize may refit the panel.
    const cv::Mat samples = view_files::image_to_save(image_being_shown(), selection_rect(), false);
    view_files::save_with_dialog(this, samples, wxFD_SAVE);
}

} // namespace tesk_vumo
