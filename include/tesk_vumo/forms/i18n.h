#ifndef TESK_VUMO_FORMS_I18N_H
#define TESK_VUMO_FORMS_I18N_H

#include <wx/string.h>

namespace tesk_vumo::i18n {

/// Message catalogue domain of the library's texts.
inline constexpr const char* domain = "tesk_vumo";

/// The text to show for @p text, looked up at the moment of the call in the
/// host's wxTranslations under the library's domain. Without a catalogue the
/// text comes back unchanged.
wxString gettext(const wxString& text);

} // namespace tesk_vumo::i18n

#endif
