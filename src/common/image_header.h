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

/// The formats the codec decodes here, each by its own decoder.
enum class ImageFormat
{
    Png,
    Jpeg,
    Bmp,
    Tiff, ///< and BigTIFF
    WebP,
    Pxm, ///< PBM, PGM, PPM
    Pam,
    Pfm,
    SunRaster,
    Radiance,
    Jpeg2000, ///< a JP2 file or a bare codestream
    Exr,
};

/// What a header declares: the format whose decoder the codec picks for the
/// file, and the width and height in pixels that decoder will read, as wide
/// as a header may state them.
struct ImageHeader
{
    ImageFormat format;
    std::uint64_t width;
    std::uint64_t height;
};

/// The header of an image file, read through @p read from the few bytes
/// that hold it (a JPEG's segments are skipped, not read), the way the
/// codec's own readers take it: the same decoder, the same entry of a
/// repeated tag, the same comments. nullopt for a signature of no format
/// above, a file the codec would hand to another decoder first (a DICOM
/// preamble), or a header that cannot be an image's.
std::optional<ImageHeader> read_image_header(const ByteReader& read);

/// Whether the codec decodes @p format from memory. Others it decodes from
/// a file only, and from memory through a temporary file that it leaves
/// behind when the decoding fails.
bool decodes_from_memory(ImageFormat format);

/// Most scans a progressive JPEG may have: real encoders write a dozen or
/// so, and each scan costs the decoder a pass over the whole image.
inline constexpr std::size_t max_jpeg_scans = 256;

/// The number of scans (start-of-scan markers) in the JPEG data @p bytes of
/// @p size bytes, counted up to max_jpeg_scans + 1.
std::size_t jpeg_scan_count(const unsigned char* bytes, std::size_t size);

} // namespace tesk_vumo

#endif
