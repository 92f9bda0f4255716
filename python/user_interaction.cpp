#include "declarations.h"
#include "python_lifetime.h"
#include "wx_interop.h"

#include "tesk_vumo/common/user_interaction.h"

#include <memory>
#include <string>

namespace tesk_vumo::python {

namespace {

using namespace pybind11::literals;

/// What a Python provider's ask_path receives: a copy of the viewer's
/// request, so that a provider keeping it holds nothing that dies.
struct PathRequest
{
    py::object parent;
    std::string message;
    std::string default_dir;
    std::string default_file;
    std::string wildcard;
    long style;
};

std::string utf8(const wxString& text)
{
    return std::string(text.utf8_str());
}

/// A path as a file dialog would hand it over: in the file-name encoding,
/// so that names of any characters reach the file system unchanged.
wxString dialog_path(py::handle answer)
{
    const std::string bytes = py::bytes(py::module_::import("os").attr("fsencode")(answer));
    // No file name holds a NUL: the system would read the name only up to
    // it, and open or overwrite another file.
    if (bytes.find('\0') != std::string::npos)
        throw py::value_error("ask_path must answer a path without NUL characters, got "
                              + std::string(py::repr(answer)));
    return wxString(bytes.data(), *wxConvFileName, bytes.size());
}

void print_error(const py::error_already_set& error) noexcept
{
    try {
        // An error raised here in C++ has no traceback, and a null object
        // cannot be passed on: the error would go unprinted.
        const py::object trace = error.trace() ? error.trace() : py::none();
        py::module_::import("traceback").attr("print_exception")(error.type(), error.value(), trace);
    } catch (...) {
        PyErr_Clear();
    }
}

/// The provider's answer from @p ask, or @p cancelled when it failed: a
/// provider's error counts as a cancelled dialog (it must not unwind through
/// the toolkit's event handlers), and is printed so the host still sees it.
template <class R, class Ask>
R answer_or(R cancelled, Ask&& ask) noexcept
{
    if (!python_usable())
        return cancelled;
    py::gil_scoped_acquire gil;
    try {
        return ask();
    } catch (const py::error_already_set& error) {
        print_error(error);
    } catch (const py::builtin_exception& error) {
        error.set_error();
        print_error(py::error_already_set());
    } catch (const std::exception& error) {
        PyErr_SetString(PyExc_RuntimeError, error.what());
        print_error(py::error_already_set());
    } catch (...) {
        PyErr_Clear();
    }
    return cancelled;
}

/// The seam answered by a Python object with ask_path, show_message and
/// popup_menu methods.
class PythonInteraction final : public UserInteraction
{
public:
    explicit PythonInteraction(py::object provider) : provider_(std::move(provider)) {}

    ~PythonInteraction() override
    {
        // The toolkit may drop the provider after the interpreter is gone.
        if (!python_usable()) {
            provider_.release();
            return;
        }
        py::gil_scoped_acquire gil;
        provider_ = py::object();
    }

    const py::object& provider() const { return provider_; }

    std::optional<wxString> ask_path(const FileDialogRequest& request) override
    {
        return answer_or(std::optional<wxString>(), [&]() -> std::optional<wxString> {
            PathRequest copy{wrap_window(request.parent), utf8(request.message), utf8(request.default_dir),
                             utf8(request.default_file), utf8(request.wildcard), request.style};
            py::object answer = provider_.attr("ask_path")(std::move(copy));
            if (answer.is_none())
                return std::nullopt;
            return dialog_path(answer);
        });
    }

    int show_message(const wxString& text, const wxString& caption, long style) override
    {
        return answer_or(int(wxCANCEL), [&] {
            py::object answer = provider_.attr("show_message")(utf8(text), utf8(caption), style);
            if (answer.is_none())
                return int(wxOK);
            if (!PyLong_Check(answer.ptr()))
                throw py::type_error("show_message must return an int or None, got "
                                     + std::string(Py_TYPE(answer.ptr())->tp_name));
            return answer.cast<int>();
        });
    }

    void popup_menu(wxWindow* window, wxMenu* menu, const wxPoint& position) override
    {
        answer_or(0, [&] {
            provider_.attr("popup_menu")(wrap_window(window), wrap_borrowed(menu, "wxMenu"), position);
            return 0;
        });
    }

private:
    py::object provider_;
};

} // namespace

void declare_user_interaction(py::module_& m)
{
    py::class_<PathRequest>(m, "FileDialogRequest",
                            "What a viewer asks of a file dialog; handed to a provider's ask_path.")
        .def_readonly("parent", &PathRequest::parent, "The window the dialog belongs to.")
        .def_readonly("message", &PathRequest::message, "The dialog's message (translated).")
        .def_readonly("default_dir", &PathRequest::default_dir, "The folder it starts in; empty for the dialog's own.")
        .def_readonly("default_file", &PathRequest::default_file, "The file name it proposes.")
        .def_readonly("wildcard", &PathRequest::wildcard, "The file-type filter, wx style.")
        .def_readonly("style", &PathRequest::style, "wx.FD_OPEN or wx.FD_SAVE, with wx.FD_OVERWRITE_PROMPT if asked.")
        .def("__repr__", [](const PathRequest& request) {
            return "<FileDialogRequest " + request.message + " style=" + std::to_string(request.style) + ">";
        });

    m.def(
        "set_user_interaction",
        [](py::object provider) -> py::object {
            std::shared_ptr<UserInteraction> replacement;
            if (!provider.is_none()) {
                for (const char* method : {"ask_path", "show_message", "popup_menu"})
                    if (!py::hasattr(provider, method))
                        throw py::type_error(std::string("a user-interaction provider needs a ") + method
                                             + " method; " + Py_TYPE(provider.ptr())->tp_name + " has none");
                replacement = std::make_shared<PythonInteraction>(provider);
            }
            const auto previous = set_user_interaction(std::move(replacement));
            if (const auto* python = dynamic_cast<const PythonInteraction*>(previous.get()))
                return python->provider();
            return py::none();
        },
        "Routes the viewers' file dialogs, message boxes and popup menus through ``provider``, an "
        "object with the methods ask_path(request) -> str, os.PathLike or None (cancelled), "
        "show_message(text, caption, style) -> int and popup_menu(window, menu, position). An "
        "exception a method raises is printed and counts as a cancelled dialog. None restores the "
        "toolkit's own dialogs. Returns the previous Python provider, or None.",
        "provider"_a);
}

} // namespace tesk_vumo::python
