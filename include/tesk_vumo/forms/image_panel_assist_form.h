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
/// with the zoom and rotation choices, the zoom-rate and angle inputs and
/// the load and save commands; routes their events and its close request to
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

    wxChoice* ui_zoom_mode; ///< same items as the docked choice
    wxChoice* ui_angle;     ///< same items as the docked choice
    wxTextCtrl* ui_zoom_rate;    ///< the zoom rate in percent, enabled under ZoomAny
    wxTextCtrl* ui_angle_degree; ///< the free angle in degrees, enabled under DegreeAny
    wxButton* ui_button_load;
    wxButton* ui_button_save;

    virtual void on_change_zoom_mode(wxCommandEvent&) {}
    virtual void on_change_rotation(wxCommandEvent&) {}
    /// Enter pressed in, or focus leaving, the rate or angle input.
    virtual void on_change_zoom_rate(wxCommandEvent&) {}
    virtual void on_change_angle_degree(wxCommandEvent&) {}
    virtual void on_load_image(wxCommandEvent&) {}
    virtual void on_save_image(wxCommandEvent&) {}
    virtual void on_close(wxCloseEvent& event) { event.Skip(); }

private:
    std::vector<wxStaticText*> labels_;
};

} // namespace tesk_vumo

#endif
