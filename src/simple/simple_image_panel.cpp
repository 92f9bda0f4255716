#include "tesk_vumo/simple/simple_image_panel.h"

namespace tesk_vumo {

namespace {
// The panel is the surface: no bars, no read-outs, and nobody works the view.
ViewerParts surface_only(wxWindow* panel)
{
    ViewerParts parts;
    parts.surface = panel;
    parts.interactive = false;
    return parts;
}
} // namespace

SimpleImagePanel::SimpleImagePanel(wxWindow* parent, const wxSize& size)
    : SimpleImagePanel(parent, wxID_ANY, wxDefaultPosition, size)
{
}

SimpleImagePanel::SimpleImagePanel(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                                   long style, const wxString& name)
    : wxPanel(on_gui_thread(parent, "SimpleImagePanel"), id, pos, size, style, name),
      ViewerCore(*this, surface_only(this), SourceMessages::Standard)
{
}

void SimpleImagePanel::fitting()
{
    ViewerCore::fitting(false);
}

void SimpleImagePanel::fitting(bool)
{
    fitting();
}

} // namespace tesk_vumo
