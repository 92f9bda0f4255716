#include <pybind11/pybind11.h>

PYBIND11_MODULE(tesk_vumo, m)
{
    m.attr("__version__") = TESK_VUMO_VERSION;
}
