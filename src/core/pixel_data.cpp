#include "tesk_vumo/core/viewer_core.h"

#include "drawing.h"

#include "../common/display_mapping.h"
#include "tesk_vumo/common/errors.h"

#include <cmath>
#include <sstream>
#include <tuple>

namespace tesk_vumo {

namespace {
std::string number(double value)
{
    std::ostringstream text;
    text << value;
    return text.str();
}

template <class T>
void read_samples(const cv::Mat& image, int x, int y, std::vector<double>& into)
{
    const T* pixel = image.ptr<T>(y) + static_cast<std::ptrdiff_t>(x) * image.channels();
    for (int c = 0; c < image.channels(); ++c)
        into.push_back(static_cast<double>(pixel[c]));
}
} // namespace

void ViewerCore::set_levels(std::optional<std::pair<double, double>> levels)
{
    require_gui_thread(__func__);
    if (levels && !(std::isfinite(levels->first) && std::isfinite(levels->second) && levels->first < levels->second))
        throw ValueError("Unsupported Levels: (" + number(levels->first) + ", " + number(levels->second)
                         + "); expected finite low < high");
    levels_ = levels;
    apply_mapping();
    show_levels();
}

std::pair<double, double> ViewerCore::display_levels() const
{
    require_gui_thread(__func__);
    return levels_ ? *levels_ : automatic_levels_in_force();
}

std::pair<double, double> ViewerCore::automatic_levels_in_force() const
{
    if (!auto_levels_)
        auto_levels_ = automatic_levels(source_image_);
    return *auto_levels_;
}

void ViewerCore::set_colormap(const std::string& name)
{
    require_gui_thread(__func__);
    if (!colormap_code(name))
        throw ValueError("Unsupported Colormap: " + name
                         + " (expected gray, viridis, magma, inferno, plasma, turbo, jet, hot or bone)");
    colormap_ = name;
    apply_mapping();
}

void ViewerCore::set_interpolation(const std::string& mode)
{
    require_gui_thread(__func__);
    if (!interpolation_known(mode))
        throw ValueError("Unsupported Interpolation: " + mode + " (expected linear, nearest or area)");
    interpolation_ = mode;
    apply_mapping();
}

std::vector<double> ViewerCore::get_source_value(int x, int y) const
{
    require_gui_thread(__func__);
    if (source_image_.empty())
        throw ValueError("No source image to read a value from");
    if (x < 0 || y < 0 || x >= source_image_.cols || y >= source_image_.rows)
        throw ValueError("Source pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") lies outside the "
                         + std::to_string(source_image_.cols) + "x" + std::to_string(source_image_.rows) + " source");
    std::vector<double> value;
    switch (source_image_.depth()) {
    case CV_8U: read_samples<uchar>(source_image_, x, y, value); break;
    case CV_16U: read_samples<ushort>(source_image_, x, y, value); break;
    case CV_16S: read_samples<short>(source_image_, x, y, value); break;
    case CV_32S: read_samples<int>(source_image_, x, y, value); break;
    case CV_32F: read_samples<float>(source_image_, x, y, value); break;
    default: read_samples<double>(source_image_, x, y, value); break;
    }
    return value;
}

bool ViewerCore::source_has_levels() const
{
    require_gui_thread(__func__);
    return !source_image_.empty() && source_image_.type() != CV_8UC3;
}

ViewLook ViewerCore::look() const
{
    ViewLook look;
    look.sampling = interpolation_ == "nearest" ? Sampling::Nearest
                  : interpolation_ == "area"    ? Sampling::Area
                                                : Sampling::Linear;
    // 3-channel 8-bit sources are shown as they are, without levels.
    if (levels_)
        std::tie(look.mapping.low, look.mapping.high) = *levels_;
    else if (source_image_.type() != CV_8UC3)
        std::tie(look.mapping.low, look.mapping.high) = automatic_levels_in_force();
    look.mapping.colormap = colormap_code(colormap_).value_or(-1);
    return look;
}

void ViewerCore::apply_mapping()
{
    drawing_->renderer.set_look(look());
    // A displayed image a host asked for shows the old mapping: made anew when asked again.
    drawing_->shown.release();
    if (view_)
        draw_image();
}

} // namespace tesk_vumo
