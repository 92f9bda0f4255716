#ifndef TESK_VUMO_FORMS_EVENT_GUARD_H
#define TESK_VUMO_FORMS_EVENT_GUARD_H

#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <wx/event.h>
#include <wx/window.h>

namespace tesk_vumo {

/// The seam through which a binding to another language (the Python module)
/// takes part in event handling: its subclasses may override the handlers
/// the forms dispatch, and the windows the library creates become its
/// objects at once. One per process; none in a C++ program.
class HandlerDispatcher
{
public:
    virtual ~HandlerDispatcher() = default;
    /// Runs the override of handler @p name that the host-side class of
    /// @p window defines, with @p event; false when there is none, and the
    /// library's own handler runs instead.
    virtual bool dispatch(wxWindow* window, const char* name, wxEvent& event) = 0;
    /// Called right after the library created @p window on its own.
    virtual void window_created(wxWindow* window) = 0;
    /// Reports @p error that reached a handler's boundary, when it is the
    /// host's own (an exception of an override); false for anything else.
    virtual bool report(const std::exception& error) noexcept = 0;
    /// Runs @p work, the decoding or encoding of an image file, which
    /// touches no window and nothing of the host's: the host's other
    /// threads may run meanwhile.
    virtual void run_image_work(const std::function<void()>& work) { work(); }
    /// Runs the override of on_drop_files that the host-side class of
    /// @p window defines, with the drop's control point and files; its
    /// answer (whether the drop was taken), or nullopt when there is none.
    virtual std::optional<bool> drop_files(wxWindow* /*window*/, int /*x*/, int /*y*/,
                                           const std::vector<std::string>& /*paths*/)
    {
        return std::nullopt;
    }
};

/// Installs @p dispatcher (null removes it); the caller keeps it alive.
void set_handler_dispatcher(HandlerDispatcher* dispatcher) noexcept;
HandlerDispatcher* handler_dispatcher() noexcept;

/// Runs @p work through the installed dispatcher's run_image_work.
inline void run_image_work(const std::function<void()>& work)
{
    if (HandlerDispatcher* dispatcher = handler_dispatcher())
        dispatcher->run_image_work(work);
    else
        work();
}

/// Called with an exception that reached an event handler's boundary. It
/// must not escape into the toolkit: through a GTK callback it would end the
/// program.
void report_handler_error(const std::exception& error) noexcept;

/// Runs @p action; an exception it throws is reported and goes no further.
template <class Action>
void run_guarded(Action&& action) noexcept
{
    try {
        action();
    } catch (const std::exception& error) {
        report_handler_error(error);
    } catch (...) {
        report_handler_error(std::exception());
    }
}

/// Handler @p name of @p window with @p event: the host-side override when
/// there is one, else @p own.
template <class Event, class Own>
void dispatch_handler(wxWindow* window, const char* name, Event& event, Own&& own)
{
    HandlerDispatcher* dispatcher = handler_dispatcher();
    if (!dispatcher || !dispatcher->dispatch(window, name, event))
        own();
}

/// Wraps event handler @p handler of @p object, called @p name, so that an
/// override of the host's in @p window's class takes its place and no
/// exception leaves it. @p object is the window, or a helper of it.
template <class Object, class Base, class Event>
auto guarded(wxWindow* window, Object* object, void (Base::*handler)(Event&), const char* name)
{
    return [window, object, handler, name](Event& event) {
        run_guarded([&] { dispatch_handler(window, name, event, [&] { (object->*handler)(event); }); });
    };
}

/// The same for a handler of the window itself.
template <class Object, class Base, class Event>
auto guarded(Object* object, void (Base::*handler)(Event&), const char* name)
{
    return guarded(object, object, handler, name);
}

} // namespace tesk_vumo

#endif
