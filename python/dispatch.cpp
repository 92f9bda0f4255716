#include "dispatch.h"

#include "tesk_vumo/forms/event_guard.h"

#include <string>
#include <unordered_map>

namespace tesk_vumo::python {

namespace {

/// The wxPython wrapper of @p event as its own class (wx.MouseEvent, ...),
/// not owning it: like wxPython's, it is valid while the handler runs.
py::object wrap_event(wxEvent& event)
{
    // Per class of event, the name of its nearest class that wxPython has.
    static auto* names = new std::unordered_map<const wxClassInfo*, std::string>;
    const wxClassInfo* own = event.GetClassInfo();
    auto found = names->find(own);
    if (found == names->end()) {
        std::string name = "wxEvent";
        for (const wxClassInfo* info = own; info; info = info->GetBaseClass1()) {
            std::string candidate(wxString(info->GetClassName()).utf8_str());
            if (sip_type(candidate.c_str())) {
                name = std::move(candidate);
                break;
            }
        }
        found = names->emplace(own, std::move(name)).first;
    }
    return wrap_borrowed(&event, found->second.c_str());
}

class PythonDispatcher final : public HandlerDispatcher
{
public:
    bool dispatch(wxWindow* window, const char* name, wxEvent& event) override
    {
        if (!python_usable())
            return false;
        py::gil_scoped_acquire gil;
        py::object method = python_override(window, name);
        if (!method)
            return false;
        method(wrap_event(event));
        return true;
    }

    std::optional<bool> drop_files(wxWindow* window, int x, int y, const std::vector<std::string>& paths) override
    {
        if (!python_usable())
            return std::nullopt;
        py::gil_scoped_acquire gil;
        py::object method = python_override(window, "on_drop_files");
        if (!method)
            return std::nullopt;
        py::list names;
        for (const std::string& path : paths)
            names.append(py::reinterpret_steal<py::str>(
                PyUnicode_DecodeUTF8(path.data(), static_cast<Py_ssize_t>(path.size()), "surrogateescape")));
        const py::object taken = method(x, y, names);
        // A handler that returns nothing took the drop.
        return taken.is_none() || taken.cast<bool>();
    }

    void window_created(wxWindow* window) override
    {
        if (!python_usable())
            return;
        py::gil_scoped_acquire gil;
        try {
            wrap_window(window, window, "wxWindow");
        } catch (py::error_already_set& error) {
            error.discard_as_unraisable("tesk_vumo: wrapping a new window");
        }
    }

    bool report(const std::exception& error) noexcept override
    {
        const auto* python_error = dynamic_cast<const py::error_already_set*>(&error);
        if (!python_error || !python_usable())
            return false;
        py::gil_scoped_acquire gil;
        // As wxPython does with an exception of a Python handler: printed
        // through sys.excepthook, and the event loop goes on.
        const_cast<py::error_already_set*>(python_error)->restore();
        PyErr_Print();
        return true;
    }

    void run_image_work(const std::function<void()>& work) override
    {
        // Only the thread that holds the lock may let it go; the toolkit's
        // own events (a click on a button) run without it.
        if (python_usable() && PyGILState_Check()) {
            py::gil_scoped_release unlocked;
            work();
        } else {
            work();
        }
    }
};

using OverrideCache = std::unordered_map<PyObject*, std::unordered_map<std::string, bool>>;

OverrideCache& override_cache()
{
    // The classes stay referenced (and so alive): a freed class's address
    // could come back as another class.
    static auto* cache = new OverrideCache;
    return *cache;
}

bool overrides(py::handle type, const char* name)
{
    auto& per_class = override_cache()[type.ptr()];
    if (per_class.empty())
        type.inc_ref();
    const auto found = per_class.find(name);
    if (found != per_class.end())
        return found->second;
    // Only subclasses of the library's classes override its handlers: a
    // method of the same name in any other window class is the host's own.
    bool overridden = false;
    bool defined = false;
    for (py::handle base : py::reinterpret_borrow<py::tuple>(reinterpret_cast<PyTypeObject*>(type.ptr())->tp_mro)) {
        if (is_library_class(base)) {
            overridden = defined;
            break;
        }
        if (!defined && PyDict_GetItemString(reinterpret_cast<PyTypeObject*>(base.ptr())->tp_dict, name))
            defined = true;
    }
    per_class.emplace(name, overridden);
    return overridden;
}

} // namespace

py::object python_override(const wxWindow* window, const char* name)
{
    WindowState* state = find_window_state(window);
    if (!state || !overrides(py::type::handle_of(state->wrapper), name))
        return py::object();
    return state->wrapper.attr(name);
}

void going_to_destroy(wxWindow* window) noexcept
{
    if (!python_usable())
        return;
    py::gil_scoped_acquire gil;
    try {
        if (py::object method = python_override(window, "on_going_to_destroy"))
            method();
    } catch (py::error_already_set& error) {
        error.restore();
        PyErr_Print();
    } catch (const std::exception& error) {
        PyErr_SetString(PyExc_RuntimeError, error.what());
        PyErr_Print();
    }
}

void install_dispatcher()
{
    // Never destroyed: the toolkit may still send events after the module's
    // statics are gone.
    static auto* dispatcher = new PythonDispatcher;
    set_handler_dispatcher(dispatcher);
}

} // namespace tesk_vumo::python
