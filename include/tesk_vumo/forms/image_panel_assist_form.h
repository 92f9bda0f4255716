#ifndef TESK_VUMO_FORMS_IMAGE_PANEL_ASSIST_FORM_H
#define TESK_VUMO_FORMS_IMAGE_PANEL_ASSIST_FORM_H

#include <vector>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/frame.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace tesk_vumo {

/// Form of ImagePanelAssist: a small floating window over its ImagePanel
/// with the zoom and rotation choices, the zoom-rate and angle inputs, the
/// levels inputs (a row shown for a source with levels) and the load and
/// save commands; routes their events and its close request to
/// the virtual handlers below.
class ImagePanelAssistForm : public wxFrame
{
public:
    static constexpr long default_style =
        wxCAPTION | wxCLOSE_BOX | wxSYSTEM_MENU | wxFRAME_TOOL_WINDOW | wxFRAME_FLOAT_ON_PARENT;

    /// A size other than wxDefaultSize replaces the size that fits the controls.
    explicit ImagePanelAssistForm(wxWindow* parent, wxWindowID id = wxID_ANY,
                                  const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
                                  long style = default_style, const wxString& name = wxFrameNameStr);
    ~ImagePanelAssistForm() override;

    /// Puts every text, item and tooltip in the language of the moment.
    void relabel();
    /// Shows the levels row (hidden at first) or takes it out, fitting the window.
    void show_levels_row(bool shown);

    wxChoice* ui_zoom_mode; ///< same items as the docked choice
    wxChoice* ui_angle;     ///< same items as the docked choice
    wxTextCtrl* ui_zoom_rate;    ///< the zoom rate in percent, enabled under ZoomAny
    wxTextCtrl* ui_angle_degree; ///< the free angle in degrees, enabled under DegreeAny
    wxTextCtrl* ui_levels_low;   ///< the value shown as black
    wxTextCtrl* ui_levels_high;  ///< the value shown as white
    wxButton* ui_levels_auto;    ///< back to the automatic levels
    wxButton* ui_button_load;
    wxButton* ui_button_save;

    virtual void on_change_zoom_mode(wxCommandEvent&) {}
    virtual void on_change_rotation(wxCommandEvent&) {}
    /// Enter pressed in, or focus leaving, the rate or angle input.
    virtual void on_change_zoom_rate(wxCommandEvent&) {}
    virtual void on_change_angle_degree(wxCommandEvent&) {}
    /// Enter pressed in, or focus leaving, either levels input (but for the other).
    virtual void on_change_levels(wxCommandEvent&) {}
    virtual void on_auto_levels(wxCommandEvent&) {}
    virtual void on_load_image(wxCommandEvent&) {}
    virtual void on_save_image(wxCommandEvent&) {}
    virtual void on_close(wxCloseEvent& event) { event.Skip(); }

private:
    void fit_to_controls();

    std::vector<wxStaticText*> labels_;
    wxSizer* levels_row_ = nullptr;
};

} // namespace tesk_vumo

#endif
