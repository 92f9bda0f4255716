#ifndef TESK_VUMO_PYTHON_NDARRAY_MAT_H
#define TESK_VUMO_PYTHON_NDARRAY_MAT_H

// numpy arrays and cv::Mat, sharing memory both ways.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <opencv2/core.hpp>

namespace tesk_vumo::python {

namespace py = pybind11;

/// A Mat over the memory of numpy array @p array: rows x columns, with a
/// third dimension as channels. The Mat keeps the array alive for as long
/// as any Mat refers to it. An array whose layout a Mat cannot describe
/// (columns or channels not adjacent, negative or zero row strides,
/// misaligned or byte-swapped samples) is copied first; the Mat still
/// remembers @p array. A read-only array is shared as well: such a Mat must
/// only be read. An array without elements gives an empty Mat. Throws
/// TypeError for other ranks, for more than CV_CN_MAX channels, for more
/// rows or columns than an int counts and for sample types OpenCV has no
/// depth for.
cv::Mat mat_from_array(py::handle array);

/// When @p mat was made by mat_from_array from a copy of the caller's array,
/// copies that array's current samples into it again: the caller may have
/// edited the array in place since. Nothing for any other Mat.
void refresh_array_copy(const cv::Mat& mat);

/// The numpy array of @p mat: the very array it was made from by
/// mat_from_array when @p mat still covers all of it, else a new array
/// sharing @p mat's memory and keeping it alive (rows x columns, and
/// channels as a third dimension when there are more than one). None for an
/// empty Mat. A new array is read-only unless @p writable; the array @p mat
/// was made from keeps its own flags.
py::object array_from_mat(const cv::Mat& mat, bool writable = true);

/// array_from_mat, returning the array held in @p cache again while it still
/// shows the same memory (and is read-only when @p writable is false), so
/// that a getter gives the same object each time. @p cache is updated.
py::object cached_array(py::object& cache, const cv::Mat& mat, bool writable = true);

} // namespace tesk_vumo::python

#endif
