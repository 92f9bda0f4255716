#ifndef TESK_VUMO_PANEL_IMAGE_PANEL_H
#define TESK_VUMO_PANEL_IMAGE_PANEL_H

#include <type_traits> // wx/weakref.h needs it but does not include it

#include <wx/weakref.h>

#include "tesk_vumo/core/viewer_core.h"
#include "tesk_vumo/forms/image_panel_form.h"

namespace tesk_vumo {

class ImagePanelAssist;

/// The full viewer: an image scaled by a zoom mode, turned in quarter
/// turns, scrolled with scroll bars and the wheel, with guide lines, a
/// pointer read-out and a rubber-band selection, driven from a docked
/// assist bar (zoom and rotation choices, guide-line check boxes, read-outs,
/// load and save). See ViewerCore for the viewing behaviour.
class ImagePanel : public ImagePanelForm, public ViewerCore
{
public:
    using ZoomMode = tesk_vumo::ZoomMode;
    using Rotation = tesk_vumo::Rotation;

    explicit ImagePanel(wxWindow* parent, const wxSize& size = wxSize(640, 480));
    ImagePanel(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
               const wxSize& size = wxSize(640, 480), long style = wxTAB_TRAVERSAL,
               const wxString& name = wxPanelNameStr);
    ~ImagePanel() override;

    /// Destroys the panel, put off while it delivers an event (see ViewerCore::put_off_destroy).
    bool Destroy() override;

    /// Checks or unchecks the middle-lines box without an event; the lines
    /// show at the next redraw.
    void enable_middle_lines(bool enabled = true);
    void disable_middle_lines() { require_gui_thread(__func__); enable_middle_lines(false); }

    /// Docked choices: apply the chosen item's mode or rotation (the
    /// floating window's choices follow). An item the fitting rejects
    /// (a fit mode that cannot scale this image) leaves the picture as it was.
    void on_change_zoom_mode(wxCommandEvent& event) override;
    void on_change_rotation(wxCommandEvent& event) override;
    /// Docked inputs, shown under ZoomAny (DegreeAny): apply the typed rate
    /// in percent (angle in degrees). A text that is no number, or a rate
    /// out of range, is reported and the input shows the value in force.
    void on_change_zoom_rate(wxCommandEvent& event) override;
    void on_change_angle_degree(wxCommandEvent& event) override;
    /// What both bars' inputs do with their text: @p input is the docked
    /// or the floating one.
    void apply_typed_zoom_rate(wxTextCtrl* input);
    void apply_typed_angle_degree(wxTextCtrl* input);
    /// Docked levels inputs, shown for a source with levels: set levels to
    /// the typed pair. A text that is no number, or a pair that levels
    /// refuses, is reported and both inputs show the levels in force.
    void on_change_levels(wxCommandEvent& event) override;
    /// The automatic-levels button: levels back to automatic.
    void on_auto_levels(wxCommandEvent& event) override;
    /// What both bars' levels inputs do with their texts: @p low and
    /// @p high are the docked or the floating ones.
    void apply_typed_levels(wxTextCtrl* low, wxTextCtrl* high);
    /// Guide-line check boxes: redraw at once.
    void on_show_middle_lines(wxCommandEvent& event) override;
    void on_show_following_lines(wxCommandEvent& event) override;

    /// The drawing surface's and the bars' pointer events: the viewing core's.
    void on_mouse_wheel(wxMouseEvent& event) override { ViewerCore::on_mouse_wheel(event); }
    void on_mouse_wheel_scroll(wxMouseEvent& event) override { ViewerCore::on_mouse_wheel_scroll(event); }
    void on_mouse_motion(wxMouseEvent& event) override { ViewerCore::on_mouse_motion(event); }
    void on_start_dragging(wxMouseEvent& event) override { ViewerCore::on_start_dragging(event); }
    void on_mouse_leave(wxMouseEvent& event) override { ViewerCore::on_mouse_leave(event); }

    /// Asks for an image file and shows it; a file that cannot be decoded
    /// keeps the previous image and is reported with its cause in an error
    /// box. Cancelling changes nothing.
    void on_load_image(wxCommandEvent& event) override;
    /// Asks for a file name and writes the displayed (zoomed and turned)
    /// image there, or with a selection the pixels get_selection_image()
    /// gives, whichever way it was dragged; the dialog asks before an existing file is replaced. The outcome
    /// is reported in a message box. Does nothing while no image is shown.
    void on_save_image(wxCommandEvent& event) override;
    /// Copy and paste buttons: as Ctrl+C and Ctrl+V on the picture.
    void on_copy_image(wxCommandEvent& event) override;
    void on_paste_image(wxCommandEvent& event) override;

    /// Hides the docked assist bar and shows the floating assist window in
    /// its place (the same window while one is open).
    void on_close_assist_bar(wxCommandEvent& event) override;
    /// Shows the docked assist bar again; queued by the floating window
    /// when it closes.
    void on_assist_closed();
    /// Drops the menu of what the narrow docked bar has no room for down
    /// from its overflow button.
    void on_show_overflow_menu(wxCommandEvent& event) override;
    /// Destroys the floating assist window, if any.
    void on_going_to_destroy() override;
    /// The floating assist window; null while the bar is docked.
    ImagePanelAssist* assist() const { require_gui_thread(__func__); return assist_.get(); }

protected:
    bool middle_lines_shown() const override { return ui_checkbox_middle_lines->IsChecked(); }
    bool following_lines_shown() const override { return ui_checkbox_follow_lines->IsChecked(); }
    /// The zoom and rotation choices, docked and floating, show the mode
    /// and rotation in force, whoever set them.
    void show_zoom_mode(ZoomMode mode) override;
    void show_rotation(Rotation rotation) override;
    /// Both bars' inputs show the zoom rate and angle in force.
    void show_view() override;
    /// Both bars show the levels group for a source with levels, with the
    /// levels in force.
    void show_levels() override;

private:
    void lay_out_for_assist_bar();

    // Weak: the window may be deleted at idle time while still referred to here.
    wxWeakRef<ImagePanelAssist> assist_;
};

} // namespace tesk_vumo

#endif
