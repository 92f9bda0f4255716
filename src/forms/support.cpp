#include "tesk_vumo/forms/event_guard.h"
#include "tesk_vumo/forms/window_fit_layout.h"

#include <wx/log.h>
#include <wx/window.h>

namespace tesk_vumo {

void report_handler_error(const std::exception& error) noexcept
{
    try {
        wxLogDebug("tesk_vumo: event handler stopped: %s", error.what());
    } catch (...) {
    }
}

void window_fit_layout(wxWindow* window, bool center)
{
    if (!window)
        return;
    window->Layout();
    window->Refresh();
    if (center)
        window->Centre();
}

} // namespace tesk_vumo
