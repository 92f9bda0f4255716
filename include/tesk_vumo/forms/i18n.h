#ifndef TESK_VUMO_FORMS_I18N_H
#define TESK_VUMO_FORMS_I18N_H

#include <wx/string.h>

namespace tesk_vumo::i18n {

/// Message catalogue domain of the library's texts.
inline constexpr const char* domain = "tesk_vumo";

/// The text to show for @p text at the moment of the call: its translation
/// in the language chosen with set_language(), else in the host's own
/// wxTranslations under the library's domain, else @p text unchanged.
wxString gettext(const wxString& text);

/// gettext() of a UTF-8 literal.
wxString tr(const char* utf8_text);

/// Shows the library's texts in @p language (a catalogue name such as "en"
/// or "zh_CN") from then on; an empty name goes back to the texts as the
/// library writes them. Returns false, changing nothing, when no catalogue
/// for @p language is found.
bool set_language(const wxString& language);

/// Adds a folder laid out as `<folder>/<language>/LC_MESSAGES/tesk_vumo.mo`
/// to those searched by set_language(), before the built-in ones (the build
/// tree's and the installed ones).
void add_catalog_lookup_path(const wxString& folder);

} // namespace tesk_vumo::i18n

#endif
