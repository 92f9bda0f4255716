// Saving over a user's file keeps what the file was (mode, owner, links,
// attributes), and no save, failed or killed, leaves a file behind. (The
// causes a failed save names are shown by the viewers' tests of their boxes.)

#include "tesk_vumo/common/image_writer.h"

#include "../support/permission_checks.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

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

fs::path fresh_dir()
{
    std::string pattern = (fs::temp_directory_path() / "tesk_vumo_writer_XXXXXX").string();
    const char* made = ::mkdtemp(pattern.data());
    EXPECT_NE(made, nullptr);
    return made ? fs::path(made) : fs::path();
}

cv::Mat noise(int width, int height)
{
    cv::Mat image(height, width, CV_8UC3);
    cv::randu(image, 0, 256);
    return image;
}

void write_text(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::string bytes_of(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::set<fs::path> listing(const fs::path& dir)
{
    std::set<fs::path> names;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        names.insert(entry.path());
    return names;
}

bool holds(const fs::path& path, const cv::Mat& bgr)
{
    const cv::Mat read = cv::imread(path.string(), cv::IMREAD_UNCHANGED);
    return read.size() == bgr.size() && read.type() == bgr.type() && cv::norm(read, bgr, cv::NORM_INF) == 0;
}

struct stat status_of(const fs::path& path)
{
    struct stat status{};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    return status;
}

TEST(WriteImageFile, ReplacingAFileKeepsWhatTheFileWas)
{
    const fs::path dir = fresh_dir();
    const cv::Mat picture = noise(40, 30);

    struct Kept
    {
        const char* name;
        mode_t mode;
        uid_t owner;
    };
    for (const Kept& kept : {Kept{"private.png", 0600, 4321}, Kept{"protected.png", 0444, 0}}) {
        SCOPED_TRACE(kept.name);
        const fs::path path = dir / kept.name;
        write_text(path, "old");
        ASSERT_EQ(::chmod(path.c_str(), kept.mode), 0);
        ASSERT_EQ(::chown(path.c_str(), kept.owner, kept.owner), 0);
        ASSERT_TRUE(write_image_file(path, picture));
        EXPECT_TRUE(holds(path, picture));
        EXPECT_EQ(status_of(path).st_mode & 07777, kept.mode);
        EXPECT_EQ(status_of(path).st_uid, kept.owner);
        EXPECT_EQ(status_of(path).st_gid, kept.owner);
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
    ASSERT_TRUE(write_image_file(tagged, picture));
    if (user_attribute) {
        char value[16] = {};
        EXPECT_EQ(::getxattr(tagged.c_str(), "user.tesk_vumo", value, sizeof value), 4);
        EXPECT_STREQ(value, "kept");
    }
    if (access_list) {
        unsigned char value[64] = {};
        ASSERT_EQ(::getxattr(tagged.c_str(), "system.posix_acl_access", value, sizeof value),
                  static_cast<ssize_t>(sizeof acl));
        EXPECT_EQ(std::memcmp(value, acl, sizeof acl), 0);
    }

    // A link is written through; the link stays a link.
    write_text(dir / "real.png", "old");
    fs::create_symlink("real.png", dir / "link.png");
    ASSERT_TRUE(write_image_file(dir / "link.png", picture));
    EXPECT_TRUE(fs::is_symlink(dir / "link.png"));
    EXPECT_TRUE(holds(dir / "real.png", picture));

    // Every name of a hard-linked file sees the new picture.
    write_text(dir / "one.png", "old");
    fs::create_hard_link(dir / "one.png", dir / "two.png");
    const ino_t inode = status_of(dir / "one.png").st_ino;
    ASSERT_TRUE(write_image_file(dir / "one.png", picture));
    EXPECT_TRUE(holds(dir / "two.png", picture));
    EXPECT_EQ(status_of(dir / "one.png").st_ino, inode);

    // The longest name, new and replaced, and a path near the longest.
    const fs::path longest = dir / (std::string(251, 'n') + ".png");
    ASSERT_TRUE(write_image_file(longest, picture)) << write_image_file(longest, picture).message();
    ASSERT_TRUE(write_image_file(longest, noise(8, 8)));
    fs::path deep = dir;
    while (deep.string().size() + 201 <= PATH_MAX - 1 - 50)
        deep /= std::string(200, 'd');
    fs::create_directories(deep);
    const fs::path near_limit = deep / (std::string(PATH_MAX - 1 - deep.string().size() - 1 - 4, 'x') + ".png");
    ASSERT_EQ(near_limit.string().size(), static_cast<size_t>(PATH_MAX - 1));
    ASSERT_TRUE(write_image_file(near_limit, picture));
    ASSERT_TRUE(write_image_file(near_limit, picture));
    EXPECT_TRUE(holds(near_limit, picture));

    const std::set<fs::path> names = listing(dir);
    for (const fs::path& name : names)
        EXPECT_NE(name.filename().string().rfind(".tv", 0), 0u) << "temporary file left: " << name;
    fs::remove_all(dir);
}

TEST(WriteImageFile, AFolderThatTakesNoNewFileStillLetsItsFilesBeWritten)
{
    const fs::path dir = fresh_dir();
    tesk_vumo::testing::PermissionChecksEnforced as_a_user;
    if (!as_a_user.enforced())
        GTEST_SKIP() << "permissions cannot be made to bind here";
    const cv::Mat picture = noise(40, 30);
    write_text(dir / "writable.png", "old");
    write_text(dir / "read-only.png", "old");
    ::chmod((dir / "read-only.png").c_str(), 0444);
    ::chmod(dir.c_str(), 0555);

    EXPECT_TRUE(write_image_file(dir / "writable.png", picture));
    EXPECT_TRUE(holds(dir / "writable.png", picture));
    const WriteResult refused = write_image_file(dir / "read-only.png", picture);
    EXPECT_EQ(refused.failure(), WriteResult::Failure::System);
    EXPECT_EQ(refused.message(), std::strerror(EACCES));
    EXPECT_EQ(bytes_of(dir / "read-only.png"), "old");
    EXPECT_EQ(write_image_file(dir / "new.png", picture).error_number(), EACCES);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
    ::chmod(dir.c_str(), 0755);
    fs::remove_all(dir);
}

TEST(WriteImageFile, AFullDiskFailsTheSaveBeforeTheOldBytesAreTouched)
{
    const fs::path disk = fresh_dir();
    if (::mount("tesk_vumo_test", disk.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=1m") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << std::strerror(errno);
    struct Unmount
    {
        fs::path at;
        ~Unmount()
        {
            ::umount2(at.c_str(), MNT_DETACH);
            fs::remove(at);
        }
    } unmount{disk};

    write_text(disk / "kept.png", "old");
    write_text(disk / "shared.png", "old");
    fs::create_hard_link(disk / "shared.png", disk / "other-name.png");
    {
        std::ofstream out(disk / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (out.write(block.data(), block.size()))
            out.flush();
    }
    fs::resize_file(disk / "filler", fs::file_size(disk / "filler") - 16384);
    const std::set<fs::path> before = listing(disk);
    // Noise does not compress: far more than the 16 KiB left.
    const cv::Mat picture = noise(300, 200);

    // A replaced file and one written in place (it has another name).
    for (const char* name : {"kept.png", "shared.png"}) {
        SCOPED_TRACE(name);
        const WriteResult result = write_image_file(disk / name, picture);
        EXPECT_EQ(result.error_number(), ENOSPC) << result.message();
        EXPECT_EQ(bytes_of(disk / name), "old");
    }
    EXPECT_EQ(bytes_of(disk / "other-name.png"), "old");
    EXPECT_EQ(listing(disk), before);

    fs::remove(disk / "filler");
    EXPECT_TRUE(write_image_file(disk / "kept.png", picture));
    EXPECT_TRUE(write_image_file(disk / "shared.png", picture));
    EXPECT_TRUE(holds(disk / "other-name.png", picture));
}

TEST(WriteImageFile, AKilledSaveLeavesNothingAndNoLeftoverBlocksTheNextSave)
{
    const fs::path dir = fresh_dir();
    write_text(dir / "kept.png", "old");
    // What an earlier version of this process left when it was killed.
    write_text(dir / (".kept.png.tmp-" + std::to_string(::getpid()) + "-0"), "left over");
    const std::set<fs::path> before = listing(dir);
    const cv::Mat picture = noise(300, 200);

    // The process dies (SIGXFSZ) at the first byte past 4 KiB, mid-write.
    const auto killed_save = [&] {
        rlimit no_core{};
        ::setrlimit(RLIMIT_CORE, &no_core);
        rlimit small{};
        small.rlim_cur = small.rlim_max = 4096;
        ::setrlimit(RLIMIT_FSIZE, &small);
        std::signal(SIGXFSZ, SIG_DFL);
        write_image_file(dir / "kept.png", picture);
        std::_Exit(0);
    };
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(killed_save(), ::testing::KilledBySignal(SIGXFSZ), "");
    EXPECT_EQ(bytes_of(dir / "kept.png"), "old");
    EXPECT_EQ(listing(dir), before) << "the killed save left a file";

    EXPECT_TRUE(write_image_file(dir / "kept.png", picture));
    EXPECT_TRUE(holds(dir / "kept.png", picture));
    fs::remove_all(dir);
}

} // namespace
