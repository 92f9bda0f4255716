#ifndef TESK_VUMO_TESK_VUMO_H
#define TESK_VUMO_TESK_VUMO_H

// Every public part of the library: the three viewers, the floating assist
// window, the enumerations, errors, image rules, the dialog seam and the
// viewers' events.

#include "tesk_vumo/assist/image_panel_assist.h"
#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/common/image_source.h"
#include "tesk_vumo/common/image_writer.h"
#include "tesk_vumo/common/rotation.h"
#include "tesk_vumo/common/user_interaction.h"
#include "tesk_vumo/common/view_geometry.h"
#include "tesk_vumo/common/viewer_events.h"
#include "tesk_vumo/common/zoom_mode.h"
#include "tesk_vumo/forms/window_fit_layout.h"
#include "tesk_vumo/i18n/i18n.h"
#include "tesk_vumo/panel/image_panel.h"
#include "tesk_vumo/simple/simple_image_panel.h"
#include "tesk_vumo/viewer/image.h"

#endif
