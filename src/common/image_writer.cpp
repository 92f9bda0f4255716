#include "tesk_vumo/common/image_writer.h"

#include <atomic>
#include <cerrno>
#include <string>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <opencv2/imgcodecs.hpp>

namespace tesk_vumo {

namespace {

bool write_all(int fd, const std::vector<uchar>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

std::filesystem::path temporary_beside(const std::filesystem::path& target)
{
    static std::atomic<unsigned> counter{0};
    const std::string name = "." + target.filename().string() + ".tmp-" + std::to_string(::getpid()) + "-"
                             + std::to_string(counter++);
    return target.parent_path() / name;
}

} // namespace

bool write_image_file(const std::filesystem::path& path, const cv::Mat& samples)
{
    if (path.empty() || path.filename().empty() || samples.empty())
        return false;
    std::vector<uchar> bytes;
    try {
        if (!cv::imencode(path.extension().string(), samples, bytes))
            return false;
    } catch (const cv::Exception&) {
        // No encoder for the extension, or one that refuses these samples.
        return false;
    }

    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return false;
    const std::filesystem::path temporary = temporary_beside(path);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const bool written = write_all(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace tesk_vumo
