#include "handlers.h"

namespace tesk_vumo::python {

wxSize size_of(const IdOrSize& id, const std::optional<wxSize>& size, const char* cls,
               std::optional<wxSize> fallback)
{
    if (id.size && size && size != fallback)
        throw py::type_error(std::string(cls) + "() got a size in place of the id and a size as well");
    if (id.size)
        return *id.size;
    if (size)
        return *size;
    throw py::type_error(std::string(cls) + "() missing required argument: 'size'");
}

} // namespace tesk_vumo::python

bool pybind11::detail::type_caster<tesk_vumo::python::IdOrSize>::load(handle source, bool convert)
{
    if (PyLong_Check(source.ptr()) && !PyBool_Check(source.ptr())) {
        int overflow = 0;
        const long id = PyLong_AsLongAndOverflow(source.ptr(), &overflow);
        if (overflow || id < INT_MIN || id > INT_MAX) {
            PyErr_Clear();
            return false;
        }
        value = {static_cast<wxWindowID>(id), std::nullopt};
        return true;
    }
    make_caster<wxSize> size;
    if (!size.load(source, convert))
        return false;
    value = {wxID_ANY, cast_op<wxSize>(size)};
    return true;
}
