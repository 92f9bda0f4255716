#ifndef TESK_VUMO_I18N_I18N_H
#define TESK_VUMO_I18N_I18N_H

#include <wx/arrstr.h>
#include <wx/string.h>

namespace tesk_vumo::i18n {

/// Message catalogue domain of the library's texts.
inline constexpr const char* domain = "tesk_vumo";

/// The text to show for @p text at the moment of the call: its translation
/// in the language chosen with set_language() or, before any choice, in the
/// language of the system locale (LANGUAGE, LC_ALL, LC_MESSAGES, LANG); else
/// in the host's own wxTranslations under the library's domain; else @p text
/// unchanged (as in the plain "C" locale).
wxString gettext(const wxString& text);

/// gettext() of a UTF-8 literal.
wxString tr(const char* utf8_text);

/// The cause of a failed system call (errno @p error_number) for a person,
/// in the language of the texts (tr()) for the common causes of failed
/// reads and writes of files, else the system's own text.
wxString system_error_text(int error_number);

/// Shows the library's texts in @p language (a catalogue name such as "en"
/// or "zh_CN") from then on, and relabels every viewer, menu and floating
/// window that exists; an empty name goes back to the texts as the library
/// writes them. Returns false, changing nothing, when no catalogue for
/// @p language is found. May be called before the toolkit is initialised:
/// the choice then shows in the first windows made; after, on the GUI
/// thread only (ThreadError).
///
/// Catalogues are looked up in the folders given to add_catalog_lookup_path(),
/// then beside the library: share/locale of its installed prefix (wherever
/// the installed tree was moved) and locale/ of the build tree.
bool set_language(const wxString& language);

/// Catalogue names that a locale asks for, best first: the names listed in
/// @p language_list (colon-separated, as in LANGUAGE) and then the locale
/// (the first non-empty of @p lc_all, @p lc_messages, @p lang), each as
/// "ll_CC" and then "ll". None for the "C" or "POSIX" locale.
wxArrayString languages_of_locale(const wxString& language_list, const wxString& lc_all,
                                  const wxString& lc_messages, const wxString& lang);

/// Adds a folder laid out as `<folder>/<language>/LC_MESSAGES/tesk_vumo.mo`
/// to those searched by set_language(), before the built-in ones (the build
/// tree's and the installed ones).
void add_catalog_lookup_path(const wxString& folder);

} // namespace tesk_vumo::i18n

#endif
