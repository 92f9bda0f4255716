#include "tesk_vumo/panel/viewer_core.h"

#include "../common/image_memory.h"
#include "../common/rgb_bitmap.h"
#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/common/view_geometry.h"
#include "tesk_vumo/forms/event_guard.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include <opencv2/imgproc.hpp>
#include <wx/dcbuffer.h>
#include <wx/dcclient.h>

// One source per concern of the core; all are instantiated here for both
// viewer forms.
#include "core_state.inl"
#include "core_fitting.inl"
#include "core_rendering.inl"
#include "core_pointer.inl"

namespace tesk_vumo {

template class ViewerCore<ImagePanelForm>;
template class ViewerCore<ImageForm>;

} // namespace tesk_vumo
