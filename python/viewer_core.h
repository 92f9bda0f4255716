#ifndef TESK_VUMO_PYTHON_VIEWER_CORE_H
#define TESK_VUMO_PYTHON_VIEWER_CORE_H

// The members ImagePanel and Image share through their viewing core, bound
// once for both.

#include "wx_class.h"

#include <vector>

namespace tesk_vumo::python {

/// Installs the viewing core's properties, methods, handlers and child
/// controls on @p cls (ImagePanel or Image).
template <class T, class Base>
void bind_viewer_core(WxClass<T, Base>& cls);

/// Source samples as Python has them: None for none, an int (@p integer) or
/// float for one, a tuple of them for several.
py::object source_samples(const std::vector<double>& value, bool integer);

} // namespace tesk_vumo::python

#endif
