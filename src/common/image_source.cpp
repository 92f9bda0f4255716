#include "tesk_vumo/common/image_source.h"

#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/i18n/i18n.h"
#include "display_mapping.h"
#include "image_header.h"
#include "image_memory.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <limits>
#include <mutex>
#include <optional>
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
    if (image.channels() == 1)
        return;
    const int rows_per_step = 16;
    const int code = image.channels() == 4 ? cv::COLOR_BGRA2RGBA : cv::COLOR_BGR2RGB;
    cv::Mat rows;
    for (int top = 0; top < image.rows; top += rows_per_step) {
        cv::Mat band = image.rowRange(top, std::min(top + rows_per_step, image.rows));
        cv::cvtColor(band, rows, code);
        rows.copyTo(band);
    }
}

/// Whether a decoder's image at its own depth can be a source: samples of a
/// showable depth, 1 to 4 channels (2: gray and alpha).
bool native_samples(const cv::Mat& image)
{
    return showable_depth(image.depth()) && image.channels() >= 1 && image.channels() <= 4;
}

/// The colour samples of @p image (B, G, R or gray, alpha left out) in
/// 8-bit B, G, R, levelled from automatic_levels() to 0-255.
cv::Mat levelled_colour(const cv::Mat& image)
{
    cv::Mat colour = image;
    if (image.channels() == 2 || image.channels() == 4) {
        colour.create(image.size(), CV_MAKETYPE(image.depth(), image.channels() - 1));
        const int from_to[] = {0, 0, 1, 1, 2, 2};
        cv::mixChannels(&image, 1, &colour, 1, from_to, colour.channels());
    }
    const auto [low, high] = automatic_levels(colour);
    cv::Mat levelled;
    levelled.allocator = image_allocator();
    colour.convertTo(levelled, CV_8U, 255.0 / (high - low), -low * 255.0 / (high - low));
    if (levelled.channels() == 3)
        return levelled;
    cv::Mat bgr;
    bgr.allocator = image_allocator();
    cv::cvtColor(levelled, bgr, cv::COLOR_GRAY2BGR);
    return bgr;
}

