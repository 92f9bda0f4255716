// The host's choice of language for the library's own texts.

#include "declarations.h"

#include "tesk_vumo/forms/i18n.h"

namespace tesk_vumo::python {

void declare_i18n(py::module_& m)
{
    m.def(
        "set_language",
        [](const std::string& language) { return i18n::set_language(wxString::FromUTF8(language)); },
        "Shows the library's dialog and box texts, menu items and labels in LANGUAGE "
        "(a catalogue name: \"en\" or \"zh_CN\") from then on; \"\" goes back to the texts as "
        "written. Returns False, changing nothing, when there is no catalogue for it.",
        py::arg("language"));
    m.def(
        "add_catalog_lookup_path",
        [](const std::string& folder) { i18n::add_catalog_lookup_path(wxString::FromUTF8(folder)); },
        "Searches FOLDER/<language>/LC_MESSAGES/tesk_vumo.mo first in set_language().",
        py::arg("folder"));
}

} // namespace tesk_vumo::python
