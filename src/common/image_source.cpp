#include "tesk_vumo/common/image_source.h"

#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/forms/i18n.h"
#include "image_header.h"
#include "image_memory.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <limits>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

namespace tesk_vumo {

namespace {
// cvtColor into its own input copies the whole image first; a few rows at a
// time through a small buffer spare that second full-size image.
void bgr_to_rgb_in_place(cv::Mat& image)
{
    const int rows_per_step = 16;
    cv::Mat rows;
    for (int top = 0; top < image.rows; top += rows_per_step) {
        cv::Mat band = image.rowRange(top, std::min(top + rows_per_step, image.rows));
        cv::cvtColor(band, rows, cv::COLOR_BGR2RGB);
        rows.copyTo(band);
    }
}

std::atomic<std::uint64_t> pixel_limit{default_max_image_pixels};

/// Closes a file descriptor when it goes.
struct FileDescriptor
{
    int fd;
    ~FileDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

bool read_exactly(int fd, std::uint64_t offset, void* into, std::size_t count)
{
    // One read into hundreds of megabytes of fresh memory stalls every other
    // thread of the process (the event loop among them) while the system
    // maps it in; a few megabytes at a time it does not.
    const std::size_t step = std::size_t{8} << 20;
    auto* bytes = static_cast<char*>(into);
    while (count > 0) {
        const ssize_t n = ::pread(fd, bytes, std::min(count, step), static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        offset += static_cast<std::uint64_t>(n);
        count -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string system_text(int error_number)
{
    return std::system_category().message(error_number);
}

std::string own_text(const char* utf8)
{
    return std::string(i18n::tr(utf8).utf8_str());
}

cv::Mat fail(std::string* failure, std::string cause)
{
    if (failure)
        *failure = std::move(cause);
    return {};
}
} // namespace

std::uint64_t max_image_pixels()
{
    return pixel_limit.load();
}

void set_max_image_pixels(std::uint64_t pixels)
{
    if (pixels == 0)
        throw ValueError("The pixel limit of image files must be positive");
    pixel_limit.store(pixels);
}

cv::Mat decode_image_file(const std::filesystem::path& path, std::string* failure)
{
    if (path.empty())
        return fail(failure, system_text(ENOENT));
    // Without O_NONBLOCK a pipe's name would hang the caller until a writer came.
    FileDescriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (file.fd < 0)
        return fail(failure, system_text(errno));
    struct stat status{};
    if (::fstat(file.fd, &status) != 0)
        return fail(failure, system_text(errno));
    if (S_ISDIR(status.st_mode))
        return fail(failure, system_text(EISDIR));
    if (!S_ISREG(status.st_mode))
        return fail(failure, own_text("这不是一个普通文件"));
    const auto size = static_cast<std::uint64_t>(status.st_size);
    if (size == 0)
        return fail(failure, own_text("文件是空的"));

    const auto declared = image_header_size([&file](std::uint64_t offset, void* into, std::size_t count) {
        return read_exactly(file.fd, offset, into, count);
    });
    if (!declared)
        return fail(failure, own_text("文件不是受支持格式的图片"));
    const std::uint64_t limit = max_image_pixels();
    if (declared->width > limit / declared->height)
        return fail(failure, std::string(wxString::Format(i18n::tr("图片有 %llu × %llu 像素，超过了 %llu 像素的上限"),
                                                          static_cast<unsigned long long>(declared->width),
                                                          static_cast<unsigned long long>(declared->height),
                                                          static_cast<unsigned long long>(limit))
                                             .utf8_str()));
    if (size > static_cast<std::uint64_t>(std::numeric_limits<int>::max() - 2))
        return fail(failure, own_text("文件太大，无法读入"));

    // One read of the file's size, with room for the marker below, into
    // memory of huge pages: a large file is as many fresh pages as it is
    // long.
    cv::Mat buffer;
    make_image(buffer, cv::Size(static_cast<int>(size) + 2, 1), CV_8UC1);
    errno = 0;
    if (!read_exactly(file.fd, 0, buffer.data, size))
        return fail(failure, errno != 0 ? system_text(errno) : own_text("文件在读取时变短了"));
    int length = static_cast<int>(size);
    // The codec leaves the rows of a JPEG cut short undefined (whatever its
    // scratch memory held) unless the data ends with an end-of-image marker;
    // with one, the missing part decodes as plain grey.
    const uchar* bytes = buffer.data;
    const bool jpeg = length >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8;
    if (jpeg && !(bytes[length - 2] == 0xFF && bytes[length - 1] == 0xD9)) {
        buffer.data[length++] = 0xFF;
        buffer.data[length++] = 0xD9;
    }
    cv::Mat image;
    image.allocator = image_allocator();
    try {
        cv::imdecode(buffer.colRange(0, length), cv::IMREAD_COLOR, &image);
        if (image.empty() || image.type() != CV_8UC3)
            return fail(failure, own_text("图片数据已损坏或不完整，无法解码"));
        buffer.release();
        bgr_to_rgb_in_place(image);
    } catch (const cv::Exception&) {
        // The codecs throw on some malformed headers (e.g. a declared size
        // beyond their limits); to the caller that is just an unreadable file.
        return fail(failure, own_text("图片数据已损坏或不完整，无法解码"));
    }
    return image;
}

std::string read_failure_message(SourceMessages wording, const std::string& path_text)
{
    if (wording == SourceMessages::ContextViewer) {
        const wxString text = i18n::tr("加载图片文件失败，请检查路径中是否有不受支持的字符。");
        return std::string(text.utf8_str()) + "[" + path_text + "]";
    }
    return "Load Image File [" + path_text + "] Failed.";
}

std::string unsupported_type_message(SourceMessages wording, const std::string& type_text)
{
    const char* prefix = wording == SourceMessages::ContextViewer
                             ? "不受支持的参数类型。 Expect [str, numpy.ndarray], got "
                             : "Unsupported image type. Expect [str, numpy.ndarray], got ";
    return prefix + type_text;
}

cv::Mat read_source_file(const std::filesystem::path& path, const std::string& path_text,
                         SourceMessages wording)
{
    cv::Mat image = decode_image_file(path);
    if (image.empty())
        throw AssertionError(read_failure_message(wording, path_text));
    return image;
}

namespace {
std::string describe(const cv::Mat& value)
{
    if (value.empty())
        return "an empty array";
    if (value.dims > 2)
        return "an array of " + std::to_string(value.dims + 1) + " dimensions";
    std::string text = "an array of " + std::to_string(value.channels()) + " channel(s) of ";
    switch (value.depth()) {
    case CV_8U: text += "8-bit unsigned"; break;
    case CV_8S: text += "8-bit signed"; break;
    case CV_16U: text += "16-bit unsigned"; break;
    case CV_16S: text += "16-bit signed"; break;
    case CV_32S: text += "32-bit signed"; break;
    case CV_32F: text += "32-bit float"; break;
    case CV_64F: text += "64-bit float"; break;
    default: text += "unknown"; break;
    }
    return text + " samples (only 8-bit unsigned samples with 1 or 3 channels can be shown)";
}
} // namespace

cv::Mat accept_source_array(const cv::Mat& value, SourceMessages wording)
{
    if (value.empty() || value.dims > 2 || value.depth() != CV_8U
        || (value.channels() != 1 && value.channels() != 3))
        throw TypeError(unsupported_type_message(wording, describe(value)));
    if (value.channels() == 3)
        return value;
    cv::Mat rgb;
    rgb.allocator = image_allocator();
    cv::cvtColor(value, rgb, cv::COLOR_GRAY2RGB);
    return rgb;
}

bool keeps_scroll_position(const cv::Mat& stored, const cv::Mat& incoming)
{
    return !stored.empty() && stored.cols == incoming.cols && stored.rows == incoming.rows;
}

} // namespace tesk_vumo
