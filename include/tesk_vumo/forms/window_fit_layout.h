#ifndef TESK_VUMO_FORMS_WINDOW_FIT_LAYOUT_H
#define TESK_VUMO_FORMS_WINDOW_FIT_LAYOUT_H

class wxWindow;

namespace tesk_vumo {

/// Recomputes the layout of @p window after a child was shown or hidden,
/// and centres it on screen when @p center is true. Does nothing for null.
void window_fit_layout(wxWindow* window, bool center);

} // namespace tesk_vumo

#endif
