#include "tesk_vumo/viewer/image.h"

#include "../panel/view_files.h"
#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/common/user_interaction.h"
#include "tesk_vumo/forms/i18n.h"

#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/strconv.h>

namespace tesk_vumo {

void Image::on_load_image(wxCommandEvent&)
{
    const auto path = view_files::ask_load_path(this);
    if (!path)
        return;
    try {
        set_source_image(*path);
    } catch (const AssertionError& error) {
        // The previous image stays; the user still has to learn why nothing changed.
        // The message names the file, whose name need not be valid UTF-8.
        const wxString text(error.what(), wxMBConvUTF8(wxMBConvUTF8::MAP_INVALID_UTF8_TO_OCTAL));
        user_interaction().show_message(text, i18n::tr("错误"), wxOK | wxICON_ERROR);
    }
}

cv::Mat Image::get_image_to_save(bool grayscale) const
{
    return view_files::image_to_save(image_being_shown(), selection_rect(), grayscale);
}

void Image::save_current_view(bool grayscale)
{
    if (image_being_shown().empty())
        return;
    const cv::Mat samples = get_image_to_save(grayscale);
    view_files::save_with_dialog(this, samples, wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
}

void Image::on_save_current_view(wxCommandEvent&)
{
    save_current_view(false);
}

void Image::on_save_grayscale(wxCommandEvent&)
{
    save_current_view(true);
}

} // namespace tesk_vumo
