#ifndef TESK_VUMO_COMMON_IMAGE_SOURCE_H
#define TESK_VUMO_COMMON_IMAGE_SOURCE_H

#include <cstdint>
#include <filesystem>
#include <string>

#include <opencv2/core.hpp>

namespace tesk_vumo {

/// The wording of a viewer's source_image errors: SimpleImagePanel and
/// ImagePanel use Standard, Image uses ContextViewer (translated read
/// failure, Chinese type-error prefix).
enum class SourceMessages
{
    Standard,
    ContextViewer,
};

/// Most pixels (width x height) a decoded image file may have unless a host
/// sets another limit: about 268 million, so a 100-megapixel photo loads
/// and a decompression bomb (a small file declaring, say, 20000 x 20000
/// pixels) does not.
inline constexpr std::uint64_t default_max_image_pixels = std::uint64_t{1} << 28;

/// The pixel limit in force for decoding image files.
std::uint64_t max_image_pixels();

/// Sets the pixel limit for every later decoding of an image file. Throws
/// ValueError for 0. OpenCV's own limit still applies above it: 2^30 pixels
/// unless OPENCV_IO_MAX_IMAGE_PIXELS is set in the environment before
/// OpenCV's library is loaded (it reads it then, once).
void set_max_image_pixels(std::uint64_t pixels);

/// Decodes the image file at @p path into 8-bit samples in R, G, B order
/// (3 channels). The header is read first, as the decoder reads it: a file
/// that declares no image of a known format, one that OpenCV would give to
/// another decoder, more pixels than max_image_pixels(), or (a progressive
/// JPEG) more than 256 scans, is refused before its pixels are decoded or
/// any pixel memory is taken. Whatever the header says, the decoder gets no
/// memory for more pixels than the limit. The file is opened once, here,
/// so any path the system can open works, whatever its characters, and no
/// temporary file is ever made. Returns an empty Mat when the file
/// cannot be read or decoded; then @p failure (when given) receives the
/// cause for a person: the system's error text or the library's own,
/// translated.
///
/// With @p native_depth the image keeps the file's depth and channels:
/// gray stays one channel, gray and alpha become R, G, B and alpha, colour
/// comes in R, G, B (and alpha) order, samples stay 8-bit, 16-bit or float
/// (a JPEG turned by its EXIF orientation, as always).
cv::Mat decode_image_file(const std::filesystem::path& path, std::string* failure = nullptr,
                          bool native_depth = false);

/// "Load Image File [<path>] Failed." or, for ContextViewer, the translated
/// read-failure text followed by "[<path>]".
std::string read_failure_message(SourceMessages wording, const std::string& path_text);

/// The type-error prefix of @p wording followed by @p type_text.
std::string unsupported_type_message(SourceMessages wording, const std::string& type_text);

/// The file-path rule: decodes @p path (at its own depth with
/// @p native_depth), or throws AssertionError with the
/// read-failure message naming @p path_text as its first line and the cause
/// (as decode_image_file() gives it) as its second.
cv::Mat read_source_file(const std::filesystem::path& path, const std::string& path_text,
                         SourceMessages wording, bool native_depth = false);

/// Whether samples of OpenCV depth @p depth can be shown: 8-bit unsigned,
/// 16-bit unsigned or signed, 32-bit signed, 32-bit or 64-bit float.
bool showable_depth(int depth);

/// The pixel-array rule: an 8-bit gray array (one channel) becomes a new RGB
/// image with three equal samples; every other array is returned as it is
/// (shared, not copied). Throws TypeError for what no viewer can show: an
/// empty array, more than two dimensions, samples of another depth than
/// showable_depth() takes, or a channel count other than 1, 3 or 4.
cv::Mat accept_source_array(const cv::Mat& value, SourceMessages wording);

/// True when a newly set image keeps the scroll position: an image was
/// stored before and both have the same width and height.
bool keeps_scroll_position(const cv::Mat& stored, const cv::Mat& incoming);

} // namespace tesk_vumo

#endif
