#ifndef TESK_VUMO_COMMON_IMAGE_WRITER_H
#define TESK_VUMO_COMMON_IMAGE_WRITER_H

#include <filesystem>
#include <string>

#include <opencv2/core.hpp>

namespace tesk_vumo {

/// What became of a write_image_file call: success, or why it failed.
class WriteResult
{
public:
    enum class Failure
    {
        None,           ///< the file was written
        NothingToWrite, ///< no samples, or a path without a file name
        NoEncoder,      ///< no encoder for the path's extension
        EncoderRefused, ///< the encoder could not encode these samples
        FormatCannotHold, ///< the format would change the samples' depth, channels or values
        System,         ///< the system refused an operation (error_number() says which)
    };

    WriteResult() = default;
    WriteResult(Failure failure, int error_number = 0, std::string extension = {})
        : failure_(failure), error_number_(error_number), extension_(std::move(extension))
    {
    }

    bool ok() const { return failure_ == Failure::None; }
    explicit operator bool() const { return ok(); }
    Failure failure() const { return failure_; }
    /// The errno value of a System failure, else 0.
    int error_number() const { return error_number_; }
    /// The cause for a person, UTF-8, in the language of the texts: the
    /// library's own, e.g. "no encoder for the extension .xyz", or the
    /// system error's (i18n::system_error_text()); empty on success.
    std::string message() const;

private:
    Failure failure_ = Failure::None;
    int error_number_ = 0;
    std::string extension_;
};

/// Writes @p samples (1 gray channel, 3 in B, G, R order or 4 in B, G, R, A
/// order, of any depth) to @p path in the format its extension names, so
/// that no failure leaves a partial file or a temporary one behind:
/// - samples other than 8-bit gray or colour are written only where the
///   format gives them back exactly (depth, channels and values; e.g. 16-bit
///   PNG or TIFF, float TIFF for gray or with alpha, alpha in PNG), else
///   FormatCannotHold, before anything is touched;
/// - the file is encoded in memory first; an encoder failure touches nothing;
/// - a symbolic link is followed to its final target, which is written;
/// - normally the new file is made unnamed in the target's folder (a short
///   random name where the file system cannot), synced, moved over the target
///   and the folder synced; a replaced file's mode, owner, group (as far as
///   the process may set them) and extended attributes (ACLs among them) are
///   carried over;
/// - a file with other hard links, or one in a folder where no new file may
///   be made, is written in place, after its new size is reserved, so that a
///   full disk fails before the old bytes are touched.
WriteResult write_image_file(const std::filesystem::path& path, const cv::Mat& samples);

} // namespace tesk_vumo

#endif
