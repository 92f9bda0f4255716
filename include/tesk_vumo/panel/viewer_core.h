#include "tesk_vumo/core/viewer_core.h"
