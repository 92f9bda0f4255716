#ifndef TESK_VUMO_PYTHON_PYTHON_LIFETIME_H
#define TESK_VUMO_PYTHON_PYTHON_LIFETIME_H

#include <Python.h>

namespace tesk_vumo::python {

/// False once the interpreter is shutting down: the toolkit may destroy
/// windows and images after that, and their Python references must then be
/// leaked rather than released (taking the GIL would crash or hang).
inline bool python_usable()
{
#if PY_VERSION_HEX >= 0x030D0000
    return Py_IsInitialized() && !Py_IsFinalizing();
#else
    return Py_IsInitialized() && !_Py_IsFinalizing();
#endif
}

} // namespace tesk_vumo::python

#endif
