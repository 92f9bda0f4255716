#ifndef TESK_VUMO_FORMS_EVENT_GUARD_H
#define TESK_VUMO_FORMS_EVENT_GUARD_H

#include <exception>

namespace tesk_vumo {

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

/// Wraps a member event handler so that no exception leaves it.
template <class Object, class Base, class Event>
auto guarded(Object* object, void (Base::*handler)(Event&))
{
    return [object, handler](Event& event) { run_guarded([&] { (object->*handler)(event); }); };
}

} // namespace tesk_vumo

#endif
