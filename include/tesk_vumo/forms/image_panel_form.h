#ifndef TESK_VUMO_FORMS_IMAGE_PANEL_FORM_H
#define TESK_VUMO_FORMS_IMAGE_PANEL_FORM_H

#include <memory>

#include <wx/button.h>
#include <wx/menu.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/panel.h>
#include <wx/scrolbar.h>
#include <wx/textctrl.h>

namespace tesk_vumo {

/// Form of ImagePanel: creates the drawing surface, the scroll bars and the
/// docked assist bar, and routes their events to the virtual handlers below,
/// which ImagePanel overrides. The handlers of the form itself do nothing.
///
/// The bar keeps to one row: where it is too narrow it drops the copy and
/// paste buttons, then the undocking button, then the selection read-outs, then the pointer read-outs, then
/// the levels group (shown only for a source with levels), then the
/// guide-line boxes, then the rate and angle inputs (shown only under
/// ZoomAny and DegreeAny), then the choices, keeping its load and save
/// buttons; where the picture would keep less than half the height it shows
/// nothing. What it drops for want of width is offered by a drop-down
/// button at its end, shown only then.
class ImagePanelForm : public wxPanel
{
public:
    ImagePanelForm(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                   const wxSize& size = wxSize(640, 480), long style = wxTAB_TRAVERSAL,
                   const wxString& name = wxPanelNameStr);
    ImagePanelForm(wxWindow* parent, const wxSize& size) : ImagePanelForm(parent, wxID_ANY, wxDefaultPosition, size) {}
    ~ImagePanelForm() override;

    /// Puts every text, item and tooltip in the language of the moment.
    void relabel();

    /// The overflow button's menu: for each group the bar has no room for,
    /// entries that do what its controls do (radio items for the zoom and
    /// rotation choices, check items for the guide-line boxes) by setting
    /// the hidden control and sending the control's own event; the rate,
    /// angle and levels inputs and the undocking button as items that undock
    /// (the floating window has those inputs), items for the automatic
    /// levels, copy and paste; disabled items that show the
    /// hidden read-outs. Empty while nothing is dropped.
    std::unique_ptr<wxMenu> overflow_menu();

    wxPanel* ui_image;                  ///< drawing surface
    wxScrollBar* ui_scroll_bar_horizontal;
    wxScrollBar* ui_scroll_bar_vertical;
    wxPanel* ui_panel_assist;           ///< the docked assist bar
    wxChoice* ui_zoom_mode;             ///< item i is ZoomMode of value i
    wxChoice* ui_angle;                 ///< item i is Rotation of value i
    wxTextCtrl* ui_zoom_rate;           ///< the free zoom rate in percent, shown under ZoomAny
    wxTextCtrl* ui_angle_degree;        ///< the free angle in degrees, shown under DegreeAny
    wxTextCtrl* ui_levels_low;          ///< the value shown as black, shown for a source with levels
    wxTextCtrl* ui_levels_high;         ///< the value shown as white
    wxButton* ui_levels_auto;           ///< back to the automatic levels
    wxCheckBox* ui_checkbox_middle_lines;
    wxCheckBox* ui_checkbox_follow_lines;
    wxTextCtrl* ui_x;
    wxTextCtrl* ui_y;
    wxTextCtrl* ui_rgb;
    wxTextCtrl* ui_width;
    wxTextCtrl* ui_height;
    wxButton* ui_button_load;
    wxButton* ui_button_save;
    wxButton* ui_button_copy;           ///< the selection (or the view) to the clipboard
    wxButton* ui_button_paste;          ///< the clipboard's image as the source
    wxButton* ui_button_close_assist;
    wxButton* ui_button_overflow;       ///< shown while the bar drops something

    virtual void on_change_zoom_mode(wxCommandEvent&) {}
    virtual void on_change_rotation(wxCommandEvent&) {}
    /// Enter pressed in, or focus leaving, the rate or angle input.
    virtual void on_change_zoom_rate(wxCommandEvent&) {}
    virtual void on_change_angle_degree(wxCommandEvent&) {}
    /// Enter pressed in, or focus leaving, either levels input (but for the other).
    virtual void on_change_levels(wxCommandEvent&) {}
    virtual void on_auto_levels(wxCommandEvent&) {}
    virtual void on_show_middle_lines(wxCommandEvent&) {}
    virtual void on_show_following_lines(wxCommandEvent&) {}
    virtual void on_load_image(wxCommandEvent&) {}
    virtual void on_save_image(wxCommandEvent&) {}
    virtual void on_copy_image(wxCommandEvent&) {}
    virtual void on_paste_image(wxCommandEvent&) {}
    virtual void on_close_assist_bar(wxCommandEvent&) {}
    /// The overflow button: drops down overflow_menu().
    virtual void on_show_overflow_menu(wxCommandEvent&) {}
    virtual void on_mouse_wheel(wxMouseEvent&) {}
    virtual void on_mouse_motion(wxMouseEvent&) {}
    virtual void on_start_dragging(wxMouseEvent&) {}
    virtual void on_mouse_wheel_scroll(wxMouseEvent&) {}
    virtual void on_mouse_leave(wxMouseEvent&) {}
    /// Called by the derived widget's destructor, before any window dies.
    virtual void on_going_to_destroy() {}

protected:
    /// Shows the rate and angle inputs or takes them from the bar.
    void show_free_inputs(bool zoom_rate, bool angle_degree);
    /// Shows the levels group or takes it from the bar.
    void show_levels_group(bool shown);

private:
    void fit_bar();

    struct Parts;
    std::unique_ptr<Parts> parts_;
};

} // namespace tesk_vumo

#endif
