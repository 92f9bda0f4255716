#include "declarations.h"

#include "tesk_vumo/common/errors.h"

#include <cstring>
#include <exception>

namespace tesk_vumo::python {

namespace {

void set_error(PyObject* type, const char* message)
{
    // A message may quote a path that is not valid UTF-8; it must still be
    // raised as the error it is, not as a UnicodeDecodeError.
    PyObject* text = PyUnicode_DecodeUTF8(message, static_cast<Py_ssize_t>(std::strlen(message)), "surrogateescape");
    if (!text)
        return;
    PyErr_SetObject(type, text);
    Py_DECREF(text);
}

} // namespace

void declare_errors(py::module_&)
{
    py::register_exception_translator([](std::exception_ptr error) {
        try {
            if (error)
                std::rethrow_exception(error);
        } catch (const tesk_vumo::TypeError& e) {
            set_error(PyExc_TypeError, e.what());
        } catch (const tesk_vumo::AssertionError& e) {
            set_error(PyExc_AssertionError, e.what());
        } catch (const tesk_vumo::ValueError& e) {
            set_error(PyExc_ValueError, e.what());
        } catch (const tesk_vumo::ThreadError& e) {
            set_error(PyExc_RuntimeError, e.what());
        } catch (const tesk_vumo::Error& e) {
            set_error(PyExc_RuntimeError, e.what());
        }
    });
}

} // namespace tesk_vumo::python
