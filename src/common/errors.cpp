#include "tesk_vumo/common/errors.h"

#include <wx/thread.h>

namespace tesk_vumo {

void require_gui_thread(const char* call)
{
    // The toolkit's windows are not thread-safe: from another thread even a
    // getter may read a window in the middle of a change.
    if (!wxIsMainThread())
        throw ThreadError(std::string(call) + " must be called on the GUI thread, not from another thread");
}

} // namespace tesk_vumo
