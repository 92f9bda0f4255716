#include "ndarray_mat.h"

#include "python_lifetime.h"

#include <climits>
#include <string>
#include <vector>

namespace tesk_vumo::python {

namespace {

using namespace pybind11::literals;

/// What a Mat made from an array refers to: the array the caller gave and
/// the array whose memory it uses (a copy when the layout did not fit), both
/// owned references, and the Mat's extent then.
struct SourceView
{
    PyObject* original;
    PyObject* storage;
    int rows;
    int cols;
    int type;
    size_t step;
};

void release(SourceView* view) noexcept
{
    if (python_usable()) {
        // The last Mat may go at any time, e.g. when the toolkit destroys a
        // window from inside its event loop.
        const PyGILState_STATE gil = PyGILState_Ensure();
        Py_XDECREF(view->original);
        Py_XDECREF(view->storage);
        PyGILState_Release(gil);
    }
    delete view;
}

/// Memory of Mats made from arrays; new Mats (create() on such a Mat) get
/// OpenCV's own memory.
class ArrayAllocator final : public cv::MatAllocator
{
public:
    cv::UMatData* allocate(int dims, const int* sizes, int type, void* data, size_t* step,
                           cv::AccessFlag flags, cv::UMatUsageFlags usage) const override
    {
        return cv::Mat::getStdAllocator()->allocate(dims, sizes, type, data, step, flags, usage);
    }

    bool allocate(cv::UMatData* data, cv::AccessFlag flags, cv::UMatUsageFlags usage) const override
    {
        return cv::Mat::getStdAllocator()->allocate(data, flags, usage);
    }

