// The translations moved below the image code that uses them; hosts written
// against this path keep compiling.
#include "tesk_vumo/i18n/i18n.h"
