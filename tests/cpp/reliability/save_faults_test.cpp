// Saving when the file system says no: the failure box is shown, a file
// already at the target keeps every byte, and no temporary file is left.

#include "permission_checks.h"
#include "reliability_support.h"
#include "scripted_interaction.h"
#include "test_support.h"

#include "tesk_vumo/panel/image_panel.h"
#include "tesk_vumo/viewer/image.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <functional>
#include <set>

#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <opencv2/imgcodecs.hpp>
#include <wx/msgdlg.h>
#include <wx/sizer.h>

using namespace tesk_vumo;
using namespace tesk_vumo::testing;
namespace fs = std::filesystem;

namespace {

std::set<fs::path> listing(const fs::path& dir)
{
    std::set<fs::path> names;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        names.insert(entry.path());
    return names;
}

void write_text(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

/// Lets the process write at most @p bytes into any file while it lives,
/// as a disk with that much room left would (writes past it fail).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        previous_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previous_handler_);
    }

private:
    rlimit previous_{};
    void (*previous_handler_)(int) = nullptr;
};

/// The save commands of both full viewers, driven as a user would.
class SaveFaultsTest : public FrameTest
{
protected:
    void SetUp() override
    {
        client_size = wxSize(700, 400);
        FrameTest::SetUp();
        panel = new ImagePanel(frame, wxSize(350, 400));
        image = new Image(frame, wxSize(350, 400));
        frame->SetSizer(new wxBoxSizer(wxHORIZONTAL));
        frame->GetSizer()->Add(panel, 1, wxEXPAND);
        frame->GetSizer()->Add(image, 1, wxEXPAND);
        frame->Layout();
        pump();
        // Noise does not compress: the files are far larger than a block.
        cv::Mat noise(200, 300, CV_8UC3);
        cv::randu(noise, 0, 256);
        panel->set_zoom_mode(ZoomMode::NoZoom);
        panel->set_source_image(noise);
        image->set_zoom_mode(ZoomMode::NoZoom);
        image->set_source_image(noise);
    }

    struct Command
    {
        const char* name;
        std::function<void()> run;
    };
    std::vector<Command> commands()
    {
        return {
            {"ImagePanel's save button",
             [this] {
                 wxCommandEvent click(wxEVT_BUTTON, panel->ui_button_save->GetId());
                 deliver(panel->ui_button_save, click, "the save button");
             }},
            {"Image's colour save",
             [this] {
                 wxCommandEvent command(wxEVT_MENU, ImageForm::ID_SAVE_CURRENT_VIEW);
                 deliver(image, command, "the save item");
             }},
            {"Image's gray save",
             [this] {
                 wxCommandEvent command(wxEVT_MENU, ImageForm::ID_SAVE_GRAYSCALE);
                 deliver(image, command, "the gray save item");
             }},
        };
    }

    /// Saves to @p target with @p command and expects the failure box.
    void expect_failure(const Command& command, const fs::path& target)
    {
        dialogs.script->messages.clear();
        dialogs.script->paths.push_back(wxString(target.c_str(), *wxConvFileName));
        command.run();
        ASSERT_EQ(dialogs.script->messages.size(), 1u);
        EXPECT_EQ(dialogs.script->messages[0].text.BeforeFirst('\n'), wxString::FromUTF8("保存图片失败"));
        EXPECT_FALSE(dialogs.script->messages[0].text.AfterFirst('\n').empty()) << "no cause given";
        EXPECT_EQ(dialogs.script->messages[0].style, wxOK | wxICON_ERROR);
        ++faults_injected;
    }

    void expect_success(const Command& command, const fs::path& target)
    {
        dialogs.script->messages.clear();
        dialogs.script->paths.push_back(wxString(target.c_str(), *wxConvFileName));
        command.run();
        ASSERT_EQ(dialogs.script->messages.size(), 1u);
        EXPECT_EQ(dialogs.script->messages[0].style, wxOK | wxICON_INFORMATION);
        EXPECT_EQ(cv::imread(target.string(), cv::IMREAD_UNCHANGED).size(), cv::Size(300, 200));
    }

