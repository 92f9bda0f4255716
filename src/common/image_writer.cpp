#include "tesk_vumo/common/image_writer.h"

#include "tesk_vumo/i18n/i18n.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <opencv2/imgcodecs.hpp>

namespace tesk_vumo {

namespace fs = std::filesystem;

namespace {

struct FileDescriptor
{
    int fd = -1;
    ~FileDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

/// 0, or the errno of the first failed write.
int write_all(int fd, const std::vector<uchar>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return EIO;
        done += static_cast<size_t>(n);
    }
    return 0;
}

/// A short name, so that it fits beside a target whose name is as long as
/// the system allows; random, so that one left by a killed process is
/// never met again.
std::string temporary_name()
{
    static thread_local std::mt19937 engine{std::random_device{}()};
    char name[16];
    std::snprintf(name, sizeof name, ".tv%08x", static_cast<unsigned>(engine()));
    return name;
}

/// Follows @p path through symbolic links to the file they end at (which
/// need not exist yet); 0 or an errno.
int final_target(const fs::path& path, fs::path& target)
{
    target = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat status{};
        if (::lstat(target.c_str(), &status) != 0)
            return errno == ENOENT ? 0 : errno;
        if (!S_ISLNK(status.st_mode))
            return 0;
        std::vector<char> link(PATH_MAX + 1);
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0)
            return errno;
        const fs::path next(std::string(link.data(), static_cast<size_t>(n)));
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return ELOOP;
}

/// Gives the new file @p fd what the file it replaces had, as far as the
/// process may: owner, group, mode, then extended attributes (an access ACL
/// among them, which must come after the mode it refines).
void carry_over(int fd, const struct stat& old, const fs::path& replaced)
{
    if (::fchown(fd, old.st_uid, old.st_gid) != 0)
        (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    (void)::fchmod(fd, old.st_mode & 07777);
    const ssize_t list_size = ::listxattr(replaced.c_str(), nullptr, 0);
    if (list_size <= 0)
        return;
    std::vector<char> names(static_cast<size_t>(list_size));
    const ssize_t listed = ::listxattr(replaced.c_str(), names.data(), names.size());
    for (ssize_t at = 0; at < listed; at += static_cast<ssize_t>(std::char_traits<char>::length(&names[at])) + 1) {
        const char* name = &names[static_cast<size_t>(at)];
        const ssize_t size = ::getxattr(replaced.c_str(), name, nullptr, 0);
        if (size < 0)
            continue;
        std::vector<char> value(static_cast<size_t>(size));
        const ssize_t got = ::getxattr(replaced.c_str(), name, value.data(), value.size());
        if (got >= 0)
            (void)::fsetxattr(fd, name, value.data(), static_cast<size_t>(got), 0);
    }
}

/// Overwrites the file at @p target, keeping its inode (and so its other
/// names, owner, mode and attributes); 0 or an errno.
int write_in_place(const fs::path& target, const std::vector<uchar>& bytes, bool regular)
{
    // A pipe without a reader would block the user interface: it fails instead.
    FileDescriptor file{::open(target.c_str(), O_WRONLY | O_CLOEXEC | (regular ? 0 : O_NONBLOCK))};
    if (file.fd < 0)
        return errno;
    if (regular) {
        // Take the room first: a full disk fails here, with the old bytes whole.
        if (::fallocate(file.fd, 0, 0, static_cast<off_t>(bytes.size())) != 0 && errno != EOPNOTSUPP
            && errno != ENOSYS)
            return errno;
    }
    if (const int error = write_all(file.fd, bytes))
        return error;
    if (regular && (::ftruncate(file.fd, static_cast<off_t>(bytes.size())) != 0 || ::fsync(file.fd) != 0))
        return errno;
    const int fd = file.fd;
    file.fd = -1;
    return ::close(fd) == 0 ? 0 : errno;
}

struct Replacement
{
    int error;    ///< 0 or an errno
    bool created; ///< whether the new file could be made at all
};

/// Makes the new file in the folder @p folder, fills and syncs it, moves it
/// over @p name and syncs the folder.
Replacement replace(int folder, const std::string& name, const struct stat* old, const fs::path& target,
                    const std::vector<uchar>& bytes)
{
    FileDescriptor file{::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666)};
    std::string temporary;
    if (file.fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        for (int attempt = 0; attempt < 64; ++attempt) {
            temporary = temporary_name();
            file.fd = ::openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (file.fd >= 0 || errno != EEXIST)
                break;
        }
    }
    if (file.fd < 0)
        return {errno, false};
    const auto failed = [&](int error) {
        if (!temporary.empty())
            ::unlinkat(folder, temporary.c_str(), 0);
        return Replacement{error, true};
    };

    if (const int error = write_all(file.fd, bytes))
        return failed(error);
    if (old)
        carry_over(file.fd, *old, target);
    if (::fsync(file.fd) != 0)
        return failed(errno);
    if (temporary.empty()) {
        // An unnamed file cannot be renamed: it gets a short name for the
        // instant before it is moved over the target.
        const std::string self = "/proc/self/fd/" + std::to_string(file.fd);
        for (int attempt = 0; attempt < 64; ++attempt) {
            const std::string name_now = temporary_name();
            if (::linkat(file.fd, "", folder, name_now.c_str(), AT_EMPTY_PATH) == 0
                || ::linkat(AT_FDCWD, self.c_str(), folder, name_now.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                temporary = name_now;
                break;
            }
            if (errno != EEXIST)
                return {errno, true};
        }
        if (temporary.empty())
            return {EEXIST, true};
    }
    if (::renameat(folder, temporary.c_str(), folder, name.c_str()) != 0)
        return failed(errno);
    // Without this a save reported as done can be undone by a power loss.
    if (::fsync(folder) != 0 && errno != EBADF && errno != EINVAL && errno != EROFS)
        return {errno, true};
    return {0, true};
}

/// Whether the encoder of @p extension gives back exactly what it is given
/// for samples of @p type: OpenCV's writers otherwise cut other depths to 8
/// bits, drop alpha or code lossily (float RGB TIFF) without a word.
bool format_holds(const std::string& extension, int type)
{
    if (type == CV_8UC1 || type == CV_8UC3)
        return true;
    // Distinct small values in every channel of every pixel, so that a swap
    // or an approximation shows.
    const int channels = CV_MAT_CN(type);
    cv::Mat counting(2, 2 * channels, CV_64F);
    for (int i = 0; i < static_cast<int>(counting.total()); ++i)
        counting.at<double>(i) = 1 + i;
    cv::Mat probe;
    counting.reshape(channels).convertTo(probe, CV_MAT_DEPTH(type));
    try {
        std::vector<uchar> bytes;
        if (!cv::imencode(extension, probe, bytes))
            return false;
        const cv::Mat back = cv::imdecode(bytes, cv::IMREAD_UNCHANGED);
        return back.type() == type && back.size() == probe.size() && cv::norm(back, probe, cv::NORM_INF) == 0;
    } catch (const cv::Exception&) {
        return false;
    }
}

} // namespace

std::string WriteResult::message() const
{
    switch (failure_) {
    case Failure::None: return {};
    case Failure::NothingToWrite: return std::string(i18n::tr("没有可保存的图片").utf8_str());
    case Failure::NoEncoder:
        if (extension_.empty())
            return std::string(i18n::tr("文件名没有扩展名，无法确定图片格式").utf8_str());
        return std::string(
            wxString::Format(i18n::tr("没有扩展名 %s 的图片编码器"), wxString::FromUTF8(extension_)).utf8_str());
    case Failure::EncoderRefused: return std::string(i18n::tr("图片编码器无法编码这幅图片").utf8_str());
    case Failure::FormatCannotHold:
        return std::string(
            wxString::Format(i18n::tr("扩展名 %s 的格式无法原样保存这幅图片的位深和通道"), wxString::FromUTF8(extension_))
                .utf8_str());
    case Failure::System: return std::string(i18n::system_error_text(error_number_).utf8_str());
    }
    return {};
}

WriteResult write_image_file(const fs::path& path, const cv::Mat& samples)
{
    using Failure = WriteResult::Failure;
    if (samples.empty())
        return {Failure::NothingToWrite};
    if (path.empty())
        return {Failure::System, ENOENT};
    if (path.filename().empty())
        return {Failure::System, EISDIR};
    const std::string extension = path.extension().string();
    bool encodable = false;
    try {
        encodable = !extension.empty() && cv::haveImageWriter(path.string());
    } catch (const cv::Exception&) {
    }
    if (!encodable)
        return {Failure::NoEncoder, 0, extension};
    if (!format_holds(extension, samples.type()))
        return {Failure::FormatCannotHold, 0, extension};
    std::vector<uchar> bytes;
    try {
        if (!cv::imencode(extension, samples, bytes) || bytes.empty())
            return {Failure::EncoderRefused};
    } catch (const cv::Exception&) {
        return {Failure::EncoderRefused};
    }

    fs::path target;
    if (const int error = final_target(path, target))
        return {Failure::System, error};
    struct stat old{};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT)
        return {Failure::System, errno};
    if (exists && S_ISDIR(old.st_mode))
        return {Failure::System, EISDIR};
    const auto in_place = [&] {
        const int error = write_in_place(target, bytes, S_ISREG(old.st_mode));
        return error == 0 ? WriteResult() : WriteResult(Failure::System, error);
    };
    // Replacing would split the file from its other names (or cannot be
    // done to a device or pipe).
    if (exists && (!S_ISREG(old.st_mode) || old.st_nlink > 1))
        return in_place();

    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    FileDescriptor directory{::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (directory.fd < 0 && errno == EACCES)
        directory.fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (directory.fd < 0)
        return {Failure::System, errno};
    const Replacement replaced =
        replace(directory.fd, target.filename().string(), exists ? &old : nullptr, target, bytes);
    if (replaced.error == 0)
        return {};
    // A folder that takes no new file may still hold one the user can write.
    if (exists && !replaced.created && (replaced.error == EACCES || replaced.error == EPERM))
        return in_place();
    return {Failure::System, replaced.error};
}

} // namespace tesk_vumo
