#ifndef TESK_VUMO_COMMON_IMAGE_SOURCE_H
#define TESK_VUMO_COMMON_IMAGE_SOURCE_H

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

/// Decodes the image file at @p path into 8-bit samples in R, G, B order
/// (3 channels). The bytes are read here and decoded from memory, so any
/// path the system can open works, whatever its characters. Returns an
/// empty Mat when the file cannot be read or is not a decodable image.
cv::Mat decode_image_file(const std::filesystem::path& path);

/// "Load Image File [<path>] Failed." or, for ContextViewer, the translated
/// read-failure text followed by "[<path>]".
std::string read_failure_message(SourceMessages wording, const std::string& path_text);

/// The type-error prefix of @p wording followed by @p type_text.
std::string unsupported_type_message(SourceMessages wording, const std::string& type_text);

/// The file-path rule: decodes @p path, or throws AssertionError with the
/// read-failure message naming @p path_text.
cv::Mat read_source_file(const std::filesystem::path& path, const std::string& path_text,
                         SourceMessages wording);

/// The pixel-array rule: a gray array (one channel) becomes a new RGB image
/// with three equal samples; a 3-channel array is returned as it is (shared,
/// not copied). Throws TypeError for what no viewer can show: an empty
/// array, more than two dimensions, samples other than 8-bit unsigned, or a
/// channel count other than 1 or 3.
cv::Mat accept_source_array(const cv::Mat& value, SourceMessages wording);

/// True when a newly set image keeps the scroll position: an image was
/// stored before and both have the same width and height.
bool keeps_scroll_position(const cv::Mat& stored, const cv::Mat& incoming);

} // namespace tesk_vumo

#endif
