#ifndef TESK_VUMO_COMMON_IMAGE_WRITER_H
#define TESK_VUMO_COMMON_IMAGE_WRITER_H

#include <filesystem>

#include <opencv2/core.hpp>

namespace tesk_vumo {

/// Writes @p samples (3 channels in B, G, R order, or 1 gray channel) to
/// @p path in the format its extension names. The file is encoded in
/// memory, written beside the target under a temporary name and renamed
/// over it, so an existing file is only ever replaced by a complete new one.
/// Returns false, leaving any existing file untouched, when the extension
/// has no encoder, the folder cannot be written, the target is a directory
/// or the write fails.
bool write_image_file(const std::filesystem::path& path, const cv::Mat& samples);

} // namespace tesk_vumo

#endif
