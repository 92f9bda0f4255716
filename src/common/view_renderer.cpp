#include "view_renderer.h"

#include <cmath>

#include <opencv2/imgproc.hpp>

#include "image_memory.h"

namespace tesk_vumo {

void render_view(ImagePyramid& pyramid, const geometry::ViewTransform& view, const cv::Vec3b& background,
                 cv::Mat& out)
{
    make_image(out, view.viewport(), CV_8UC3);
    const cv::Scalar fill(background[0], background[1], background[2]);
    const cv::Rect covered = pyramid.empty() ? cv::Rect() : view.image_rect() & cv::Rect(cv::Point(), out.size());
    const cv::Rect margins[] = {
        {0, 0, out.cols, covered.y},
        {0, covered.y + covered.height, out.cols, out.rows - covered.y - covered.height},
        {0, covered.y, covered.x, covered.height},
        {covered.x + covered.width, covered.y, out.cols - covered.x - covered.width, covered.height},
    };
    for (const cv::Rect& margin : margins)
        if (margin.area() > 0)
            out(margin).setTo(fill);
    if (covered.area() <= 0)
        return;

    const int k = pyramid.level_for(view.scale());
    const cv::Mat& level = pyramid.level(k);
    // Control pixel centres (x + 0.5) to level coordinates, in OpenCV's
    // convention where pixel centres are whole numbers.
    const double to_level = std::ldexp(1.0, -k);
    const cv::Matx23d m = view.control_to_source_matrix();
    const double cx = covered.x + 0.5, cy = covered.y + 0.5;
    const cv::Matx23d inverse(to_level * m(0, 0), to_level * m(0, 1),
                              to_level * (m(0, 0) * cx + m(0, 1) * cy + m(0, 2)) - 0.5, to_level * m(1, 0),
                              to_level * m(1, 1), to_level * (m(1, 0) * cx + m(1, 1) * cy + m(1, 2)) - 0.5);
    const bool upright = view.quarter_turns() >= 0;
    const bool nearest = view.scale() > 1.0 || (view.scale() == 1.0 && upright);
    // In quarter turns the displayed image is all image: its edge pixels
    // repeat the image's instead of fading into the background.
    cv::Mat place = out(covered);
    cv::warpAffine(level, place, inverse, covered.size(),
                   (nearest ? cv::INTER_NEAREST : cv::INTER_LINEAR) | cv::WARP_INVERSE_MAP,
                   upright ? cv::BORDER_REPLICATE : cv::BORDER_CONSTANT, fill);
}

} // namespace tesk_vumo
