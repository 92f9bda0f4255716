#ifndef TESK_VUMO_SRC_CORE_FREE_VIEW_H
#define TESK_VUMO_SRC_CORE_FREE_VIEW_H

// What the viewing core keeps for a free view (ZoomAny, or a free angle).

#include "../common/image_pyramid.h"
#include "../common/view_renderer.h"
#include "tesk_vumo/core/viewer_core.h"

namespace tesk_vumo {

struct ViewerCore::FreeView
{
    ImagePyramid pyramid;
    ViewRenderer renderer;
    cv::Mat shown; ///< the displayed image, made on demand since the last fitting
};

} // namespace tesk_vumo

#endif
