#ifndef TESK_VUMO_COMMON_USER_INTERACTION_H
#define TESK_VUMO_COMMON_USER_INTERACTION_H

#include <memory>
#include <optional>

#include <wx/gdicmn.h>
#include <wx/string.h>

class wxMenu;
class wxWindow;

namespace tesk_vumo {

/// What a viewer asks of a file dialog.
struct FileDialogRequest
{
    wxWindow* parent = nullptr;
    wxString message;
    wxString default_dir;
    wxString default_file;
    wxString wildcard;
    long style = 0;
};

/// Every modal exchange with the user goes through this seam: the toolkit's
/// own dialogs in a program, scripted answers in tests.
class UserInteraction
{
public:
    virtual ~UserInteraction() = default;
    /// Shows a modal file dialog; returns the chosen path, or nullopt when
    /// the user cancelled.
    virtual std::optional<wxString> ask_path(const FileDialogRequest& request) = 0;
    /// Shows a modal message box without a parent window; returns the id of
    /// the button that closed it.
    virtual int show_message(const wxString& text, const wxString& caption, long style) = 0;
    /// Shows @p menu at @p position (client coordinates of @p window) and
    /// returns once it is dismissed; a chosen item's command reaches @p window.
    virtual void popup_menu(wxWindow* window, wxMenu* menu, const wxPoint& position) = 0;
};

/// The toolkit's dialogs: wxFileDialog, wxMessageBox and PopupMenu.
class ToolkitInteraction : public UserInteraction
{
public:
    std::optional<wxString> ask_path(const FileDialogRequest& request) override;
    int show_message(const wxString& text, const wxString& caption, long style) override;
    void popup_menu(wxWindow* window, wxMenu* menu, const wxPoint& position) override;
};

/// The provider in use (the toolkit's unless replaced).
UserInteraction& user_interaction();

/// Replaces the provider; nullptr restores the toolkit's. Returns the
/// previous one.
std::shared_ptr<UserInteraction> set_user_interaction(std::shared_ptr<UserInteraction> provider);

} // namespace tesk_vumo

#endif
