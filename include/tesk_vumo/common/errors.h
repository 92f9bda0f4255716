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

} // namespace tesk_vumo

#endif
