#include "tesk_vumo/common/user_interaction.h"

#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/window.h>

namespace tesk_vumo {

std::optional<wxString> ToolkitInteraction::ask_path(const FileDialogRequest& request)
{
    std::optional<wxString> path;
    auto* dialog = new wxFileDialog(request.parent, request.message, request.default_dir, request.default_file,
                                    request.wildcard, request.style);
    if (dialog->ShowModal() == wxID_OK)
        path = dialog->GetPath();
    dialog->Destroy();
    return path;
}

int ToolkitInteraction::show_message(const wxString& text, const wxString& caption, long style)
{
    return wxMessageBox(text, caption, style, nullptr);
}

void ToolkitInteraction::popup_menu(wxWindow* window, wxMenu* menu, const wxPoint& position)
{
    window->PopupMenu(menu, position);
}

namespace {
std::shared_ptr<UserInteraction>& current()
{
    static std::shared_ptr<UserInteraction> provider = std::make_shared<ToolkitInteraction>();
    return provider;
}
} // namespace

UserInteraction& user_interaction()
{
    return *current();
}

std::shared_ptr<UserInteraction> set_user_interaction(std::shared_ptr<UserInteraction> provider)
{
    auto previous = current();
    current() = provider ? std::move(provider) : std::make_shared<ToolkitInteraction>();
    return previous;
}

} // namespace tesk_vumo
