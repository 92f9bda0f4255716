#include "tesk_vumo/i18n/i18n.h"

#include "relabelling.h"
#include "tesk_vumo/common/errors.h"

#include <dlfcn.h>

#include <cerrno>
#include <system_error>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <wx/translation.h>

namespace tesk_vumo::i18n {

namespace {

namespace fs = std::filesystem;

struct State
{
    std::vector<fs::path> host_folders;
    // Nothing chosen yet: the language of the system locale.
    std::optional<wxString> chosen;
    // The catalogue is read at the first text shown after a choice, so that
    // a choice made before the toolkit is up only records the wish.
    bool loaded = false;
    // The library's own, so that the host's global one (and its language)
    // stays untouched.
    std::unique_ptr<wxTranslations> translations;
};

// Reads the one catalogue file chosen, wherever it lies, without adding its
// folder to the lookup paths that the host's own translations search.
class FileLoader : public wxTranslationsLoader
{
public:
    explicit FileLoader(const wxString& file) : file_(file) {}
    wxMsgCatalog* LoadCatalog(const wxString& catalog_domain, const wxString&) override
    {
        return wxMsgCatalog::CreateFromFile(file_, catalog_domain);
    }
    wxArrayString GetAvailableTranslations(const wxString&) const override { return {}; }

private:
    wxString file_;
};

State& state()
{
    static State s;
    return s;
}

// Image files are decoded on worker threads too, and their failures worded
// there, while the GUI thread may choose another language.
std::mutex& state_mutex()
{
    static std::mutex mutex;
    return mutex;
}

// The catalogues lie at a fixed place relative to the loaded library, both
// installed (wherever the tree was moved to) and in the build tree; the
// build tree's own folder comes last, so a moved install never uses it.
std::vector<fs::path> built_in_folders()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&built_in_folders), &info) || !info.dli_fname)
        return {};
    std::error_code error;
    const fs::path library = fs::weakly_canonical(fs::path(info.dli_fname), error);
    const fs::path folder = library.parent_path();
    return {folder / TESK_VUMO_LIBDIR_TO_LOCALEDIR, folder / "locale", fs::path(TESK_VUMO_BUILD_LOCALE_DIR)};
}

std::optional<fs::path> catalog_file(const wxString& language)
{
    const fs::path relative =
        fs::path(language.utf8_string()) / "LC_MESSAGES" / (std::string(domain) + ".mo");
    std::vector<fs::path> folders = state().host_folders;
    for (const fs::path& folder : built_in_folders())
        folders.push_back(folder);
    std::error_code error;
    for (const fs::path& folder : folders)
        if (fs::is_regular_file(folder / relative, error))
            return folder / relative;
    return std::nullopt;
}

wxString getenv_text(const char* name)
{
    const char* value = std::getenv(name);
    return value ? wxString::FromUTF8(value) : wxString();
}

// The language the system locale asks for, as the first catalogue found
// among its names, or "" when none fits.
wxString system_language()
{
    for (const wxString& language : languages_of_locale(getenv_text("LANGUAGE"), getenv_text("LC_ALL"),
                                                         getenv_text("LC_MESSAGES"), getenv_text("LANG")))
        if (catalog_file(language))
            return language;
    return wxString();
}

const wxTranslations* translations()
{
    State& s = state();
    if (!s.loaded) {
        s.loaded = true;
        const wxString language = s.chosen ? *s.chosen : system_language();
        s.translations.reset();
        if (!language.empty())
            if (const auto file = catalog_file(language)) {
                auto translations = std::make_unique<wxTranslations>();
                translations->SetLoader(new FileLoader(wxString::FromUTF8(file->string())));
                translations->SetLanguage(language);
                // The texts as written are Chinese: a Chinese choice needs no catalogue.
                if (translations->AddCatalog(domain, wxLANGUAGE_CHINESE_SIMPLIFIED))
                    s.translations = std::move(translations);
            }
    }
    return s.translations.get();
}

