#include "tesk_vumo/forms/i18n.h"

#include <memory>
#include <vector>

#include <wx/filename.h>
#include <wx/translation.h>

namespace tesk_vumo::i18n {

namespace {

struct State
{
    std::vector<wxString> folders;
    // A translations object of the library's own, so that the host's global
    // one (and its language) stays untouched.
    std::unique_ptr<wxTranslations> translations;
};

State& state()
{
    static State s = [] {
        State initial;
#ifdef TESK_VUMO_BUILD_LOCALE_DIR
        initial.folders.push_back(wxString::FromUTF8(TESK_VUMO_BUILD_LOCALE_DIR));
#endif
#ifdef TESK_VUMO_INSTALL_LOCALE_DIR
        initial.folders.push_back(wxString::FromUTF8(TESK_VUMO_INSTALL_LOCALE_DIR));
#endif
        return initial;
    }();
    return s;
}

} // namespace

wxString gettext(const wxString& text)
{
    if (const auto& translations = state().translations) {
        const wxString* translated = translations->GetTranslatedString(text, domain);
        return translated ? *translated : text;
    }
    return wxGetTranslation(text, domain);
}

wxString tr(const char* utf8_text)
{
    return gettext(wxString::FromUTF8(utf8_text));
}

bool set_language(const wxString& language)
{
    if (language.empty()) {
        state().translations.reset();
        return true;
    }
    bool found = false;
    for (const wxString& folder : state().folders) {
        const wxFileName file(folder + wxFILE_SEP_PATH + language + wxFILE_SEP_PATH + "LC_MESSAGES",
                              wxString(domain) + ".mo");
        if (file.FileExists()) {
            wxFileTranslationsLoader::AddCatalogLookupPathPrefix(folder);
            found = true;
            break;
        }
    }
    if (!found)
        return false;
    auto translations = std::make_unique<wxTranslations>();
    translations->SetLanguage(language);
    // The texts as written are Chinese: a Chinese choice needs no catalogue.
    if (!translations->AddCatalog(domain, wxLANGUAGE_CHINESE_SIMPLIFIED))
        return false;
    state().translations = std::move(translations);
    return true;
}

void add_catalog_lookup_path(const wxString& folder)
{
    auto& folders = state().folders;
    folders.insert(folders.begin(), folder);
}

} // namespace tesk_vumo::i18n
