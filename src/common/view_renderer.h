#ifndef TESK_VUMO_SRC_COMMON_VIEW_RENDERER_H
#define TESK_VUMO_SRC_COMMON_VIEW_RENDERER_H

#include <opencv2/core.hpp>

#include "image_pyramid.h"
#include "tesk_vumo/common/view_transform.h"

namespace tesk_vumo {

/// Composes into @p out the viewport of @p view: the part of @p pyramid's
/// image (8-bit R, G, B) that the view shows, sampled straight from the
/// pyramid level nearest the scale, and @p background (R, G, B) around the
/// displayed image and in the corners a free angle leaves. @p out is made an
/// 8-bit R, G, B image of the viewport's size; its memory is kept from call
/// to call, so that a steady view allocates nothing.
///
/// Above 1:1, and at 1:1 in quarter turns, each displayed pixel takes the
/// nearest image pixel: enlarged pixels stay sharp squares, as image
/// viewers show them for inspection. Below 1:1, and at 1:1 turned by a free
/// angle, pixels are interpolated bilinearly, which keeps reduced photos
/// and turned edges smooth.
void render_view(ImagePyramid& pyramid, const geometry::ViewTransform& view, const cv::Vec3b& background,
                 cv::Mat& out);

} // namespace tesk_vumo

#endif