std::map<const void*, std::function<void()>>& relabellings()
{
    static std::map<const void*, std::function<void()>> relabel;
    return relabel;
}

void relabel_all()
{
    // A relabelled control's size event reaches the host's handlers, which
    // may destroy a viewer meanwhile.
    std::vector<const void*> owners;
    for (const auto& entry : relabellings())
        owners.push_back(entry.first);
    for (const void* owner : owners) {
        const auto found = relabellings().find(owner);
        if (found != relabellings().end())
            std::function<void()>(found->second)();
    }
}

} // namespace

wxArrayString languages_of_locale(const wxString& language_list, const wxString& lc_all,
                                  const wxString& lc_messages, const wxString& lang)
{
    wxString locale = !lc_all.empty() ? lc_all : !lc_messages.empty() ? lc_messages : lang;
    wxArrayString names;
    if (locale.empty() || locale == "C" || locale == "POSIX" || locale.StartsWith("C."))
        return names;
    // A list in LANGUAGE goes before the locale's own name, as for gettext.
    wxArrayString wanted = wxSplit(language_list, ':', '\0');
    wanted.Add(locale);
    for (wxString name : wanted) {
        name = name.BeforeFirst('.').BeforeFirst('@');
        if (name.empty() || name == "C" || name == "POSIX")
            continue;
        for (const wxString& candidate : {name, name.BeforeFirst('_')})
            if (names.Index(candidate) == wxNOT_FOUND)
                names.Add(candidate);
    }
    return names;
}

wxString gettext(const wxString& text)
{
    std::lock_guard<std::mutex> lock(state_mutex());
    if (const wxTranslations* library = translations()) {
        const wxString* translated = library->GetTranslatedString(text, domain);
        return translated ? *translated : text;
    }
    return wxGetTranslation(text, domain);
}

wxString tr(const char* utf8_text)
{
    return gettext(wxString::FromUTF8(utf8_text));
}

wxString system_error_text(int error_number)
{
    struct Cause
    {
        int error_number;
        const char* text;
    };
    static const Cause causes[] = {
        {ENOENT, "文件或文件夹不存在"},
        {EACCES, "没有访问权限"},
        {EPERM, "操作不被允许"},
        {EISDIR, "这是一个文件夹"},
        {ENOTDIR, "路径中有一段不是文件夹"},
        {ENXIO, "设备不存在，或管道没有读取方"},
        {ENOSPC, "磁盘空间不足"},
        {EDQUOT, "超出了磁盘配额"},
        {EROFS, "文件系统是只读的"},
        {ENAMETOOLONG, "文件名太长"},
        {ELOOP, "符号链接层数太多"},
        {EIO, "读写设备出错"},
        {EFBIG, "文件超出了允许的大小"},
        {EMFILE, "打开的文件太多"},
        {ENFILE, "打开的文件太多"},
        {EBUSY, "文件正被占用"},
        {ETXTBSY, "文件正被占用"},
        {ENOMEM, "内存不足"},
    };
    for (const Cause& cause : causes)
        if (cause.error_number == error_number)
            return tr(cause.text);
    return wxString::FromUTF8(std::system_category().message(error_number));
}

bool set_language(const wxString& language)
{
    require_gui_thread(__func__);
    if (!language.empty() && !catalog_file(language))
        return false;
    {
        std::lock_guard<std::mutex> lock(state_mutex());
        State& s = state();
        s.chosen = language;
        s.loaded = false;
    }
    relabel_all();
    return true;
}

void add_catalog_lookup_path(const wxString& folder)
{
    std::lock_guard<std::mutex> lock(state_mutex());
    auto& folders = state().host_folders;
    folders.insert(folders.begin(), fs::path(folder.utf8_string()));
    state().loaded = false;
}

void remember_relabelling(const void* owner, std::function<void()> relabel)
{
    relabellings()[owner] = std::move(relabel);
}

void forget_relabelling(const void* owner)
{
    relabellings().erase(owner);
}

} // namespace tesk_vumo::i18n
