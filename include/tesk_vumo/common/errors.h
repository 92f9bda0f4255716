#ifndef TESK_VUMO_COMMON_ERRORS_H
#define TESK_VUMO_COMMON_ERRORS_H

#include <stdexcept>
#include <string>

namespace tesk_vumo {

/// Base of every error the library raises to its caller.
class Error : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// A value of a kind the callee cannot take (Python receives TypeError).
class TypeError : public Error
{
public:
    using Error::Error;
};

/// A precondition on outside data failed, e.g. an image file that cannot be
/// read (Python receives AssertionError).
class AssertionError : public Error
{
public:
    using Error::Error;
};

/// A value of the right kind that cannot be used, e.g. an unsupported zoom
/// mode met by the fitting (Python receives ValueError).
class ValueError : public Error
{
public:
    using Error::Error;
};

/// A call made from another thread than the GUI thread, where the
/// toolkit's windows live (Python receives RuntimeError). Nothing has
/// changed then.
class ThreadError : public Error
{
public:
    using Error::Error;
};

/// Throws ThreadError, naming @p call, unless it runs on the GUI thread.
/// Every public member of the viewers begins with it.
void require_gui_thread(const char* call);

/// @p value once require_gui_thread(@p call) has passed: the check of a
/// constructor, before its bases make any window.
template <class T>
T on_gui_thread(T value, const char* call)
{
    require_gui_thread(call);
    return value;
}

} // namespace tesk_vumo

#endif
