// The whole decoding of an image file over arbitrary bytes: no decoded
// image ever has more pixels than its header check declared, nor than the
// limit, and no temporary file is left.

#include "common/image_header.h"
#include "tesk_vumo/common/image_source.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

namespace {
// Small enough that a fuzzed file decodes quickly, large enough for the
// seeds and for headers that the codec reads otherwise than they seem.
constexpr std::uint64_t limit = std::uint64_t{1} << 20;

bool write_all(int fd, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    tesk_vumo::set_max_image_pixels(limit);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const int fd = ::memfd_create("fuzzed_image", MFD_CLOEXEC);
    if (fd < 0 || !write_all(fd, data, size))
        std::abort();
    const tesk_vumo::ByteReader read = [data, size](std::uint64_t offset, void* into, std::size_t count) {
        if (offset > size || count > size - offset)
            return false;
        std::memcpy(into, data + offset, count);
        return true;
    };
    const auto declared = tesk_vumo::read_image_header(read);
    const cv::Mat image = tesk_vumo::decode_image_file("/proc/self/fd/" + std::to_string(fd));
    ::close(fd);
    if (image.empty())
        return 0;
    const auto pixels = static_cast<std::uint64_t>(image.cols) * static_cast<std::uint64_t>(image.rows);
    if (!declared || pixels > declared->width * declared->height || pixels > limit) {
        std::fprintf(stderr, "decoded %d x %d pixels, the header check declared %s\n", image.cols, image.rows,
                     declared ? (std::to_string(declared->width) + " x " + std::to_string(declared->height)).c_str()
                              : "no image");
        std::abort();
    }
    return 0;
}
