// The host's choice of language for the library's own texts.

#include "declarations.h"

#include "tesk_vumo/i18n/i18n.h"

namespace tesk_vumo::python {

void declare_i18n(py::module_& m)
{
    m.def(
        "set_language",
        [](const std::string& language) { return i18n::set_language(wxString::FromUTF8(language)); },
        "Shows the library's labels, menu items, tooltips, dialog and box texts in LANGUAGE "
        "(a catalogue name: \"en\" or \"zh_CN\") from then on, and relabels every viewer, menu "
        "and floating window that exists; \"\" goes back to the texts as written. Until it is "
        "called the texts follow the system locale. May be called before the wx.App exists. "
        "Returns False, changing nothing, when there is no catalogue for it.",
        py::arg("language"));
    m.def(
        "add_catalog_lookup_path",
        [](const std::string& folder) { i18n::add_catalog_lookup_path(wxString::FromUTF8(folder)); },
        "Searches FOLDER/<language>/LC_MESSAGES/tesk_vumo.mo first in set_language().",
        py::arg("folder"));
}

} // namespace tesk_vumo::python
