#ifndef TESK_VUMO_PYTHON_DECLARATIONS_H
#define TESK_VUMO_PYTHON_DECLARATIONS_H

// What the module consists of; module.cpp calls these in this order.

#include <pybind11/pybind11.h>

namespace tesk_vumo::python {

namespace py = pybind11;

void declare_errors(py::module_& m);
void declare_enums(py::module_& m);
void declare_simple_image_panel(py::module_& m);
void declare_image_panel(py::module_& m);
void declare_image_panel_assist(py::module_& m);
void declare_image(py::module_& m);
void declare_viewer_events(py::module_& m);
void declare_user_interaction(py::module_& m);
void declare_i18n(py::module_& m);

} // namespace tesk_vumo::python

#endif
