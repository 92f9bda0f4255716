// Saving over a user's file keeps what the file was (mode, owner, links,
// attributes), and no save, failed or killed, leaves a file behind. (The
// causes a failed save names are shown by the viewers' tests of their boxes.)

#include "tesk_vumo/common/image_writer.h"

#include "../support/permission_checks.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <tuple>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>

using namespace tesk_vumo;
namespace fs = std::filesystem;

namespace {

/// A fresh folder, removed when the test ends (after `undo` gives back its rights or unmounts it).
struct FreshDir
{
    std::string path = (fs::temp_directory_path() / "tesk_vumo_writer_XXXXXX").string();
    std::function<void()> undo = [] {};
    FreshDir() { EXPECT_NE(::mkdtemp(path.data()), nullptr); }
    ~FreshDir() { undo(), fs::remove_all(path, ignored); }
    std::error_code ignored;
};

cv::Mat noise(int width, int height) // does not compress
{
    cv::Mat image(height, width, CV_8UC3);
    return cv::randu(image, 0, 256), image;
}

void write_text(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string bytes_of(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::set<fs::path> listing(const fs::path& dir)
{
    return {fs::recursive_directory_iterator(dir), fs::recursive_directory_iterator()};
}

bool holds(const fs::path& path, const cv::Mat& bgr)
{
    const cv::Mat read = cv::imread(path.string(), cv::IMREAD_UNCHANGED);
    return read.size() == bgr.size() && read.type() == bgr.type() && cv::norm(read, bgr, cv::NORM_INF) == 0;
}

std::string attribute_of(const fs::path& path, const char* name)
{
    char value[64] = {};
    const ssize_t size = ::getxattr(path.c_str(), name, value, sizeof value);
    return size < 0 ? "(none)" : std::string(value, size);
}

TEST(WriteImageFile, ReplacingAFileKeepsWhatTheFileWas)
{
    const FreshDir fresh;
    const fs::path dir = fresh.path;
    const cv::Mat picture = noise(40, 30);

    for (const auto& [name, mode, owner] : {std::tuple("private.png", mode_t{0600}, uid_t{4321}),
                                            std::tuple("protected.png", mode_t{0444}, uid_t{0})}) {
        const fs::path path = dir / name;
        write_text(path, "old");
        ASSERT_TRUE(::chmod(path.c_str(), mode) == 0 && ::chown(path.c_str(), owner, owner) == 0);
        EXPECT_TRUE(write_image_file(path, picture) && holds(path, picture)) << name;
        struct stat status{};
        ASSERT_EQ(::lstat(path.c_str(), &status), 0);
        EXPECT_EQ(std::tuple(status.st_mode & 07777, status.st_uid, status.st_gid), std::tuple(mode, owner, owner));
    }

    // An attribute of the user's and an access ACL (user 1234 may read).
    const fs::path tagged = dir / "tagged.png";
    write_text(tagged, "old");
    const unsigned char acl[] = {2, 0, 0, 0,                                  // version
                                 1, 0, 6, 0, 0xFF, 0xFF, 0xFF, 0xFF,          // owner rw-
                                 2, 0, 4, 0, 0xD2, 0x04, 0, 0,                // user 1234 r--
                                 4, 0, 4, 0, 0xFF, 0xFF, 0xFF, 0xFF,          // group r--
                                 0x10, 0, 4, 0, 0xFF, 0xFF, 0xFF, 0xFF,       // mask r--
                                 0x20, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};      // others ---
    const bool user_attribute = ::setxattr(tagged.c_str(), "user.tesk_vumo", "kept", 4, 0) == 0;
    const bool access_list = ::setxattr(tagged.c_str(), "system.posix_acl_access", acl, sizeof acl, 0) == 0;
    EXPECT_TRUE(write_image_file(tagged, picture));
    if (user_attribute)
        EXPECT_EQ(attribute_of(tagged, "user.tesk_vumo"), "kept");
    if (access_list)
        EXPECT_EQ(attribute_of(tagged, "system.posix_acl_access"), std::string(std::begin(acl), std::end(acl)));

    // A symbolic link is written through and stays a link.
    write_text(dir / "real.png", "old");
    fs::create_symlink("real.png", dir / "link.png");
    EXPECT_TRUE(write_image_file(dir / "link.png", picture) && fs::is_symlink(dir / "link.png"));
    EXPECT_TRUE(holds(dir / "real.png", picture));
    // Every name of a hard-linked file sees the new picture.
    write_text(dir / "one.png", "old");
    fs::create_hard_link(dir / "one.png", dir / "two.png");
    EXPECT_TRUE(write_image_file(dir / "one.png", picture) && holds(dir / "two.png", picture));

    // The longest name and the longest path, each new and replaced.
    const fs::path longest = dir / (std::string(251, 'n') + ".png");
    fs::path deep = dir;
    while (deep.string().size() + 201 <= PATH_MAX - 1 - 50)
        deep /= std::string(200, 'd');
    fs::create_directories(deep);
    const fs::path near_limit = deep / (std::string(PATH_MAX - 1 - deep.string().size() - 1 - 4, 'x') + ".png");
    ASSERT_EQ(near_limit.string().size(), static_cast<size_t>(PATH_MAX - 1));
    for (const fs::path& path : {longest, longest, near_limit, near_limit})
        EXPECT_TRUE(write_image_file(path, picture) && holds(path, picture)) << path.string().size();

    for (const fs::path& name : listing(dir))
        EXPECT_NE(name.filename().string().rfind(".tv", 0), 0u) << "temporary file left: " << name;
}

TEST(WriteImageFile, AFolderThatTakesNoNewFileStillLetsItsFilesBeWritten)
{
    FreshDir fresh;
    const fs::path dir = fresh.path;
    const tesk_vumo::testing::PermissionChecksEnforced as_a_user;
    if (!as_a_user.enforced())
        GTEST_SKIP() << "permissions cannot be made to bind here";
    const cv::Mat picture = noise(40, 30);
    write_text(dir / "writable.png", "old");
    write_text(dir / "read-only.png", "old");
    ::chmod((dir / "read-only.png").c_str(), 0444);
    ::chmod(dir.c_str(), 0555);
    fresh.undo = [dir] { ::chmod(dir.c_str(), 0755); };

    EXPECT_TRUE(write_image_file(dir / "writable.png", picture) && holds(dir / "writable.png", picture));
    EXPECT_EQ(write_image_file(dir / "read-only.png", picture).message(), "没有访问权限");
    EXPECT_EQ(bytes_of(dir / "read-only.png"), "old");
    EXPECT_EQ(write_image_file(dir / "new.png", picture).error_number(), EACCES);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

TEST(WriteImageFile, AFullDiskFailsTheSaveBeforeTheOldBytesAreTouched)
{
    FreshDir fresh;
    const fs::path disk = fresh.path;
    if (::mount("tesk_vumo_test", disk.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=1m") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << std::strerror(errno);
    fresh.undo = [disk] { ::umount2(disk.c_str(), MNT_DETACH); };

    write_text(disk / "kept.png", "old");
    write_text(disk / "shared.png", "old");
    fs::create_hard_link(disk / "shared.png", disk / "other-name.png");
    const std::string block(4096, 'x');
    for (std::ofstream out(disk / "filler", std::ios::binary); out.write(block.data(), block.size());)
        out.flush();
    fs::resize_file(disk / "filler", fs::file_size(disk / "filler") - 16384);
    const std::set<fs::path> before = listing(disk);
    const cv::Mat picture = noise(300, 200); // far more than the 16 KiB left

    // A replaced file and one written in place (it has another name).
    for (const char* name : {"kept.png", "shared.png"}) {
        EXPECT_EQ(write_image_file(disk / name, picture).error_number(), ENOSPC) << name;
        EXPECT_EQ(bytes_of(disk / name), "old") << name;
    }
    EXPECT_EQ(bytes_of(disk / "other-name.png"), "old");
    EXPECT_EQ(listing(disk), before);
}

TEST(WriteImageFile, AKilledSaveLeavesNothingAndNoLeftoverBlocksTheNextSave)
{
    const FreshDir fresh;
    const fs::path dir = fresh.path;
    write_text(dir / "kept.png", "old");
    write_text(dir / (".kept.png.tmp-" + std::to_string(::getpid()) + "-0"), "left over"); // an earlier kill's
    const std::set<fs::path> before = listing(dir);
    const cv::Mat picture = noise(300, 200);

    // The process dies (SIGXFSZ) at the first byte past 4 KiB, mid-write.
    const auto killed_save = [&] {
        const rlimit no_core{0, 0}, small{4096, 4096};
        ::setrlimit(RLIMIT_CORE, &no_core);
        ::setrlimit(RLIMIT_FSIZE, &small);
        std::signal(SIGXFSZ, SIG_DFL);
        write_image_file(dir / "kept.png", picture);
        std::_Exit(0);
    };
    // Forked, not run again from the start: the child saves into this folder.
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_EXIT(killed_save(), ::testing::KilledBySignal(SIGXFSZ), "");
    EXPECT_EQ(bytes_of(dir / "kept.png"), "old");
    EXPECT_EQ(listing(dir), before) << "the killed save left a file";

    EXPECT_TRUE(write_image_file(dir / "kept.png", picture) && holds(dir / "kept.png", picture));
}

// OpenCV's encoders would cut these to 8 bits, drop the alpha or code them lossily, and say nothing.
TEST(WriteImageFile, SamplesKeepTheirDepthAndChannelsOrTheFormatIsRefused)
{
    const FreshDir fresh;
    const fs::path dir = fresh.path;
    for (const auto& [name, type, held] :
         {std::tuple("a.png", CV_16UC4, true), std::tuple("b.tif", CV_32FC1, true), std::tuple("c.tif", CV_64FC1, true),
          std::tuple("d.png", CV_8UC4, true), std::tuple("e.jpg", CV_16UC1, false), std::tuple("f.bmp", CV_16UC1, false),
          std::tuple("g.jpg", CV_8UC4, false), std::tuple("h.png", CV_32FC1, false), std::tuple("i.tif", CV_32FC3, false)}) {
        cv::Mat image(3, 4, type);
        cv::randu(image, -1000, 60000);
        write_text(dir / name, "old");
        const WriteResult result = write_image_file(dir / name, image);
        EXPECT_EQ(result.failure(), held ? WriteResult::Failure::None : WriteResult::Failure::FormatCannotHold) << name;
        EXPECT_TRUE(held ? holds(dir / name, image) : bytes_of(dir / name) == "old") << name;
    }
}

} // namespace
