#ifndef TESK_VUMO_COMMON_ZOOM_MODE_H
#define TESK_VUMO_COMMON_ZOOM_MODE_H

namespace tesk_vumo {

/// How a viewer scales its image to the drawing surface. The values double
/// as item indexes of the zoom choices.
enum class ZoomMode : int
{
    FitPage = 0,   ///< the whole image fits inside the view
    FitWidth = 1,  ///< the image width is scaled to the view width
    FitHeight = 2, ///< the image height is scaled to the view height
    NoZoom = 3,    ///< one image pixel per screen pixel
    ZoomAny = 4,   ///< the viewer's free zoom_rate
};

/// The member's identifier, e.g. "ZoomAny".
const char* name(ZoomMode mode);

/// The member of value @p index; throws ValueError outside 0..4.
ZoomMode zoom_mode_from_index(int index);

} // namespace tesk_vumo

#endif
