// The header check over arbitrary bytes: it must never read outside them
// (AddressSanitizer) nor overflow (UndefinedBehaviorSanitizer).

#include "common/image_header.h"

#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A copy of exactly the input's size, so that a read past it is seen.
    const std::vector<unsigned char> bytes(data, data + size);
    const tesk_vumo::ByteReader read = [&bytes](std::uint64_t offset, void* into, std::size_t count) {
        if (offset > bytes.size() || count > bytes.size() - offset)
            return false;
        std::memcpy(into, bytes.data() + offset, count);
        return true;
    };
    if (const auto header = tesk_vumo::read_image_header(read))
        (void)tesk_vumo::decodes_from_memory(header->format);
    (void)tesk_vumo::jpeg_scan_count(bytes.data(), bytes.size());
    return 0;
}
