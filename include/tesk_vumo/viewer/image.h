#ifndef TESK_VUMO_VIEWER_IMAGE_H
#define TESK_VUMO_VIEWER_IMAGE_H

#include <optional>

#include <wx/event.h>

#include "tesk_vumo/core/viewer_core.h"
#include "tesk_vumo/forms/image_form.h"

namespace tesk_vumo {

/// The full viewer driven from a right-click popup menu instead of an
/// assist bar: zoom modes, quarter turns, centre and pointer guide lines on
/// and off, loading a file and saving the current view in colour or gray.
/// See ViewerCore for the viewing behaviour. Source errors use this
/// viewer's own wording (translated read failure).
class Image : public ImageForm, public ViewerCore
{
public:
    explicit Image(wxWindow* parent, const wxSize& size = wxSize(640, 480));
    Image(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
          const wxSize& size = wxSize(640, 480), long style = wxTAB_TRAVERSAL,
          const wxString& name = wxPanelNameStr);

    /// Destroys the viewer, put off while it delivers an event (see ViewerCore::put_off_destroy).
    bool Destroy() override;

    /// Whether the centre (middle) guide lines are drawn; false at first.
    /// Setting it takes effect at the next redraw.
    bool middle_line_enabled() const { require_gui_thread(__func__); return middle_line_enabled_; }
    void set_middle_line_enabled(bool enabled) { require_gui_thread(__func__); middle_line_enabled_ = enabled; }
    /// Whether the pointer (following) guide lines are drawn and follow the
    /// pointer; false at first.
    bool following_line_enabled() const { require_gui_thread(__func__); return following_line_enabled_; }
    void set_following_line_enabled(bool enabled) { require_gui_thread(__func__); following_line_enabled_ = enabled; }

    /// Where the next popup menu opens (ui_image's coordinates of the last
    /// right press), nullopt when no press is pending.
    const std::optional<wxPoint>& popup_menu_position() const
    {
        require_gui_thread(__func__);
        return popup_menu_position_;
    }

    void on_mouse_right_down(wxMouseEvent& event) override;
    /// The drawing surface's and the bars' other pointer events: the viewing core's.
    void on_mouse_wheel(wxMouseEvent& event) override { ViewerCore::on_mouse_wheel(event); }
    void on_mouse_wheel_scroll(wxMouseEvent& event) override { ViewerCore::on_mouse_wheel_scroll(event); }
    void on_mouse_motion(wxMouseEvent& event) override { ViewerCore::on_mouse_motion(event); }
    void on_start_dragging(wxMouseEvent& event) override { ViewerCore::on_start_dragging(event); }
    void on_mouse_leave(wxMouseEvent& event) override { ViewerCore::on_mouse_leave(event); }
    /// Opens the popup menu at the pending press position, or at the
    /// event's own (screen) position converted to client coordinates. The
    /// menu marks the zoom mode, the rotation and the guide lines in force,
    /// and enables "auto levels" for a source with levels.
    void on_popup_menu(wxContextMenuEvent& event);

    void on_zoom_none(wxCommandEvent& event) override;
    void on_zoom_fit_width(wxCommandEvent& event) override;
    void on_zoom_fit_height(wxCommandEvent& event) override;
    void on_zoom_fit_page(wxCommandEvent& event) override;
    /// ZoomAny at the scale shown, keeping the picture as it is.
    void on_zoom_any(wxCommandEvent& event) override;
    /// Zoom a step in or out, or to 1:1, about the point where the menu was
    /// opened (the pointer, or the centre, without one); see zoom_step().
    void on_zoom_in(wxCommandEvent& event) override;
    void on_zoom_out(wxCommandEvent& event) override;
    void on_zoom_actual_size(wxCommandEvent& event) override;
    void on_rotation_none(wxCommandEvent& event) override;
    void on_rotation_cw90(wxCommandEvent& event) override;
    void on_rotation_180(wxCommandEvent& event) override;
    void on_rotation_ccw90(wxCommandEvent& event) override;
    /// DegreeAny, turning by rotation_degree().
    void on_rotation_any(wxCommandEvent& event) override;
    /// Levels back to automatic (the item is enabled for a source with levels).
    void on_auto_levels(wxCommandEvent& event) override;
    void on_show_middle_lines(wxCommandEvent& event) override;
    void on_hide_middle_lines(wxCommandEvent& event) override;
    void on_show_following_lines(wxCommandEvent& event) override;
    void on_hide_following_lines(wxCommandEvent& event) override;

    /// Asks for a file and sets it as the source; a file that cannot be read
    /// leaves the previous image and is reported in an error box.
    void on_load_image(wxCommandEvent& event) override;
    /// Copy and paste items: as Ctrl+C and Ctrl+V on the picture.
    void on_copy_image(wxCommandEvent& event) override;
    void on_paste_image(wxCommandEvent& event) override;
    /// Saves the view (or the pixels get_selection_image() gives) in colour, respectively as one
    /// gray channel, to a file chosen in a dialog that asks before replacing
    /// a file; the outcome is reported in a message box.
    void on_save_current_view(wxCommandEvent& event) override;
    void on_save_grayscale(wxCommandEvent& event) override;
    /// save_source_selection().
    void on_save_source_selection(wxCommandEvent& event) override;

protected:
    bool middle_lines_shown() const override { return middle_line_enabled_; }
    bool following_lines_shown() const override { return following_line_enabled_; }

private:
    cv::Mat get_image_to_save(bool grayscale) const;
    void save_current_view(bool grayscale);
    void set_lines(bool& flag, bool shown);
    void mark_menu();
    wxPoint menu_anchor() const;

    bool middle_line_enabled_ = false;
    bool following_line_enabled_ = false;
    std::optional<wxPoint> popup_menu_position_;
};

} // namespace tesk_vumo

#endif
