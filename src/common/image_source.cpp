#include "tesk_vumo/common/image_source.h"

#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/forms/i18n.h"
#include "image_memory.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <system_error>
#include <vector>

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
} // namespace

cv::Mat decode_image_file(const std::filesystem::path& path)
{
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec))
        return {};
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    // One read of the file's size, with room for the marker below, into
    // memory of huge pages: a large file is as many fresh pages as it is
    // long.
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size == 0 || size > static_cast<std::uintmax_t>(std::numeric_limits<int>::max() - 2))
        return {};
    cv::Mat buffer;
    make_image(buffer, cv::Size(static_cast<int>(size) + 2, 1), CV_8UC1);
    in.read(reinterpret_cast<char*>(buffer.data), static_cast<std::streamsize>(size));
    int length = static_cast<int>(in.gcount());
    if (in.bad() || length == 0)
        return {};
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
            return {};
        buffer.release();
        bgr_to_rgb_in_place(image);
    } catch (const cv::Exception&) {
        // The codecs throw on some malformed headers (e.g. a declared size
        // beyond their limits); to the caller that is just an unreadable file.
        return {};
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
