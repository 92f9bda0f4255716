#ifndef TESK_VUMO_SRC_COMMON_IMAGE_HEADER_H
#define TESK_VUMO_SRC_COMMON_IMAGE_HEADER_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

namespace tesk_vumo {

/// Reads @p count bytes at @p offset into @p into; false when the file ends
/// before them or cannot be read.
using ByteReader = std::function<bool(std::uint64_t offset, void* into, std::size_t count)>;

/// Width and height in pixels, as wide as a header may state them.
struct HeaderSize
{
    std::uint64_t width;
    std::uint64_t height;
};

/// Width and height an image file declares in its header, read through
/// @p read from the few bytes that hold them (a JPEG's segments are skipped,
/// not read). Covers the formats the codec decodes here: PNG, JPEG, BMP,
/// TIFF and BigTIFF, WebP, PBM/PGM/PPM/PAM, PFM, Sun raster, Radiance HDR,
/// JPEG 2000 and OpenEXR. nullopt for any other signature or a header that
/// cannot be an image's.
std::optional<HeaderSize> image_header_size(const ByteReader& read);

} // namespace tesk_vumo

#endif
