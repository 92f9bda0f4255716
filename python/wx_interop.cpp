#include "wx_interop.h"

#include "dispatch.h"
#include "python_lifetime.h"

#include <memory>
#include <string_view>
#include <typeindex>

namespace tesk_vumo::python {

namespace {

std::unordered_map<const wxWindow*, std::unique_ptr<WindowState>>& window_states()
{
    // Never destroyed: it may still hold Python references when the
    // interpreter is gone.
    static auto* states = new std::unordered_map<const wxWindow*, std::unique_ptr<WindowState>>;
    return *states;
}

std::unordered_map<std::type_index, PythonWindowClass>& window_classes()
{
    static auto* classes = new std::unordered_map<std::type_index, PythonWindowClass>;
    return *classes;
}

void release_window(const wxWindow* window) noexcept
{
    auto& states = window_states();
    const auto found = states.find(window);
    if (found == states.end())
        return;
    std::unique_ptr<WindowState> state = std::move(found->second);
    states.erase(found);
    if (!python_usable()) {
        state->wrapper.release();
        for (auto& slot : state->slots)
            slot.second.release();
        for (auto& dependent : state->dependents)
            dependent.second.release();
        return;
    }
    py::gil_scoped_acquire gil;
    try {
        // From now on the wrappers raise RuntimeError instead of reaching
        // the freed window and what it owned.
        py::object setdeleted = py::module_::import("wx.siplib").attr("setdeleted");
        setdeleted(state->wrapper);
        for (auto& dependent : state->dependents)
            setdeleted(dependent.second);
    } catch (py::error_already_set& error) {
        error.discard_as_unraisable("tesk_vumo: marking a destroyed window's wrapper");
    }
    try {
        state.reset();
    } catch (py::error_already_set& error) {
        error.discard_as_unraisable("tesk_vumo: releasing a destroyed window's wrapper");
    } catch (...) {
    }
}

} // namespace

const sipAPIDef* sip_api()
{
    static const sipAPIDef* api = [] {
        auto* found = static_cast<const sipAPIDef*>(PyCapsule_Import("wx.siplib._C_API", 0));
        if (!found)
            throw py::error_already_set();
        return found;
    }();
    return api;
}

const sipTypeDef* sip_type(const char* class_name)
{
    // Only touched with the GIL held. The keys view names kept for good.
    static auto* types = new std::unordered_map<std::string_view, const sipTypeDef*>;
    const auto found = types->find(class_name);
    if (found != types->end())
        return found->second;
    const sipTypeDef* type = sip_api()->api_find_type(class_name);
    types->emplace(*new std::string(class_name), type);
    return type;
}

bool is_wrapper_of(py::handle object, const char* class_name)
{
    const sipTypeDef* type = sip_type(class_name);
    return type && sip_api()->api_can_convert_to_type(object.ptr(), type, SIP_NO_CONVERTORS);
}

void* unwrap(py::handle object, const char* class_name)
{
    // sip converts None to a null pointer; callers get a TypeError instead.
    const sipTypeDef* type = sip_type(class_name);
    if (object && !object.is_none() && type
        && sip_api()->api_can_convert_to_type(object.ptr(), type, SIP_NO_CONVERTORS)) {
        int error = 0;
        void* raw = sip_api()->api_convert_to_type(object.ptr(), type, nullptr, SIP_NO_CONVERTORS, nullptr, &error);
        if (PyErr_Occurred())
            throw py::error_already_set();
        if (raw)
            return raw;
        // A wrapper marked deleted may come back as a null pointer.
        throw std::runtime_error(std::string("wrapped C/C++ object of type ") + Py_TYPE(object.ptr())->tp_name
                                 + " has been deleted");
    }
    throw py::type_error(std::string("expected a wxPython object of class ") + class_name + ", got "
                         + Py_TYPE(object.ptr())->tp_name);
}

py::object construct(void* object, const char* class_name, bool owned)
{
    const sipTypeDef* type = sip_type(class_name);
    if (!type)
        throw py::type_error(std::string("wxPython has no class ") + class_name);
    // Owned: sip deletes the object with its wrapper (a transfer to None).
    PyObject* wrapper = sip_api()->api_convert_from_type(object, type, owned ? Py_None : nullptr);
    if (!wrapper) {
        if (PyErr_Occurred())
            throw py::error_already_set();
        throw py::type_error(std::string("wxPython could not wrap an object of class ") + class_name);
    }
    return py::reinterpret_steal<py::object>(wrapper);
}

py::object wrap_borrowed(const void* object, const char* class_name)
{
    if (!object)
        return py::none();
    return construct(const_cast<void*>(object), class_name, false);
}

py::object& WindowState::slot(const std::string& name)
{
    py::object& value = slots[name];
    if (!value)
        value = py::none();
    return value;
}

WindowState* find_window_state(const wxWindow* window)
{
    const auto found = window_states().find(window);
    return found == window_states().end() ? nullptr : found->second.get();
}

WindowState& window_state(const wxWindow* window)
{
    if (WindowState* state = find_window_state(window))
        return *state;
    throw std::runtime_error("the window has no Python wrapper");
}

void track_window(wxWindow* window, py::object wrapper)
{
    auto& states = window_states();
    if (states.count(window))
        return;
    auto state = std::make_unique<WindowState>();
    state->wrapper = std::move(wrapper);
    states.emplace(window, std::move(state));
    window->Bind(wxEVT_DESTROY, [window](wxWindowDestroyEvent& event) {
        event.Skip();
        // Destroy events of children reach this handler too.
        if (event.GetEventObject() == window) {
            // The wrapper goes with this event: an override's last chance.
            going_to_destroy(window);
            release_window(window);
        }
    });
}

py::object wrap_dependent(const wxWindow* owner, const void* object, const char* class_name)
{
    if (!object)
        return py::none();
    py::object& wrapper = window_state(owner).dependents[object];
    if (!wrapper)
        wrapper = wrap_borrowed(object, class_name);
    return wrapper;
}

void register_window_class(const std::type_info& type, PythonWindowClass python_class)
{
    python_class.type.inc_ref();
    window_classes()[std::type_index(type)] = python_class;
}

bool is_library_class(py::handle type)
{
    for (const auto& entry : window_classes())
        if (entry.second.type.ptr() == type.ptr())
            return true;
    return false;
}

py::object wrap_window(wxWindow* window, void* typed, const char* class_name)
{
    if (!window)
        return py::none();
    if (WindowState* state = find_window_state(window))
        return state->wrapper;
    py::object wrapper;
    const auto found = window_classes().find(std::type_index(typeid(*window)));
    if (found != window_classes().end()) {
        wrapper = construct(found->second.as_base(window), found->second.wx_base, false);
        wrapper.attr("__class__") = found->second.type;
    } else {
        wrapper = construct(typed, class_name, false);
    }
    track_window(window, wrapper);
    return wrapper;
}

bool int_sequence(py::handle source, int* values, int count)
{
    PyObject* object = source.ptr();
    if (!object || !PySequence_Check(object) || PyUnicode_Check(object) || PyBytes_Check(object)
        || PyByteArray_Check(object))
        return false;
    const Py_ssize_t length = PySequence_Size(object);
    if (length != count) {
        PyErr_Clear();
        return false;
    }
    for (int i = 0; i < count; ++i) {
        py::object item = py::reinterpret_steal<py::object>(PySequence_GetItem(object, i));
        py::object index = item ? py::reinterpret_steal<py::object>(PyNumber_Index(item.ptr())) : py::object();
        if (!index) {
            PyErr_Clear();
            return false;
        }
        int overflow = 0;
        const long value = PyLong_AsLongAndOverflow(index.ptr(), &overflow);
        if (overflow || value < INT_MIN || value > INT_MAX) {
            PyErr_Clear();
            return false;
        }
        values[i] = static_cast<int>(value);
    }
    return true;
}

bool SizeTraits::from_sequence(py::handle source, wxSize& value)
{
    int v[2];
    if (!int_sequence(source, v, 2))
        return false;
    value = wxSize(v[0], v[1]);
    return true;
}

bool PointTraits::from_sequence(py::handle source, wxPoint& value)
{
    int v[2];
    if (!int_sequence(source, v, 2))
        return false;
    value = wxPoint(v[0], v[1]);
    return true;
}

bool RectTraits::from_sequence(py::handle source, wxRect& value)
{
    int v[4];
    if (!int_sequence(source, v, 4))
        return false;
    value = wxRect(v[0], v[1], v[2], v[3]);
    return true;
}

bool ColourTraits::from_sequence(py::handle source, wxColour& value)
{
    // A name or "#rrggbb", as wxPython takes it wherever a wx.Colour goes.
    if (PyUnicode_Check(source.ptr())) {
        const std::string text = source.cast<std::string>();
        if (!value.Set(wxString::FromUTF8(text)))
            throw py::value_error("not a colour name or \"#rrggbb\": " + std::string(py::repr(source)));
        return true;
    }
    int v[4] = {0, 0, 0, wxALPHA_OPAQUE};
    if (!int_sequence(source, v, 3) && !int_sequence(source, v, 4))
        throw py::type_error("expected a wx.Colour, a colour name or (red, green, blue[, alpha]), got "
                             + std::string(py::repr(source)));
    for (int component : v)
        if (component < 0 || component > 255)
            throw py::value_error("colour components must lie in 0..255, got "
                                  + std::string(py::repr(source)));
    value = wxColour(v[0], v[1], v[2], v[3]);
    return true;
}

py::object BitmapTraits::to_python(const wxBitmap& value)
{
    if (!value.IsOk())
        return py::none();
    return wrap_copy(value);
}

} // namespace tesk_vumo::python
