#include "tesk_vumo/viewer/image.h"

#include "../files/view_files.h"
#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/common/user_interaction.h"
#include "tesk_vumo/i18n/i18n.h"

#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/strconv.h>

namespace tesk_vumo {

void Image::on_load_image(wxCommandEvent&)
{
    require_gui_thread(__func__);
    if (const auto path = view_files::ask_load_path(this))
        load_for_user(*path);
}

cv::Mat Image::get_image_to_save(bool grayscale) const
{
    return view_files::image_to_save(view_to_save(), grayscale);
}

void Image::save_current_view(bool grayscale)
{
    if (displayed_size().area() == 0 || source_image().empty())
        return;
    const cv::Mat samples = get_image_to_save(grayscale);
    view_files::save_with_dialog(this, samples, wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
}

void Image::on_save_current_view(wxCommandEvent&)
{
    require_gui_thread(__func__);
    save_current_view(false);
}

void Image::on_save_grayscale(wxCommandEvent&)
{
    require_gui_thread(__func__);
    save_current_view(true);
}

void Image::on_save_source_selection(wxCommandEvent&)
{
    require_gui_thread(__func__);
    save_source_selection();
}

void Image::on_copy_image(wxCommandEvent&)
{
    require_gui_thread(__func__);
    copy_for_user();
}

void Image::on_paste_image(wxCommandEvent&)
{
    require_gui_thread(__func__);
    paste_for_user();
}

} // namespace tesk_vumo