    ImagePanel* panel = nullptr;
    Image* image = nullptr;
    ScriptedInteractionScope dialogs;
    long faults_injected = 0;
};

TEST_F(SaveFaultsTest, EveryFailedSaveIsReportedAndKeepsTheFileThatWasThere)
{
    const fs::path dir = temp_dir();
    write_text(dir / "plain", "a file, not a folder");
    fs::create_directory(dir / "folder.png");
    write_text(dir / "kept.xyz", "old contents");
    write_text(dir / "kept.png", "old png bytes");
    const std::set<fs::path> before = listing(dir);

    for (const Command& command : commands()) {
        SCOPED_TRACE(command.name);
        expect_failure(command, dir / "plain" / "x.png");   // folder that is a regular file
        expect_failure(command, dir / "folder.png");         // target is a folder
        expect_failure(command, dir / "kept.xyz");           // no encoder for the extension
        expect_failure(command, dir / "missing" / "x.png"); // no such folder
        {
            // The disk takes the first 4 KiB of the new file, then no more.
            FileSizeLimit limit(4096);
            expect_failure(command, dir / "kept.png");
        }
        if (PermissionChecksEnforced as_a_user; as_a_user.enforced()) {
            fs::create_directory(dir / "locked");
            write_text(dir / "locked" / "kept.png", "locked png bytes");
            fs::permissions(dir / "locked" / "kept.png", fs::perms::owner_read);
            fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec);
            expect_failure(command, dir / "locked" / "kept.png");
            fs::permissions(dir / "locked", fs::perms::owner_all);
            EXPECT_EQ(file_bytes(dir / "locked" / "kept.png"), "locked png bytes");
            fs::remove_all(dir / "locked");
        }
    }
    EXPECT_EQ(file_bytes(dir / "kept.xyz"), "old contents");
    EXPECT_EQ(file_bytes(dir / "kept.png"), "old png bytes");
    EXPECT_EQ(file_bytes(dir / "plain"), "a file, not a folder");
    EXPECT_EQ(listing(dir), before) << "a temporary file was left, or a target was made";

    // Nothing was lost on the way: the same commands still save.
    for (const Command& command : commands())
        expect_success(command, dir / "kept.png");
    EXPECT_EQ(listing(dir), before);
    report_figure("save faults injected (without a full disk)", faults_injected);
}

TEST_F(SaveFaultsTest, AFullDiskFailsTheSaveAndKeepsTheFileThatWasThere)
{
    const fs::path mount_point = temp_dir() / "disk";
    fs::create_directory(mount_point);
    if (::mount("tesk_vumo_test", mount_point.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=1m") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here (" << std::strerror(errno)
                     << "); the disk filling up is covered by the file size limit of the other test";
    struct Unmount
    {
        fs::path at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{mount_point};

    const fs::path target = mount_point / "kept.png";
    write_text(target, "old png bytes");
    // Fill the disk, then free a little: a save starts, and runs out halfway.
    const fs::path filler = mount_point / "filler";
    {
        std::ofstream out(filler, std::ios::binary);
        const std::string block(4096, 'x');
        while (out.write(block.data(), block.size()))
            out.flush();
    }
    fs::resize_file(filler, fs::file_size(filler) - 16384);
    const std::set<fs::path> before = listing(mount_point);

    for (const Command& command : commands()) {
        SCOPED_TRACE(command.name);
        expect_failure(command, target);
        EXPECT_EQ(file_bytes(target), "old png bytes");
        EXPECT_EQ(listing(mount_point), before) << "a temporary file was left on the full disk";
    }

    fs::remove(filler);
    for (const Command& command : commands())
        expect_success(command, target);
    report_figure("save faults injected on a full disk", faults_injected);
}

} // namespace
