#include "tesk_vumo/forms/event_guard.h"
#include "tesk_vumo/forms/window_fit_layout.h"

#include <wx/log.h>
#include <wx/window.h>

namespace tesk_vumo {

namespace {

HandlerDispatcher* installed_dispatcher = nullptr;

} // namespace

void set_handler_dispatcher(HandlerDispatcher* dispatcher) noexcept
{
    installed_dispatcher = dispatcher;
}

HandlerDispatcher* handler_dispatcher() noexcept
{
    return installed_dispatcher;
}

void report_handler_error(const std::exception& error) noexcept
{
    if (installed_dispatcher && installed_dispatcher->report(error))
        return;
    try {
        // Silent unless the host asks for this trace (wxLog::AddTraceMask("tesk_vumo")):
        // the failure has already left the viewer as it was.
        wxLogTrace("tesk_vumo", "event handler stopped: %s", error.what());
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
