#include "display_mapping.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <type_traits>

#include <opencv2/imgproc.hpp>

namespace tesk_vumo {

namespace {

struct NamedMap
{
    const char* name;
    int code;
};

constexpr std::array<NamedMap, 9> colormaps{{{"gray", -1},
                                             {"viridis", cv::COLORMAP_VIRIDIS},
                                             {"magma", cv::COLORMAP_MAGMA},
                                             {"inferno", cv::COLORMAP_INFERNO},
                                             {"plasma", cv::COLORMAP_PLASMA},
                                             {"turbo", cv::COLORMAP_TURBO},
                                             {"jet", cv::COLORMAP_JET},
                                             {"hot", cv::COLORMAP_HOT},
                                             {"bone", cv::COLORMAP_BONE}}};

/// OpenCV's map @p code as a table of 256 R, G, B entries (its own are B, G, R).
const cv::Mat& colormap_table(int code)
{
    static std::array<cv::Mat, 32> tables;
    cv::Mat& table = tables.at(static_cast<std::size_t>(code));
    if (table.empty()) {
        cv::Mat ramp(1, 256, CV_8UC1);
        for (int i = 0; i < 256; ++i)
            ramp.at<uchar>(0, i) = static_cast<uchar>(i);
        cv::Mat bgr;
        cv::applyColorMap(ramp, bgr, code);
        cv::cvtColor(bgr, table, cv::COLOR_BGR2RGB);
    }
    return table;
}

template <class T>
std::pair<double, double> range_of(const cv::Mat& image)
{
    const int channels = image.channels(), colours = channels == 4 ? 3 : channels;
    if (std::is_integral_v<T> && channels != 4) {
        // No alpha and no NaN: OpenCV's vectorised pass.
        double low = 0, high = 0;
        cv::minMaxIdx(image.isContinuous() ? image.reshape(1, 1) : image.reshape(1), &low, &high);
        return {low, high > low ? high : low + 1.0};
    }
    double low = std::numeric_limits<double>::infinity(), high = -low;
    for (int y = 0; y < image.rows; ++y) {
        const T* row = image.ptr<T>(y);
        T lo = std::numeric_limits<T>::max(), hi = std::numeric_limits<T>::lowest();
        bool any = false;
        for (int x = 0; x < image.cols; ++x, row += channels)
            for (int c = 0; c < colours; ++c) {
                const T v = row[c];
                if constexpr (std::is_floating_point_v<T>)
                    if (!std::isfinite(v))
                        continue;
                lo = std::min(lo, v);
                hi = std::max(hi, v);
                any = true;
            }
        if (any) {
            low = std::min(low, static_cast<double>(lo));
            high = std::max(high, static_cast<double>(hi));
        }
    }
    if (!(low <= high))
        return {0.0, 255.0};
    return {low, high > low ? high : low + 1.0};
}

/// The checkerboard's grey at screen point (x, y).
inline int checker_at(int x, int y)
{
    return ((x / checker_square + y / checker_square) & 1) != 0 ? checker_dark : checker_light;
}

template <class T>
void over_checkerboard(const cv::Mat& samples, int y, cv::Point origin, uchar* out)
{
    const T* in = samples.ptr<T>(y);
    const double scale = 1.0 / alpha_scale(samples.depth());
    for (int x = 0; x < samples.cols; ++x, in += 4, out += 3) {
        const double a = std::clamp(static_cast<double>(in[3]) * scale, 0.0, 1.0);
        if (a >= 1.0)
            continue;
        const double grey = checker_at(origin.x + x, origin.y + y) * (1.0 - a);
        for (int c = 0; c < 3; ++c)
            out[c] = cv::saturate_cast<uchar>(out[c] * a + grey);
    }
}

template <class T>
void non_finite_as_background(const cv::Mat& samples, int y, const cv::Vec3b& background, uchar* out)
{
    const int channels = samples.channels(), colours = channels == 4 ? 3 : channels;
    const T* in = samples.ptr<T>(y);
    for (int x = 0; x < samples.cols; ++x, in += channels, out += 3) {
        bool finite = true;
        for (int c = 0; c < colours; ++c)
            finite = finite && std::isfinite(in[c]);
        if (!finite) {
            out[0] = background[0];
            out[1] = background[1];
            out[2] = background[2];
        }
    }
}

} // namespace

std::optional<int> colormap_code(const std::string& name)
{
    for (const NamedMap& map : colormaps)
        if (name == map.name)
            return map.code;
    return std::nullopt;
}

bool interpolation_known(const std::string& interpolation)
{
    return interpolation == "linear" || interpolation == "nearest" || interpolation == "area";
}

double alpha_scale(int depth)
{
    switch (depth) {
    case CV_8U: return 255.0;
    case CV_16U: return 65535.0;
    case CV_16S: return 32767.0;
    case CV_32S: return 2147483647.0;
    default: return 1.0;
    }
}

std::pair<double, double> sample_range(const cv::Mat& image)
{
    switch (image.depth()) {
    case CV_16U: return range_of<ushort>(image);
    case CV_16S: return range_of<short>(image);
    case CV_32S: return range_of<int>(image);
    case CV_32F: return range_of<float>(image);
    case CV_64F: return range_of<double>(image);
    default: return {0.0, 255.0};
    }
}

std::pair<double, double> automatic_levels(const cv::Mat& image)
{
    if (image.empty() || image.depth() == CV_8U)
        return {0.0, 255.0};
    constexpr double whole_pass = 1 << 22, sampled = 1 << 20;
    const double pixels = static_cast<double>(image.rows) * image.cols;
    if (pixels <= whole_pass)
        return sample_range(image);
    const int step = std::clamp(static_cast<int>(std::ceil(pixels / sampled)), 1, image.rows);
    cv::Mat rows(0, image.cols, image.type());
    for (int y = std::min(step / 2, image.rows - 1); y < image.rows; y += step)
        rows.push_back(image.row(y));
    return sample_range(rows);
}

std::string value_text(const std::vector<double>& value, int depth)
{
    const bool floating = depth == CV_32F || depth == CV_64F;
    std::string text;
    char number[32];
    for (std::size_t c = 0; c < value.size(); ++c) {
        if (floating)
            std::snprintf(number, sizeof number, "%.4g", value[c]);
        else
            std::snprintf(number, sizeof number, "%.0f", value[c]);
        text += (c == 0 ? "" : ", ") + std::string(number);
    }
    return text;
}

void map_samples(const cv::Mat& samples, const DisplayMapping& mapping, cv::Point checker_origin, cv::Mat rgb)
{
    CV_Assert(rgb.type() == CV_8UC3 && rgb.size() == samples.size());
    const int channels = samples.channels(), depth = samples.depth();
    const double a = 255.0 / (mapping.high - mapping.low), b = -mapping.low * a;
    const bool floating = depth == CV_32F || depth == CV_64F;
    const cv::Mat table = mapping.colormap >= 0 && channels == 1 ? colormap_table(mapping.colormap) : cv::Mat();
    // Bands of rows side by side, each with working rows of its own.
    constexpr int band = 16;
    cv::parallel_for_(cv::Range(0, (samples.rows + band - 1) / band), [&](const cv::Range& range) {
        cv::Mat levelled;
        for (int i = range.start; i < range.end; ++i) {
            const int top = i * band, bottom = std::min(top + band, samples.rows);
            const cv::Mat in = samples.rowRange(top, bottom);
            cv::Mat out = rgb.rowRange(top, bottom);
            if (channels == 3) {
                in.convertTo(out, CV_8U, a, b);
            } else if (channels == 1) {
                in.convertTo(levelled, CV_8U, a, b);
                cv::cvtColor(levelled, out, cv::COLOR_GRAY2RGB);
                if (!table.empty())
                    cv::LUT(out, table, out);
            } else {
                in.convertTo(levelled, CV_8U, a, b);
                cv::cvtColor(levelled, out, cv::COLOR_RGBA2RGB);
                for (int y = top; y < bottom; ++y) {
                    uchar* row = rgb.ptr(y);
                    switch (depth) {
                    case CV_8U: over_checkerboard<uchar>(samples, y, checker_origin, row); break;
                    case CV_16U: over_checkerboard<ushort>(samples, y, checker_origin, row); break;
                    case CV_16S: over_checkerboard<short>(samples, y, checker_origin, row); break;
                    case CV_32S: over_checkerboard<int>(samples, y, checker_origin, row); break;
                    case CV_32F: over_checkerboard<float>(samples, y, checker_origin, row); break;
                    default: over_checkerboard<double>(samples, y, checker_origin, row); break;
                    }
                }
            }
            if (floating)
                for (int y = top; y < bottom; ++y) {
                    if (depth == CV_32F)
                        non_finite_as_background<float>(samples, y, mapping.background, rgb.ptr(y));
                    else
                        non_finite_as_background<double>(samples, y, mapping.background, rgb.ptr(y));
                }
        }
    });
}

} // namespace tesk_vumo