/// Gray and alpha as R, G, B and alpha.
cv::Mat gray_alpha_as_rgba(const cv::Mat& image)
{
    cv::Mat rgba;
    rgba.allocator = image_allocator();
    rgba.create(image.size(), CV_MAKETYPE(image.depth(), 4));
    const int from_to[] = {0, 0, 0, 1, 0, 2, 1, 3};
    cv::mixChannels(&image, 1, &rgba, 1, from_to, 4);
    return rgba;
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
    return std::string(i18n::system_error_text(error_number).utf8_str());
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

std::string over_limit_text(std::uint64_t width, std::uint64_t height, std::uint64_t limit)
{
    return std::string(wxString::Format(i18n::tr("图片有 %llu × %llu 像素，超过了 %llu 像素的上限"),
                                        static_cast<unsigned long long>(width),
                                        static_cast<unsigned long long>(height),
                                        static_cast<unsigned long long>(limit))
                           .utf8_str());
}

/// The pixel limit of the decoding under way in this thread (0: none), and
/// the size of the first array refused for it.
thread_local std::uint64_t decoding_limit = 0;
thread_local std::optional<cv::Size> refused_size;

struct PixelLimitExceeded : std::exception
{
    const char* what() const noexcept override { return "more pixels than the limit"; }
};

/// OpenCV's default allocator, wrapped: while this thread decodes, an
/// array of more pixels than the limit is refused before the decoder
/// writes a pixel, whatever size the file's header stated. The codec
/// makes its image (after its own reading of the header) in an array of
/// the default allocator; where that allocator throws, Mat::create throws
/// too instead of trying another. OpenCV's own cap cannot serve: it reads
/// OPENCV_IO_MAX_IMAGE_PIXELS once, when its library is loaded, before any
/// code of this library runs, so it stays at its default (2^30 pixels)
/// unless the host's environment sets it; it still applies above this
/// limit.
class PixelCap : public cv::MatAllocator
{
public:
    explicit PixelCap(cv::MatAllocator* next) : next_(next) {}

    cv::UMatData* allocate(int dims, const int* sizes, int type, void* data, size_t* step, cv::AccessFlag flags,
                           cv::UMatUsageFlags usage) const override
    {
        if (data || decoding_limit == 0)
            return next_->allocate(dims, sizes, type, data, step, flags, usage);
        std::uint64_t pixels = 1;
        for (int i = 0; i < dims; ++i)
            pixels = sizes[i] <= 0 || pixels <= decoding_limit / static_cast<std::uint64_t>(sizes[i])
                         ? pixels * static_cast<std::uint64_t>(std::max(sizes[i], 0))
                         : decoding_limit + 1;
        if (pixels > decoding_limit) {
            if (!refused_size)
                refused_size = cv::Size(dims > 1 ? sizes[1] : 1, sizes[0]);
            throw PixelLimitExceeded();
        }
        try {
            return image_allocator()->allocate(dims, sizes, type, data, step, flags, usage);
        } catch (const std::bad_alloc&) {
            return next_->allocate(dims, sizes, type, data, step, flags, usage);
        }
    }

    bool allocate(cv::UMatData* u, cv::AccessFlag flags, cv::UMatUsageFlags usage) const override
    {
        return next_->allocate(u, flags, usage);
    }

    void deallocate(cv::UMatData* u) const override { next_->deallocate(u); }

private:
    cv::MatAllocator* next_;
};

/// Arms the cap for one decoding in this thread.
class CappedDecoding
{
public:
    explicit CappedDecoding(std::uint64_t limit)
    {
        static std::mutex installing;
        static PixelCap* installed = nullptr;
        {
            std::lock_guard<std::mutex> lock(installing);
            // Again if a host has put its own allocator in place since.
            if (cv::Mat::getDefaultAllocator() != installed) {
                installed = new PixelCap(cv::Mat::getDefaultAllocator());
                cv::Mat::setDefaultAllocator(installed);
            }
        }
        decoding_limit = limit;
        refused_size.reset();
    }
    ~CappedDecoding() { decoding_limit = 0; }
    CappedDecoding(const CappedDecoding&) = delete;
    CappedDecoding& operator=(const CappedDecoding&) = delete;
};
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

cv::Mat decode_image_file(const std::filesystem::path& path, std::string* failure, bool native_depth)
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

    const auto declared = read_image_header([&file](std::uint64_t offset, void* into, std::size_t count) {
        return read_exactly(file.fd, offset, into, count);
    });
    if (!declared)
        return fail(failure, own_text("文件不是受支持格式的图片"));
    const std::uint64_t limit = max_image_pixels();
    if (declared->width > limit / declared->height)
        return fail(failure, over_limit_text(declared->width, declared->height, limit));

    cv::Mat buffer;
    int length = 0;
    if (decodes_from_memory(declared->format)) {
        if (size > static_cast<std::uint64_t>(std::numeric_limits<int>::max() - 2))
            return fail(failure, own_text("文件太大，无法读入"));
        length = static_cast<int>(size);
        // One read of the file's size, with room for the marker below, into
        // memory of huge pages: a large file is as many fresh pages as it is
        // long.
        make_image(buffer, cv::Size(static_cast<int>(size) + 2, 1), CV_8UC1);
        errno = 0;
        if (!read_exactly(file.fd, 0, buffer.data, size))
            return fail(failure, errno != 0 ? system_text(errno) : own_text("文件在读取时变短了"));
        if (declared->format == ImageFormat::Jpeg) {
            if (jpeg_scan_count(buffer.data, size) > max_jpeg_scans) {
                const wxString text = wxString::Format(i18n::tr("图片有 %d 个以上的扫描段，不是正常的 JPEG 文件"),
                                                       static_cast<int>(max_jpeg_scans));
                return fail(failure, std::string(text.utf8_str()));
            }
            // The codec leaves the rows of a JPEG cut short undefined
            // (whatever its scratch memory held) unless the data ends with an
            // end-of-image marker; with one, the missing part decodes as
            // plain grey.
            if (!(buffer.data[length - 2] == 0xFF && buffer.data[length - 1] == 0xD9)) {
                buffer.data[length++] = 0xFF;
                buffer.data[length++] = 0xD9;
            }
        }
    }
    // The codec turns an image by its EXIF orientation unless asked for it
    // unchanged, which keeping alpha takes; a JPEG has no alpha and keeps
    // its depth and channels turned all the same.
    const int flags = !native_depth                         ? cv::IMREAD_COLOR
                      : declared->format == ImageFormat::Jpeg ? cv::IMREAD_ANYDEPTH | cv::IMREAD_ANYCOLOR
                                                              : cv::IMREAD_UNCHANGED;
    cv::Mat image;
    // False when the decoder asked for more pixels than the limit.
    const auto decode = [&](int how) {
        CappedDecoding capped(limit);
        try {
            if (decodes_from_memory(declared->format)) {
                cv::imdecode(buffer.colRange(0, length), how, &image);
            } else {
                // The codec decodes these formats from memory through a
                // temporary file, which it leaves behind when the data is
                // bad; from a file they need none. This name is the file
                // already open here, whatever its path's characters.
                image = cv::imread("/proc/self/fd/" + std::to_string(file.fd), how);
            }
        } catch (const PixelLimitExceeded&) {
        } catch (const cv::Exception&) {
            // The codecs throw on some malformed headers (e.g. a declared
            // size beyond their limits); to the caller that is just an
            // unreadable file.
            image.release();
        }
        return !refused_size;
    };
    const auto refused = [&] {
        return fail(failure, over_limit_text(static_cast<std::uint64_t>(refused_size->width),
                                             static_cast<std::uint64_t>(refused_size->height), limit));
    };
    if (!decode(flags))
        return refused();
    // Floating-point samples (a float TIFF) have no 8-bit colour the codec
    // gives: read at their own depth, they are levelled into 8 bits as a
    // source of theirs is shown, not refused as damaged.
    if (!native_depth && image.empty()) {
        if (!decode(cv::IMREAD_UNCHANGED))
            return refused();
        if (!image.empty() && native_samples(image))
            image = levelled_colour(image);
    }
    if (image.empty() || (native_depth ? !native_samples(image) : image.type() != CV_8UC3))
        return fail(failure, own_text("图片数据已损坏或不完整，无法解码"));
    buffer.release();
    if (image.channels() == 2)
        return gray_alpha_as_rgba(image);
    bgr_to_rgb_in_place(image);
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
                         SourceMessages wording, bool native_depth)
{
    std::string cause;
    cv::Mat image = decode_image_file(path, &cause, native_depth);
    if (image.empty())
        throw AssertionError(read_failure_message(wording, path_text) + "\n" + cause);
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
    return text + " samples (only 8-bit, 16-bit unsigned or signed, 32-bit signed, 32-bit or 64-bit float samples "
                  "with 1, 3 or 4 channels can be shown)";
}
} // namespace

bool showable_depth(int depth)
{
    return depth == CV_8U || depth == CV_16U || depth == CV_16S || depth == CV_32S || depth == CV_32F
        || depth == CV_64F;
}

cv::Mat accept_source_array(const cv::Mat& value, SourceMessages wording)
{
    if (value.empty() || value.dims > 2 || !showable_depth(value.depth())
        || (value.channels() != 1 && value.channels() != 3 && value.channels() != 4))
        throw TypeError(unsupported_type_message(wording, describe(value)));
    if (value.type() != CV_8UC1)
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
