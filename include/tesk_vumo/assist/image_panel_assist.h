#ifndef TESK_VUMO_ASSIST_IMAGE_PANEL_ASSIST_H
#define TESK_VUMO_ASSIST_IMAGE_PANEL_ASSIST_H

#include <type_traits> // wx/weakref.h needs it but does not include it

#include <wx/weakref.h>

#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/forms/image_panel_assist_form.h"

namespace tesk_vumo {

class ImagePanel;

/// The floating assist window of an ImagePanel, shown while the panel's
/// docked assist bar is closed: zoom and rotation choices and the load and
/// save commands. Closing it brings the docked bar back.
class ImagePanelAssist : public ImagePanelAssistForm
{
public:
    /// Starts with the panel's docked zoom and rotation items selected; the
    /// zoom-rate input is enabled under ZoomAny, the angle input under
    /// DegreeAny; the levels row shows for a source with levels.
    explicit ImagePanelAssist(ImagePanel* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                              const wxSize& size = wxDefaultSize, long style = default_style,
                              const wxString& name = wxFrameNameStr);

    /// The panel this window serves; null once that panel is gone.
    ImagePanel* image_panel() const { require_gui_thread(__func__); return image_panel_.get(); }

    /// Apply the chosen zoom mode or rotation to the panel; a choice the
    /// panel refuses goes back to the one in force.
    void on_change_zoom_mode(wxCommandEvent& event) override;
    void on_change_rotation(wxCommandEvent& event) override;
    /// Apply the typed rate (percent) or angle (degrees) to the panel, as
    /// its docked inputs do.
    void on_change_zoom_rate(wxCommandEvent& event) override;
    void on_change_angle_degree(wxCommandEvent& event) override;
    /// Apply the typed levels to the panel, or its automatic levels, as its
    /// docked controls do.
    void on_change_levels(wxCommandEvent& event) override;
    void on_auto_levels(wxCommandEvent& event) override;
    /// The panel's load and save commands.
    void on_load_image(wxCommandEvent& event) override;
    void on_save_image(wxCommandEvent& event) override;
    /// Destroys the window, then has the panel show its docked bar again
    /// once the close event has been handled.
    void on_close(wxCloseEvent& event) override;

private:
    wxWeakRef<ImagePanel> image_panel_;
};

} // namespace tesk_vumo

#endif
