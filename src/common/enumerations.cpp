#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/common/rotation.h"
#include "tesk_vumo/common/zoom_mode.h"

#include <string>

namespace tesk_vumo {

namespace {
const char* const zoom_names[] = {"FitPage", "FitWidth", "FitHeight", "NoZoom", "ZoomAny"};
const char* const rotation_names[] = {"NoRotation", "ClockWise90", "Double90", "CounterClockWise90",
                                      "DegreeAny"};

bool in_range(int index) { return index >= 0 && index <= 4; }
} // namespace

const char* name(ZoomMode mode)
{
    const int i = static_cast<int>(mode);
    return in_range(i) ? zoom_names[i] : "?";
}

const char* name(Rotation rotation)
{
    const int i = static_cast<int>(rotation);
    return in_range(i) ? rotation_names[i] : "?";
}

ZoomMode zoom_mode_from_index(int index)
{
    if (!in_range(index))
        throw ValueError(std::to_string(index) + " is not a valid ZoomMode");
    return static_cast<ZoomMode>(index);
}

Rotation rotation_from_index(int index)
{
    if (!in_range(index))
        throw ValueError(std::to_string(index) + " is not a valid Rotation");
    return static_cast<Rotation>(index);
}

} // namespace tesk_vumo
