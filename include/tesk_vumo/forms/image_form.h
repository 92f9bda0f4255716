#ifndef TESK_VUMO_FORMS_IMAGE_FORM_H
#define TESK_VUMO_FORMS_IMAGE_FORM_H

#include <memory>

#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/scrolbar.h>
#include <wx/textctrl.h>

namespace tesk_vumo {

/// Form of Image: creates the drawing surface, the scroll bars, the
/// read-outs and the popup menu, and routes their events to the virtual
/// handlers below, which Image overrides. Menu commands reach the form
/// itself (the window that pops the menu up) with the ids below.
///
/// The read-out strip keeps to one row as the assist bar of ImagePanelForm
/// does. The zoom and rotation items are radio items, the free zoom and the
/// free angle included, so that one of each group is always marked; each kind of guide
/// line is one check item whose command reaches the show handler when it
/// checks the item and the hide handler when it unchecks it. The commands
/// ID_SHOW_... and ID_HIDE_..., which no item carries, reach those handlers
/// directly.
class ImageForm : public wxPanel
{
public:
    enum MenuId
    {
        ID_ZOOM_FIT_PAGE = wxID_HIGHEST + 1,
        ID_ZOOM_FIT_WIDTH,
        ID_ZOOM_FIT_HEIGHT,
        ID_ZOOM_NONE,
        ID_ROTATION_NONE,
        ID_ROTATION_CW90,
        ID_ROTATION_180,
        ID_ROTATION_CCW90,
        ID_SHOW_MIDDLE_LINES,
        ID_HIDE_MIDDLE_LINES,
        ID_SHOW_FOLLOWING_LINES,
        ID_HIDE_FOLLOWING_LINES,
        ID_LOAD_IMAGE,
        ID_SAVE_CURRENT_VIEW,
        ID_SAVE_GRAYSCALE,
        ID_MIDDLE_LINES,    ///< check item: show (checked) or hide the centre lines
        ID_FOLLOWING_LINES, ///< check item: show (checked) or hide the pointer lines
        ID_ZOOM_IN,
        ID_ZOOM_OUT,
        ID_ZOOM_ACTUAL_SIZE, ///< 1:1 about the point the menu was opened at
        ID_SAVE_SOURCE_SELECTION, ///< the source's pixels under the selection
        ID_ZOOM_ANY,     ///< the free zoom at the scale shown (radio item of the zoom modes)
        ID_ROTATION_ANY, ///< the free angle (radio item of the rotations)
        ID_AUTO_LEVELS,  ///< levels back to automatic; enabled for a source with levels
        ID_COPY_IMAGE,   ///< the selection (or the view) to the clipboard
        ID_PASTE_IMAGE,  ///< the clipboard's image as the source
    };

    ImageForm(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxSize(640, 480), long style = wxTAB_TRAVERSAL,
              const wxString& name = wxPanelNameStr);
    ImageForm(wxWindow* parent, const wxSize& size) : ImageForm(parent, wxID_ANY, wxDefaultPosition, size) {}
    ~ImageForm() override;

    /// Puts every text and menu item in the language of the moment.
    void relabel();

    wxPanel* ui_image; ///< drawing surface
    wxScrollBar* ui_scroll_bar_horizontal;
    wxScrollBar* ui_scroll_bar_vertical;
    wxTextCtrl* ui_x;
    wxTextCtrl* ui_y;
    wxTextCtrl* ui_rgb;
    wxTextCtrl* ui_width;
    wxTextCtrl* ui_height;
    wxMenu* ui_poup_menu; ///< owned by the form

    virtual void on_load_image(wxCommandEvent&) {}
    virtual void on_copy_image(wxCommandEvent&) {}
    virtual void on_paste_image(wxCommandEvent&) {}
    virtual void on_save_current_view(wxCommandEvent&) {}
    virtual void on_save_grayscale(wxCommandEvent&) {}
    virtual void on_save_source_selection(wxCommandEvent&) {}
    virtual void on_auto_levels(wxCommandEvent&) {}
    virtual void on_show_middle_lines(wxCommandEvent&) {}
    virtual void on_hide_middle_lines(wxCommandEvent&) {}
    virtual void on_show_following_lines(wxCommandEvent&) {}
    virtual void on_hide_following_lines(wxCommandEvent&) {}
    virtual void on_zoom_none(wxCommandEvent&) {}
    virtual void on_zoom_fit_width(wxCommandEvent&) {}
    virtual void on_zoom_fit_height(wxCommandEvent&) {}
    virtual void on_zoom_fit_page(wxCommandEvent&) {}
    virtual void on_zoom_any(wxCommandEvent&) {}
    virtual void on_zoom_in(wxCommandEvent&) {}
    virtual void on_zoom_out(wxCommandEvent&) {}
    virtual void on_zoom_actual_size(wxCommandEvent&) {}
    virtual void on_rotation_none(wxCommandEvent&) {}
    virtual void on_rotation_cw90(wxCommandEvent&) {}
    virtual void on_rotation_180(wxCommandEvent&) {}
    virtual void on_rotation_ccw90(wxCommandEvent&) {}
    virtual void on_rotation_any(wxCommandEvent&) {}
    virtual void on_mouse_right_down(wxMouseEvent&) {}
    virtual void on_mouse_wheel(wxMouseEvent&) {}
    virtual void on_mouse_motion(wxMouseEvent&) {}
    virtual void on_start_dragging(wxMouseEvent&) {}
    virtual void on_mouse_wheel_scroll(wxMouseEvent&) {}
    virtual void on_mouse_leave(wxMouseEvent&) {}

private:
    void fit_strip();

    struct Parts;
    std::unique_ptr<Parts> parts_;
};

} // namespace tesk_vumo

#endif
