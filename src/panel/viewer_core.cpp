#include "tesk_vumo/panel/viewer_core.h"

#include "../common/image_memory.h"
#include "../common/image_pyramid.h"
#include "../common/overlay_areas.h"
#include "../common/rgb_bitmap.h"
#include "../common/view_renderer.h"
#include "../files/background_load.h"
#include "../files/view_files.h"
#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/common/view_geometry.h"
#include "tesk_vumo/common/view_transform.h"
#include "tesk_vumo/forms/event_guard.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <utility>

#include <opencv2/imgproc.hpp>
#include <wx/app.h>
#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/filedlg.h>
#include <wx/region.h>
#include <wx/utils.h>
#include <wx/weakref.h>

namespace tesk_vumo {
namespace {
// From this many pixels on a fitting shows the busy cursor; for smaller
// ones the cursor's round trips to the display would cost more than they tell.
bool takes_long(cv::Size size)
{
    return static_cast<long long>(size.width) * size.height > (1LL << 22);
}
} // namespace

template <class Form>
struct ViewerCore<Form>::FreeView
{
    ImagePyramid pyramid;
    ViewRenderer renderer;
    cv::Mat shown; ///< the displayed image, made on demand since the last fitting
};

} // namespace tesk_vumo

// One source per concern of the core; all are instantiated here for both
// viewer forms.
#include "core_state.inl"
#include "core_fitting.inl"
#include "core_rendering.inl"
#include "core_pointer.inl"
#include "core_events.inl"
#include "core_navigation.inl"
#include "core_loading.inl"

namespace tesk_vumo {

template class ViewerCore<ImagePanelForm>;
template class ViewerCore<ImageForm>;

} // namespace tesk_vumo
