#ifndef TESK_VUMO_SRC_FORMS_FORM_PARTS_H
#define TESK_VUMO_SRC_FORMS_FORM_PARTS_H

// Pieces that more than one form is built from.

#include <wx/arrstr.h>
#include <wx/panel.h>
#include <wx/scrolbar.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include "tesk_vumo/forms/event_guard.h"

namespace tesk_vumo::form_parts {

/// Item labels of the zoom and rotation choices, in value order.
wxArrayString zoom_mode_labels();
wxArrayString rotation_labels();

/// Creates the drawing surface with its two scroll bars under @p owner and
/// returns the sizer that lays them out.
wxSizer* create_viewport(wxWindow* owner, wxPanel*& image, wxScrollBar*& horizontal,
                         wxScrollBar*& vertical);

/// Creates the read-out text controls (pointer x, y, colour, selection
/// width, height) under @p owner, each after its label, into @p sizer.
void create_readouts(wxWindow* owner, wxSizer* sizer, wxTextCtrl*& x, wxTextCtrl*& y,
                     wxTextCtrl*& rgb, wxTextCtrl*& width, wxTextCtrl*& height);

/// Routes the mouse events of the viewport to the form's handlers.
template <class Form>
void route_viewport_mouse(Form* form)
{
    form->ui_image->Bind(wxEVT_MOUSEWHEEL, guarded(form, &Form::on_mouse_wheel, "on_mouse_wheel"));
    form->ui_image->Bind(wxEVT_MOTION, guarded(form, &Form::on_mouse_motion, "on_mouse_motion"));
    form->ui_image->Bind(wxEVT_LEFT_DOWN, guarded(form, &Form::on_start_dragging, "on_start_dragging"));
    form->ui_scroll_bar_horizontal->Bind(wxEVT_MOUSEWHEEL, guarded(form, &Form::on_mouse_wheel_scroll, "on_mouse_wheel_scroll"));
    form->ui_scroll_bar_vertical->Bind(wxEVT_MOUSEWHEEL, guarded(form, &Form::on_mouse_wheel_scroll, "on_mouse_wheel_scroll"));
}

} // namespace tesk_vumo::form_parts

#endif
