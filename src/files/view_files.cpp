#include "view_files.h"

#include "tesk_vumo/common/image_source.h"
#include "tesk_vumo/common/image_writer.h"
#include "tesk_vumo/common/user_interaction.h"
#include "tesk_vumo/forms/event_guard.h"
#include "tesk_vumo/i18n/i18n.h"

#include <opencv2/imgproc.hpp>
#include <wx/filedlg.h>
#include <wx/strconv.h>
#include <wx/utils.h>
#include <wx/msgdlg.h>
#include <wx/weakref.h>

namespace tesk_vumo::view_files {

const char* const image_wildcard = "Image files (*.png;*.jpg;*.jpeg;*.bmp)|*.png;*.jpg;*.jpeg;*.bmp";

namespace {
std::filesystem::path to_path(const wxString& text)
{
    return std::filesystem::path(static_cast<const char*>(text.fn_str()));
}
} // namespace

std::optional<std::filesystem::path> ask_load_path(wxWindow* parent)
{
    FileDialogRequest request;
    request.parent = parent;
    request.message = i18n::tr("请选择需要加载的图片文件名");
    request.wildcard = image_wildcard;
    request.style = wxFD_OPEN;
    const wxWeakRef<wxWindow> viewer(parent);
    const auto chosen = user_interaction().ask_path(request);
    // Whoever answered may have destroyed the viewer meanwhile; then there
    // is nothing left to load into.
    if (!chosen || !viewer)
        return std::nullopt;
    return to_path(*chosen);
}

cv::Mat image_to_save(const cv::Mat& part, bool grayscale)
{
    // A selection with nothing of it inside the image leaves nothing to write.
    if (part.empty())
        return cv::Mat();
    cv::Mat samples;
    cv::cvtColor(part, samples, grayscale ? cv::COLOR_RGB2GRAY : cv::COLOR_RGB2BGR);
    return samples;
}

cv::Mat source_to_save(const cv::Mat& part)
{
    // A copy even so: the part may share the caller's memory, which may
    // change while the dialog is open.
    if (part.channels() != 3 && part.channels() != 4)
        return part.clone();
    // mixChannels, unlike cvtColor, takes every depth a source may have.
    cv::Mat samples(part.size(), part.type());
    const int swap_red_blue[] = {0, 2, 1, 1, 2, 0, 3, 3};
    cv::mixChannels(&part, 1, &samples, 1, swap_red_blue, static_cast<size_t>(part.channels()));
    return samples;
}

void save_with_dialog(wxWindow* parent, const cv::Mat& samples, long dialog_style)
{
    FileDialogRequest request;
    request.parent = parent;
    request.message = i18n::tr("请给保存的文件指定路径、名称");
    request.default_file = "image.png";
    request.wildcard = image_wildcard;
    request.style = dialog_style;
    const auto chosen = user_interaction().ask_path(request);
    if (!chosen)
        return;
    WriteResult written;
    {
        wxBusyCursor busy;
        run_image_work([&] { written = write_image_file(to_path(*chosen), samples); });
    }
    if (written)
        user_interaction().show_message(i18n::tr("保存图片成功"), i18n::tr("信息"), wxOK | wxICON_INFORMATION);
    else
        user_interaction().show_message(i18n::tr("保存图片失败") + "\n[" + *chosen + "]\n"
                                            + wxString::FromUTF8(written.message()),
                                        i18n::tr("错误"), wxOK | wxICON_ERROR);
}

void show_load_failure(const std::string& path_text, const std::string& cause)
{
    // The file's name need not be valid UTF-8.
    const wxString first_line(read_failure_message(SourceMessages::ContextViewer, path_text).c_str(),
                              wxMBConvUTF8(wxMBConvUTF8::MAP_INVALID_UTF8_TO_OCTAL));
    user_interaction().show_message(first_line + "\n" + wxString::FromUTF8(cause), i18n::tr("错误"),
                                    wxOK | wxICON_ERROR);
}

} // namespace tesk_vumo::view_files
