#include "source_image.h"

#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/i18n/i18n.h"

#include <climits>
#include <optional>

namespace tesk_vumo::python {

namespace {

/// UTF-8 of @p text; undecodable file-name bytes (held as surrogates by
/// os.fsdecode) come back as the bytes they were.
std::string utf8(py::handle text)
{
    auto bytes = py::reinterpret_steal<py::object>(PyUnicode_AsEncodedString(text.ptr(), "utf-8", "surrogateescape"));
    if (!bytes)
        throw py::error_already_set();
    return std::string(py::bytes(bytes));
}

bool showable(const py::array& array)
{
    const py::dtype dtype = array.dtype();
    const char kind = dtype.kind();
    const auto size = dtype.itemsize();
    const bool sample = (kind == 'u' && (size == 1 || size == 2)) || (kind == 'i' && (size == 2 || size == 4))
                     || (kind == 'f' && (size == 4 || size == 8));
    if (!sample || array.size() == 0)
        return false;
    if (array.ndim() != 2
        && !(array.ndim() == 3 && (array.shape(2) == 1 || array.shape(2) == 3 || array.shape(2) == 4)))
        return false;
    // A Mat counts rows and columns in int; larger extents would wrap round.
    return array.shape(0) <= INT_MAX && array.shape(1) <= INT_MAX;
}

bool is_path(py::handle value)
{
    return PyUnicode_Check(value.ptr()) || PyBytes_Check(value.ptr())
           || py::isinstance(value, py::module_::import("os").attr("PathLike"));
}

/// The path @p value names, or nullopt when it holds a NUL: no file name
/// does, and the system would read the name only up to it, and open
/// another file. @p text then names it with the NUL written out.
std::optional<SourcePath> path_of(py::handle value, std::string& text)
{
    py::module_ os = py::module_::import("os");
    py::object path = os.attr("fspath")(value);
    std::string bytes = py::bytes(os.attr("fsencode")(path));
    text = utf8(PyUnicode_Check(path.ptr()) ? path : os.attr("fsdecode")(path));
    if (bytes.find('\0') != std::string::npos) {
        for (std::string::size_type at; (at = text.find('\0')) != std::string::npos;)
            text.replace(at, 1, "\\x00");
        return std::nullopt;
    }
    return SourcePath{std::filesystem::path(bytes), text};
}

} // namespace

SourcePath source_path(py::handle value)
{
    if (!is_path(value))
        throw tesk_vumo::TypeError("Expected a file path (str, bytes or os.PathLike), got "
                                   + std::string(py::str(py::type::handle_of(value))));
    std::string text;
    if (auto path = path_of(value, text))
        return *path;
    throw tesk_vumo::ValueError("A file path cannot hold a NUL character: " + text);
}

SourceValue source_value(py::handle value, SourceMessages wording)
{
    if (is_path(value)) {
        std::string text;
        if (auto path = path_of(value, text))
            return *path;
        throw tesk_vumo::AssertionError(read_failure_message(wording, text) + "\n"
                                        + std::string(i18n::tr("文件名中含有空字符（NUL）").utf8_str()));
    }
    if (py::isinstance<py::array>(value)) {
        auto array = py::reinterpret_borrow<py::array>(value);
        if (!showable(array))
            throw tesk_vumo::TypeError(unsupported_type_message(
                wording, "numpy.ndarray of dtype " + std::string(py::str(array.dtype())) + " and shape "
                             + std::string(py::str(array.attr("shape")))));
        return mat_from_array(array);
    }
    if (value.is_none())
        return std::monostate{};
    throw tesk_vumo::TypeError(unsupported_type_message(wording, py::str(py::type::handle_of(value))));
}

} // namespace tesk_vumo::python