    void deallocate(cv::UMatData* data) const override
    {
        if (!data)
            return;
        release(static_cast<SourceView*>(data->userdata));
        delete data;
    }
};

ArrayAllocator& array_allocator()
{
    static auto* allocator = new ArrayAllocator;
    return *allocator;
}

const SourceView* source_view(const cv::Mat& mat)
{
    if (!mat.u || mat.u->currAllocator != &array_allocator())
        return nullptr;
    return static_cast<const SourceView*>(mat.u->userdata);
}

/// The array @p mat was made from, when @p mat still shows all of it.
PyObject* original_array(const cv::Mat& mat)
{
    const SourceView* view = source_view(mat);
    if (!view || mat.dims != 2 || mat.data != mat.u->data || mat.rows != view->rows
        || mat.cols != view->cols || mat.type() != view->type || mat.step[0] != view->step)
        return nullptr;
    return view->original;
}

int depth_of(const py::dtype& dtype)
{
    const char kind = dtype.kind();
    const auto size = dtype.itemsize();
    if (kind == 'u' && size == 1) return CV_8U;
    if (kind == 'i' && size == 1) return CV_8S;
    if (kind == 'u' && size == 2) return CV_16U;
    if (kind == 'i' && size == 2) return CV_16S;
    if (kind == 'i' && size == 4) return CV_32S;
    if (kind == 'f' && size == 4) return CV_32F;
    if (kind == 'f' && size == 8) return CV_64F;
    return -1;
}

py::dtype dtype_of(int depth)
{
    switch (depth) {
    case CV_8U: return py::dtype("u1");
    case CV_8S: return py::dtype("i1");
    case CV_16U: return py::dtype("u2");
    case CV_16S: return py::dtype("i2");
    case CV_32S: return py::dtype("i4");
    case CV_32F: return py::dtype("f4");
    case CV_64F: return py::dtype("f8");
    default: throw py::type_error("no numpy sample type for OpenCV depth " + std::to_string(depth));
    }
}

bool mat_can_describe(const py::array& array, int channels)
{
    if (!(array.flags() & py::detail::npy_api::NPY_ARRAY_ALIGNED_))
        return false;
    if (!py::bool_(array.dtype().attr("isnative")))
        return false;
    const ssize_t sample = array.itemsize();
    const ssize_t rows = array.shape(0), cols = array.shape(1);
    if (array.ndim() == 3 && array.strides(2) != sample)
        return false;
    if (array.strides(1) != sample * channels)
        return false;
    if (rows <= 1)
        return true;
    const ssize_t step = array.strides(0);
    return step > 0 && step % sample == 0 && step >= cols * channels * sample;
}

const char* const mat_capsule_name = "tesk_vumo.Mat";

const cv::Mat* kept_mat(py::handle base)
{
    if (!base || !PyCapsule_IsValid(base.ptr(), mat_capsule_name))
        return nullptr;
    return static_cast<const cv::Mat*>(PyCapsule_GetPointer(base.ptr(), mat_capsule_name));
}

/// Shape and strides of the numpy array showing @p mat.
void array_layout(const cv::Mat& mat, std::vector<ssize_t>& shape, std::vector<ssize_t>& strides)
{
    for (int i = 0; i < mat.dims; ++i) {
        shape.push_back(mat.size[i]);
        strides.push_back(static_cast<ssize_t>(mat.step[i]));
    }
    if (mat.channels() > 1) {
        shape.push_back(mat.channels());
        strides.push_back(static_cast<ssize_t>(mat.elemSize1()));
    }
}

bool same_view(const cv::Mat& a, const cv::Mat& b)
{
    if (a.u != b.u || a.data != b.data || a.type() != b.type() || a.size != b.size)
        return false;
    for (int i = 0; i < a.dims; ++i)
        if (a.step[i] != b.step[i])
            return false;
    return true;
}

} // namespace

cv::Mat mat_from_array(py::handle object)
{
    if (!py::isinstance<py::array>(object))
        throw py::type_error(std::string("expected a numpy.ndarray, got ") + Py_TYPE(object.ptr())->tp_name);
    py::array array = py::reinterpret_borrow<py::array>(object);
    if (array.ndim() != 2 && array.ndim() != 3)
        throw py::type_error("expected an array of 2 or 3 dimensions, got " + std::to_string(array.ndim()));
    const int depth = depth_of(array.dtype());
    if (depth < 0)
        throw py::type_error("no OpenCV depth for samples of numpy dtype "
                             + std::string(py::str(array.dtype())));
    const ssize_t channels = array.ndim() == 3 ? array.shape(2) : 1;
    if (channels > CV_CN_MAX)
        throw py::type_error("an OpenCV image has at most " + std::to_string(CV_CN_MAX)
                             + " channels, got " + std::to_string(channels));
    if (array.shape(0) > INT_MAX || array.shape(1) > INT_MAX)
        throw py::type_error("an OpenCV image has at most " + std::to_string(INT_MAX)
                             + " rows and columns, got shape " + std::string(py::str(array.attr("shape"))));
    if (array.size() == 0)
        return cv::Mat();

    py::array storage = array;
    if (!mat_can_describe(array, static_cast<int>(channels)))
        storage = py::module_::import("numpy").attr("ascontiguousarray")(
            array, "dtype"_a = array.dtype().attr("newbyteorder")("="));

    const int rows = static_cast<int>(storage.shape(0)), cols = static_cast<int>(storage.shape(1));
    const int type = CV_MAKETYPE(depth, static_cast<int>(channels));
    const size_t step = rows > 1 ? static_cast<size_t>(storage.strides(0)) : cv::Mat::AUTO_STEP;
    // Read-only arrays are welcome: the viewers only ever read a source image.
    cv::Mat mat(rows, cols, type, const_cast<void*>(storage.data()), step);

    auto* data = new cv::UMatData(&array_allocator());
    data->data = data->origdata = mat.data;
    data->size = mat.step[0] * static_cast<size_t>(rows);
    data->userdata = new SourceView{array.inc_ref().ptr(), storage.inc_ref().ptr(), rows, cols, type,
                                    mat.step[0]};
    mat.u = data;
    mat.addref();
    mat.allocator = &array_allocator();
    return mat;
}

void refresh_array_copy(const cv::Mat& mat)
{
    const SourceView* view = source_view(mat);
    if (!view || view->original == view->storage)
        return;
    py::gil_scoped_acquire gil;
    py::module_::import("numpy").attr("copyto")(py::handle(view->storage), py::handle(view->original));
}

py::object array_from_mat(const cv::Mat& mat, bool writable)
{
    if (mat.empty())
        return py::none();
    if (PyObject* original = original_array(mat))
        return py::reinterpret_borrow<py::object>(original);
    std::vector<ssize_t> shape, strides;
    array_layout(mat, shape, strides);
    auto keeper = py::reinterpret_steal<py::object>(
        PyCapsule_New(new cv::Mat(mat), mat_capsule_name, [](PyObject* capsule) {
            delete static_cast<cv::Mat*>(PyCapsule_GetPointer(capsule, mat_capsule_name));
        }));
    if (!keeper)
        throw py::error_already_set();
    py::array array(dtype_of(mat.depth()), std::move(shape), std::move(strides), mat.data, keeper);
    if (!writable)
        array.attr("flags").attr("writeable") = false;
    return std::move(array);
}

py::object cached_array(py::object& cache, const cv::Mat& mat, bool writable)
{
    if (mat.empty() || original_array(mat)) {
        cache = py::none();
        return array_from_mat(mat);
    }
    if (cache && py::isinstance<py::array>(cache)) {
        auto array = py::reinterpret_borrow<py::array>(cache);
        const cv::Mat* kept = kept_mat(array.base());
        std::vector<ssize_t> shape, strides;
        array_layout(mat, shape, strides);
        // The caller may have reshaped the array in place since.
        if (kept && same_view(*kept, mat) && array.data() == mat.data && (writable || !array.writeable())
            && std::vector<ssize_t>(array.shape(), array.shape() + array.ndim()) == shape
            && std::vector<ssize_t>(array.strides(), array.strides() + array.ndim()) == strides)
            return cache;
    }
    cache = array_from_mat(mat, writable);
    return cache;
}

} // namespace tesk_vumo::python
