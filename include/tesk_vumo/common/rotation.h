#ifndef TESK_VUMO_COMMON_ROTATION_H
#define TESK_VUMO_COMMON_ROTATION_H

namespace tesk_vumo {

/// Quarter turns applied to the image before scaling. The values double as
/// item indexes of the rotation choices.
enum class Rotation : int
{
    NoRotation = 0,         ///< shown as stored
    ClockWise90 = 1,        ///< a quarter turn clockwise
    Double90 = 2,           ///< a half turn
    CounterClockWise90 = 3, ///< a quarter turn counter-clockwise
    DegreeAny = 4,          ///< the viewer's free rotation_degree
};

/// The member's identifier, e.g. "ClockWise90".
const char* name(Rotation rotation);

/// The member of value @p index; throws ValueError outside 0..4.
Rotation rotation_from_index(int index);

} // namespace tesk_vumo

#endif
