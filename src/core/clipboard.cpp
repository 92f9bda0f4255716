#include "tesk_vumo/core/viewer_core.h"

#include "../common/display_mapping.h"
#include "../common/rgb_bitmap.h"
#include "../common/view_renderer.h"
#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/common/user_interaction.h"
#include "tesk_vumo/i18n/i18n.h"

#include <filesystem>
#include <string>
#include <vector>

#include <wx/clipbrd.h>
#include <wx/dataobj.h>

namespace tesk_vumo {

namespace {
/// The clipboard, open while it lives.
class OpenClipboard
{
public:
    OpenClipboard() : open_(wxTheClipboard->Open()) {}
    ~OpenClipboard()
    {
        if (open_)
            wxTheClipboard->Close();
    }
    explicit operator bool() const { return open_; }

private:
    bool open_;
};
} // namespace

bool ViewerCore::copy_to_clipboard(bool source)
{
    require_gui_thread(__func__);
    if (source_image_.empty() || !view_)
        return false;
    cv::Mat pixels;
    if (source) {
        const auto selected = get_selection_image(true);
        pixels = selected ? *selected : source_image_;
    } else {
        pixels = view_to_save();
    }
    if (pixels.empty())
        return false;
    if (pixels.type() != CV_8UC3) {
        // The clipboard's images are 8-bit: other samples go as the screen
        // maps them, levels, colour map and all.
        ViewLook shown = look();
        shown.mapping.background = background_rgb();
        cv::Mat rgb(pixels.size(), CV_8UC3);
        map_samples(pixels, shown.mapping, cv::Point(0, 0), rgb);
        pixels = rgb;
    }
    wxImage image = rgb_image(pixels);
    OpenClipboard clipboard;
    if (!clipboard)
        return false;
    return wxTheClipboard->SetData(new wxBitmapDataObject(wxBitmap(image)));
}

bool ViewerCore::paste_from_clipboard()
{
    require_gui_thread(__func__);
    wxBitmapDataObject data;
    {
        OpenClipboard clipboard;
        if (!clipboard || !wxTheClipboard->IsSupported(wxDF_BITMAP) || !wxTheClipboard->GetData(data))
            return false;
    }
    const wxBitmap& bitmap = data.GetBitmap();
    if (!bitmap.IsOk())
        return false;
    const long long pixels = static_cast<long long>(bitmap.GetWidth()) * bitmap.GetHeight();
    if (pixels > static_cast<long long>(max_image_pixels()))
        throw ValueError("The clipboard's image has " + std::to_string(bitmap.GetWidth()) + "x"
                         + std::to_string(bitmap.GetHeight()) + " pixels, more than "
                         + std::to_string(max_image_pixels()));
    const wxImage image = bitmap.ConvertToImage();
    // The toolkit's R, G, B rows, copied: the clipboard's image is gone when
    // this call returns.
    const cv::Mat pasted = cv::Mat(image.GetHeight(), image.GetWidth(), CV_8UC3, image.GetData()).clone();
    set_source_image(pasted);
    return true;
}

void ViewerCore::copy_for_user()
{
    try {
        if (!copy_to_clipboard())
            return;
    } catch (const Error& error) {
        user_interaction().show_message(i18n::tr("复制图像失败") + "\n" + wxString::FromUTF8(error.what()),
                                        i18n::tr("错误"), wxOK | wxICON_ERROR);
    }
}

void ViewerCore::paste_for_user()
{
    try {
        if (paste_from_clipboard())
            return;
        // Files copied in a file manager: loaded as dropped files are.
        wxFileDataObject files;
        bool have_files = false;
        {
            OpenClipboard clipboard;
            have_files = clipboard && wxTheClipboard->IsSupported(wxDF_FILENAME) && wxTheClipboard->GetData(files);
        }
        if (have_files && !files.GetFilenames().IsEmpty()) {
            std::vector<std::filesystem::path> paths;
            for (const wxString& name : files.GetFilenames())
                paths.emplace_back(std::filesystem::u8path(name.utf8_string()));
            const std::filesystem::path first = paths.front();
            paths.erase(paths.begin());
            start_load(first, first.string(), true, std::move(paths));
            return;
        }
        user_interaction().show_message(i18n::tr("剪贴板中没有图像"), i18n::tr("信息"), wxOK | wxICON_INFORMATION);
    } catch (const Error& error) {
        user_interaction().show_message(i18n::tr("粘贴图像失败") + "\n" + wxString::FromUTF8(error.what()),
                                        i18n::tr("错误"), wxOK | wxICON_ERROR);
    }
}

} // namespace tesk_vumo
