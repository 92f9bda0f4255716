// The clipboard and dropped files: copy puts what the user sees (or the
// source's pixels) on the clipboard, paste shows the clipboard's image, and
// files dropped on the viewer load unless the host vetoes the drop.

#include <string>
#include <vector>

#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/dnd.h>

#include "panel_fixture.h"
#include "tesk_vumo/viewer/image.h"
#include "scripted_interaction.h"

namespace tesk_vumo::testing {
namespace {

/// The clipboard's image as 8-bit R, G, B, empty when it holds none.
cv::Mat clipboard_image()
{
    wxBitmapDataObject data;
    if (!wxTheClipboard->Open())
        return cv::Mat();
    const bool got = wxTheClipboard->IsSupported(wxDF_BITMAP) && wxTheClipboard->GetData(data);
    wxTheClipboard->Close();
    if (!got)
        return cv::Mat();
    const wxImage image = data.GetBitmap().ConvertToImage();
    return cv::Mat(image.GetHeight(), image.GetWidth(), CV_8UC3, image.GetData()).clone();
}

bool same(const cv::Mat& a, const cv::Mat& b)
{
    return a.size() == b.size() && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0;
}

class DesktopTest : public PanelTest
{
protected:
    void key(int code, int modifiers)
    {
        wxKeyEvent event(wxEVT_KEY_DOWN);
        event.m_keyCode = code;
        event.SetControlDown((modifiers & wxMOD_CONTROL) != 0);
        event.SetEventObject(panel->ui_image);
        panel->ui_image->ProcessWindowEvent(event);
    }
};

TEST_F(DesktopTest, CopyPutsTheShownOrTheSourcePixelsOnTheClipboardAndPasteShowsThem)
{
    ASSERT_NO_FATAL_FAILURE(set_surface(200, 150));
    cv::Mat source(30, 40, CV_8UC3);
    cv::randu(source, 0, 256);
    panel->set_source_image(source);
    panel->set_selection_rect({10, 10, 50, 40});

    ASSERT_TRUE(panel->copy_to_clipboard());
    EXPECT_TRUE(same(clipboard_image(), *panel->get_selection_image()));
    ASSERT_TRUE(panel->copy_to_clipboard(true));
    const cv::Mat source_part = *panel->get_selection_image(true);
    EXPECT_EQ(source_part.size(), cv::Size(10, 8));
    EXPECT_TRUE(same(clipboard_image(), source_part));

    // Ctrl+C without a selection copies the whole view; Ctrl+V shows it.
    panel->set_selection_rect({-1, -1, 0, 0});
    key('C', wxMOD_CONTROL);
    const cv::Mat view = panel->image_being_shown().clone();
    EXPECT_TRUE(same(clipboard_image(), view));
    panel->set_source_image(solid(8, 8, {0, 255, 0}));
    key('V', wxMOD_CONTROL);
    EXPECT_TRUE(same(panel->source_image(), view));

    // An empty clipboard changes nothing, and the user is told why.
    ASSERT_TRUE(wxTheClipboard->Open());
    wxTheClipboard->Clear();
    wxTheClipboard->Close();
    ScriptedInteractionScope scope;
    EXPECT_FALSE(panel->paste_from_clipboard());
    key('V', wxMOD_CONTROL);
    EXPECT_TRUE(same(panel->source_image(), view));
    ASSERT_EQ(scope.script->messages.size(), 1u);
    EXPECT_EQ(scope.script->messages[0].text, wxString::FromUTF8("剪贴板中没有图像"));

    // A file copied in a file manager is loaded.
    const auto red = temp_dir() / "copied.png";
    write_rgb(red, solid(6, 4, {255, 0, 0}));
    auto* files = new wxFileDataObject;
    files->AddFile(red.string());
    ASSERT_TRUE(wxTheClipboard->Open());
    wxTheClipboard->SetData(files);
    wxTheClipboard->Close();
    key('V', wxMOD_CONTROL);
    ASSERT_TRUE(load_ended(panel));
    EXPECT_TRUE(same(panel->source_image(), solid(6, 4, {255, 0, 0})));
    EXPECT_EQ(scope.script->messages.size(), 1u);
}

TEST_F(DesktopTest, DroppedFilesLoadTheFirstThatDecodesUnlessTheHostVetoes)
{
    EXPECT_NE(panel->ui_image->GetDropTarget(), nullptr);
    const auto broken = temp_dir() / "broken.png";
    {
        std::FILE* file = std::fopen(broken.string().c_str(), "wb");
        std::fputs("not an image", file);
        std::fclose(file);
    }
    const auto red = temp_dir() / "red.png";
    write_rgb(red, solid(12, 9, {255, 0, 0}));
    std::vector<std::vector<std::string>> drops;
    bool refuse = false;
    panel->Bind(EVT_VIEWER_DROP, [&](ViewerEvent& event) {
        drops.push_back(event.paths());
        if (refuse)
            event.veto();
    });

    const std::vector<std::string> paths{broken.string(), red.string()};
    ScriptedInteractionScope scope;
    EXPECT_TRUE(panel->on_drop_files(5, 5, paths));
    ASSERT_TRUE(load_ended(panel));
    EXPECT_EQ(drops, std::vector<std::vector<std::string>>{paths});
    EXPECT_TRUE(same(panel->source_image(), solid(12, 9, {255, 0, 0})));
    EXPECT_TRUE(scope.script->messages.empty());

    refuse = true;
    const cv::Mat before = panel->source_image();
    EXPECT_FALSE(panel->on_drop_files(5, 5, {broken.string()}));
    EXPECT_FALSE(panel->loading());
    EXPECT_EQ(drops.size(), 2u);
    EXPECT_EQ(panel->source_image().data, before.data);
}

TEST_F(DesktopTest, TheBarsButtonsAndTheMenusItemsCopyAndPaste)
{
    ASSERT_NO_FATAL_FAILURE(set_surface(200, 150));
    panel->set_source_image(solid(20, 10, {10, 20, 30}));
    wxCommandEvent copy(wxEVT_BUTTON, panel->ui_button_copy->GetId());
    copy.SetEventObject(panel->ui_button_copy);
    panel->ui_button_copy->ProcessWindowEvent(copy);
    EXPECT_TRUE(same(clipboard_image(), panel->image_being_shown()));

    auto* image = new Image(frame, wxSize(100, 100));
    wxCommandEvent paste(wxEVT_MENU, ImageForm::ID_PASTE_IMAGE);
    image->ProcessWindowEvent(paste);
    EXPECT_TRUE(same(image->source_image(), panel->image_being_shown()));
    EXPECT_NE(image->ui_poup_menu->FindItem(ImageForm::ID_COPY_IMAGE), nullptr);
}

} // namespace
} // namespace tesk_vumo::testing
