#ifndef TESK_VUMO_PYTHON_SOURCE_IMAGE_H
#define TESK_VUMO_PYTHON_SOURCE_IMAGE_H

// The source_image property every viewer shares: what a Python value means
// (file path, pixel array, None) and how it reaches the viewer's setters.

#include "ndarray_mat.h"
#include "wx_class.h"

#include "tesk_vumo/common/image_source.h"

#include <filesystem>
#include <optional>
#include <string>
#include <variant>

namespace tesk_vumo::python {

struct SourcePath
{
    std::filesystem::path path; ///< the bytes the system opens
    std::string text;           ///< how error messages name it (UTF-8)
};

/// None, a file path or a pixel array.
using SourceValue = std::variant<std::monostate, SourcePath, cv::Mat>;

/// Classifies a value set as source_image, in this order: str, bytes or
/// os.PathLike is a file path; a numpy.ndarray must hold uint8 samples in 2
/// dimensions, or 3 with 1 or 3 channels, and be neither empty nor have more
/// rows or columns than an int counts (it becomes a Mat sharing its memory,
/// read-only arrays too); None clears. Anything else, or another array,
/// raises the viewer's TypeError (@p wording).
SourceValue source_value(py::handle value, SourceMessages wording);

/// A path as source_value takes it (str, bytes or os.PathLike); anything
/// else raises TypeError naming what was given.
SourcePath source_path(py::handle value);

/// Sets @p value on @p viewer through its set_source_image overloads.
template <class Viewer>
void set_source_image(Viewer& viewer, py::handle value, SourceMessages wording)
{
    SourceValue source = source_value(value, wording);
    if (auto* path = std::get_if<SourcePath>(&source))
        viewer.set_source_image(path->path, path->text);
    else if (auto* image = std::get_if<cv::Mat>(&source))
        viewer.set_source_image(*image);
    else
        viewer.set_source_image(std::nullopt);
}

/// The viewer's source image as an array: the caller's own array when one
/// was stored unconverted, else a writable array of the viewer's, the same
/// object on every call while the image stays; None when empty.
template <class Viewer>
py::object source_image(const Viewer& viewer)
{
    return cached_array(window_state(&viewer).slot("source_image"), viewer.source_image());
}

/// Installs the source_image property on a viewer class.
template <class T, class Base>
void bind_source_image(WxClass<T, Base>& cls, SourceMessages wording)
{
    cls.def_property(
        "source_image", [](const T& viewer) { return source_image(viewer); },
        [wording](T& viewer, py::object value) { set_source_image(viewer, value, wording); },
        "The image the viewer shows: an H x W x 3 uint8 numpy array (R, G, B), or None. A caller's "
        "array comes back as that very array; an image the viewer decoded or converted comes back "
        "as an array of the viewer's own, which the host may write into and set again.\n\n"
        "Set it to a file path (str, bytes or os.PathLike; AssertionError when the file cannot be "
        "read), to a uint8 array of H x W or H x W x 1 (gray, stored as a new RGB array) or H x W x 3 "
        "(stored as it is, not copied), or to None to clear the viewer. Other values raise "
        "TypeError. A failed set leaves the viewer as it was.");
}

} // namespace tesk_vumo::python

#endif
