// Loading into and saving from an ImagePanel through its docked commands,
// with every dialog answered by a script.

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <opencv2/core.hpp>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>

#include "assist_fixture.h"
#include "permission_checks.h"

namespace tesk_vumo::testing {
namespace {

namespace fs = std::filesystem;

const char* const wildcard = "Image files (*.png;*.jpg;*.jpeg;*.bmp)|*.png;*.jpg;*.jpeg;*.bmp";

bool same_pixels(const cv::Mat& a, const cv::Mat& b)
{
    return a.size() == b.size() && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0;
}

void write_text(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

class PanelFilesTest : public PanelTest
{
protected:
    void load()
    {
        click(panel->ui_button_load);
        ASSERT_TRUE(load_ended(panel));
    }
    void save() { click(panel->ui_button_save); }

    void expect_success_box()
    {
        ASSERT_EQ(script->messages.size(), 1u);
        EXPECT_EQ(script->messages[0].text, wxString::FromUTF8("保存图片成功"));
        EXPECT_EQ(script->messages[0].caption, wxString::FromUTF8("信息"));
        EXPECT_EQ(script->messages[0].style, wxOK | wxICON_INFORMATION);
    }

    /// Shows a gradient of @p width x @p height one to one.
    void show_unzoomed(int width, int height)
    {
        panel->set_zoom_mode(ZoomMode::NoZoom);
        panel->set_source_image(gradient(width, height));
        ASSERT_EQ(panel->image_being_shown().cols, width);
        ASSERT_EQ(panel->image_being_shown().rows, height);
    }

    cv::Mat save_to_file()
    {
        const fs::path path = temp_dir() / "saved.png";
        answer(path);
        save();
        return read_rgb(path);
    }

    fs::path dir = temp_dir();
};

TEST_F(PanelFilesTest, LoadDialogAsksForAnImageFileOverThePanel)
{
    cancel_next();
    load();

    ASSERT_EQ(script->file_dialogs.size(), 1u);
    const FileDialogRequest& asked = script->file_dialogs[0];
    EXPECT_EQ(asked.parent, panel);
    EXPECT_EQ(asked.message, wxString::FromUTF8("请选择需要加载的图片文件名"));
    EXPECT_EQ(asked.wildcard, wildcard);
    EXPECT_EQ(asked.style, wxFD_OPEN);
    EXPECT_TRUE(asked.default_dir.empty());
    EXPECT_TRUE(asked.default_file.empty());
}

TEST_F(PanelFilesTest, CancelledLoadChangesNothing)
{
    const cv::Mat shown_image = gradient(64, 48);
    panel->set_source_image(shown_image);
    const unsigned long fittings = panel->fitting_count();

    cancel_next();
    load();

    EXPECT_EQ(panel->source_image().data, shown_image.data);
    EXPECT_EQ(panel->fitting_count(), fittings);
    EXPECT_TRUE(script->messages.empty());
}

TEST_F(PanelFilesTest, LoadedRedPngReadsOutAsRed)
{
    const fs::path path = dir / "red.png";
    write_rgb(path, solid(40, 30, {255, 0, 0}));
    answer(path);

    load();

    ASSERT_EQ(panel->source_image().size(), cv::Size(40, 30));
    mouse(wxEVT_MOTION, 3, 2);
    EXPECT_EQ(panel->ui_rgb->GetValue(), "255, 0, 0");
    EXPECT_TRUE(script->messages.empty());
}

TEST_F(PanelFilesTest, LoadingAFileThatIsNoImageKeepsThePictureAndSaysWhy)
{
    const cv::Mat before = gradient(64, 48);
    panel->set_source_image(before);
    const fs::path path = dir / "notes.png";
    write_text(path, "these bytes are not a picture");
    answer(path);

    load();

    EXPECT_EQ(panel->source_image().data, before.data);
    ASSERT_EQ(script->messages.size(), 1u);
    EXPECT_EQ(script->messages[0].text, wxString::FromUTF8("加载图片文件失败，请检查路径中是否有不受支持的字符。[")
                                            + path.string() + "]\n"
                                            + wxString::FromUTF8("文件不是受支持格式的图片"));
    EXPECT_EQ(script->messages[0].caption, wxString::FromUTF8("错误"));
    EXPECT_EQ(script->messages[0].style, wxOK | wxICON_ERROR);
    mouse(wxEVT_MOTION, 3, 2);
    EXPECT_NE(panel->get_mouse_image_position(), wxPoint(-1, -1)) << "the picture is still there";

    // Saving after the source was cleared writes nothing of the picture left on screen.
    panel->set_source_image(std::nullopt);
    script->messages.clear();
    save();
    EXPECT_TRUE(script->messages.empty());
}

TEST_F(PanelFilesTest, SaveWithNoImageShownAsksNothing)
{
    save();
    EXPECT_TRUE(script->file_dialogs.empty());
    EXPECT_TRUE(script->messages.empty());
}

TEST_F(PanelFilesTest, SaveDialogProposesImagePngAndAsksBeforeReplacingAFile)
{
    show_unzoomed(80, 60);
    const fs::path path = dir / "existing.png";
    write_rgb(path, solid(5, 5, {0, 255, 0}));
    answer(path);

    save();

    ASSERT_EQ(script->file_dialogs.size(), 1u);
    const FileDialogRequest& asked = script->file_dialogs[0];
    EXPECT_EQ(asked.parent, panel);
    EXPECT_EQ(asked.message, wxString::FromUTF8("请给保存的文件指定路径、名称"));
    EXPECT_EQ(asked.default_file, "image.png");
    EXPECT_TRUE(asked.default_dir.empty());
    EXPECT_EQ(asked.wildcard, wildcard);
    EXPECT_EQ(asked.style, wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    expect_success_box();
    EXPECT_TRUE(same_pixels(read_rgb(path), panel->image_being_shown()));
}

TEST_F(PanelFilesTest, CancelledSaveWritesNothing)
{
    show_unzoomed(80, 60);
    cancel_next();
    save();
    EXPECT_TRUE(fs::is_empty(dir));
    EXPECT_TRUE(script->messages.empty());
}

TEST_F(PanelFilesTest, WithoutSelectionTheDisplayedImageIsSavedNotTheSource)
{
    panel->set_source_image(gradient(300, 200));
    panel->set_rotation(Rotation::ClockWise90);
    const cv::Mat& shown = panel->image_being_shown();
    ASSERT_NE(shown.size(), cv::Size(300, 200));
    ASSERT_NE(shown.size(), cv::Size(200, 300)) << "the panel should zoom the picture";

    const cv::Mat saved = save_to_file();

    EXPECT_TRUE(same_pixels(saved, shown)) << "saved " << saved.size << " shown " << shown.size;
    expect_success_box();
}

TEST_F(PanelFilesTest, SelectionDecidesWhatIsSaved)
{
    show_unzoomed(800, 600);
    const cv::Mat shown = panel->image_being_shown().clone();

    {
        SCOPED_TRACE("dragged right and down");
        drag({100, 50}, {299, 149});
        EXPECT_TRUE(same_pixels(save_to_file(), shown(cv::Rect(100, 50, 200, 100))));
    }
    {
        SCOPED_TRACE("dragged up and left: the same pixels the panel reports");
        drag({100, 50}, {20, 10});
        ASSERT_EQ(panel->selection_rect().width, -81);
        EXPECT_TRUE(same_pixels(save_to_file(), shown(cv::Rect(20, 10, 81, 41))));
        EXPECT_TRUE(same_pixels(*panel->get_selection_image(), shown(cv::Rect(20, 10, 81, 41))));
    }
    {
        SCOPED_TRACE("past the right and bottom edges: only the inside");
        panel->set_selection_rect({700, 550, 300, 200});
        EXPECT_TRUE(same_pixels(save_to_file(), shown(cv::Rect(700, 550, 100, 50))));
    }
    EXPECT_EQ(script->messages.size(), 3u);
}

TEST_F(PanelFilesTest, ASelectionWhollyPastTheFarEdgesSavesNothing)
{
    // Cut at the right or bottom edge, such a selection keeps no pixel: the
    // write fails rather than saving something the user did not select.
    show_unzoomed(80, 60);
    const fs::path target = dir / "kept.png";
    write_text(target, "old png");
    for (const std::array<int, 4> selection : {std::array<int, 4>{80, 10, 20, 20}, {10, 60, 5, 5}, {500, 400, 9, 9}}) {
        SCOPED_TRACE(selection[0]);
        script->messages.clear();
        panel->set_selection_rect(selection);
        answer(target);
        save();
        ASSERT_EQ(script->messages.size(), 1u);
        EXPECT_EQ(script->messages[0].text, wxString::FromUTF8("保存图片失败\n[" + target.string() + "]\n没有可保存的图片"));
        EXPECT_EQ(file_bytes(target), "old png");
    }
}

TEST_F(PanelFilesTest, WhatIsSavedIsTakenBeforeTheDialogOpens)
{
    show_unzoomed(320, 240);
    const cv::Mat before = panel->image_being_shown().clone();
    // A refit while the dialog is open (e.g. the host window resized) must not change the file.
    script->while_asking = [this] { panel->set_rotation(Rotation::ClockWise90); };

    EXPECT_TRUE(same_pixels(save_to_file(), before));
}

TEST_F(PanelFilesTest, RedStaysRedThroughSaveAndLoad)
{
    const fs::path red = dir / "red.png";
    write_rgb(red, solid(40, 30, {255, 0, 0}));
    answer(red);
    load();

    const fs::path copy = dir / "copy.png";
    answer(copy);
    save();
    const cv::Mat written = read_rgb(copy);
    ASSERT_FALSE(written.empty());
    EXPECT_TRUE(same_pixels(written, cv::Mat(written.size(), CV_8UC3, cv::Scalar(255, 0, 0))));

    panel->set_source_image(gradient(40, 30));
    answer(copy);
    load();
    mouse(wxEVT_MOTION, 5, 5);
    EXPECT_EQ(panel->ui_rgb->GetValue(), "255, 0, 0");
}

TEST_F(PanelFilesTest, FailedWritesShowTheFailureBoxAndKeepWhatWasThere)
{
    show_unzoomed(80, 60);
    const fs::path plain_file = dir / "plain.txt";
    write_text(plain_file, "a file, not a folder");
    const fs::path folder_target = dir / "folder.png";
    fs::create_directory(folder_target);
    const fs::path unknown_format = dir / "kept.xyz";
    write_text(unknown_format, "old contents");

    struct Case
    {
        const char* what;
        fs::path path;
        const char* cause; // the second line of the box
    };
    // A pipe with nobody reading it cannot be opened for writing.
    const fs::path pipe = dir / "pipe.png";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::vector<Case> cases = {
        {"folder that does not exist", dir / "missing" / "x.png", "文件或文件夹不存在"},
        {"parent is a regular file", plain_file / "x.png", "路径中有一段不是文件夹"},
        {"target is a folder", folder_target, "这是一个文件夹"},
        {"extension without an encoder", unknown_format, "没有扩展名 .xyz 的图片编码器"},
        {"pipe without a reader", pipe, "设备不存在，或管道没有读取方"},
    };
    fs::path read_only_target;
    PermissionChecksEnforced as_a_user;
    if (as_a_user.enforced()) {
        // Neither a new file in the folder nor a write to the file itself.
        const fs::path locked = dir / "locked";
        fs::create_directory(locked);
        read_only_target = locked / "kept.png";
        write_text(read_only_target, "old png");
        fs::permissions(read_only_target, fs::perms::owner_read);
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
        cases.push_back({"read-only folder and file", read_only_target, "没有访问权限"});
    }

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        script->messages.clear();
        answer(c.path);
        save();
        ASSERT_EQ(script->messages.size(), 1u);
        // The written text, the file and the cause in the language of the texts.
        EXPECT_EQ(script->messages[0].text, wxString::FromUTF8("保存图片失败\n[" + c.path.string() + "]\n" + c.cause));
        EXPECT_EQ(script->messages[0].caption, wxString::FromUTF8("错误"));
        EXPECT_EQ(script->messages[0].style, wxOK | wxICON_ERROR);
    }

    EXPECT_TRUE(fs::is_directory(folder_target));
    EXPECT_TRUE(fs::is_empty(folder_target));
    EXPECT_EQ(file_bytes(unknown_format), "old contents");
    EXPECT_FALSE(fs::exists(dir / "missing"));
    if (!read_only_target.empty()) {
        fs::permissions(read_only_target.parent_path(), fs::perms::owner_all);
        EXPECT_EQ(file_bytes(read_only_target), "old png");
    }
    // No temporary file may be left behind beside the targets.
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), read_only_target.empty() ? 4 : 5);
}

TEST_F(PanelFilesTest, ChineseFileNameSaves)
{
    show_unzoomed(80, 60);
    const fs::path path = dir / fs::u8path("保存的图片.png");
    answer(path);

    save();

    expect_success_box();
    EXPECT_TRUE(same_pixels(read_rgb(path), panel->image_being_shown()));
}

} // namespace
} // namespace tesk_vumo::testing
