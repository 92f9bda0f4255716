#include "tesk_vumo/common/viewer_events.h"

namespace tesk_vumo {

wxDEFINE_EVENT(EVT_VIEWER_POINTER, ViewerEvent);
wxDEFINE_EVENT(EVT_VIEWER_SELECTION, ViewerEvent);
wxDEFINE_EVENT(EVT_VIEWER_VIEW, ViewerEvent);
wxDEFINE_EVENT(EVT_VIEWER_LOADED, ViewerEvent);
wxDEFINE_EVENT(EVT_VIEWER_OVERLAY, ViewerEvent);
wxDEFINE_EVENT(EVT_VIEWER_DROP, ViewerEvent);

} // namespace tesk_vumo
