#ifndef TESK_VUMO_SRC_CORE_DRAWING_H
#define TESK_VUMO_SRC_CORE_DRAWING_H

// What the viewing core draws from: the source's pyramid, the renderer of
// the viewport and the displayed image, made when asked for.

#include "../common/image_pyramid.h"
#include "../common/view_renderer.h"
#include "tesk_vumo/core/viewer_core.h"

namespace tesk_vumo {

struct ViewerCore::Drawing
{
    ImagePyramid pyramid;
    ViewRenderer renderer;
    cv::Mat shown; ///< the displayed image, made on demand since the last fitting
};

} // namespace tesk_vumo

#endif
