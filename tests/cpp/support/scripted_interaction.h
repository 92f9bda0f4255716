#ifndef TESK_VUMO_TESTS_SCRIPTED_INTERACTION_H
#define TESK_VUMO_TESTS_SCRIPTED_INTERACTION_H

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "tesk_vumo/common/user_interaction.h"

namespace tesk_vumo::testing {

/// Answers the viewers' dialogs from a script and records what was asked.
class ScriptedInteraction : public UserInteraction
{
public:
    struct Message
    {
        wxString text;
        wxString caption;
        long style;
    };
    struct Popup
    {
        wxWindow* window;
        wxMenu* menu;
        wxPoint position;
    };

    std::optional<wxString> ask_path(const FileDialogRequest& request) override
    {
        file_dialogs.push_back(request);
        if (paths.empty())
            return std::nullopt;
        auto answer = paths.front();
        paths.pop_front();
        return answer;
    }
    int show_message(const wxString& text, const wxString& caption, long style) override
    {
        messages.push_back({text, caption, style});
        return wxID_OK;
    }
    void popup_menu(wxWindow* window, wxMenu* menu, const wxPoint& position) override
    {
        popups.push_back({window, menu, position});
        if (on_popup)
            on_popup();
    }

    /// Answers of the next file dialogs; nullopt (or none left) cancels.
    std::deque<std::optional<wxString>> paths;
    std::vector<FileDialogRequest> file_dialogs;
    std::vector<Message> messages;
    std::vector<Popup> popups;
    std::function<void()> on_popup;
};

/// Installs a ScriptedInteraction for the lifetime of the object.
class ScriptedInteractionScope
{
public:
    ScriptedInteractionScope()
        : script(std::make_shared<ScriptedInteraction>()), previous_(set_user_interaction(script))
    {
    }
    ~ScriptedInteractionScope() { set_user_interaction(previous_); }
    std::shared_ptr<ScriptedInteraction> script;

private:
    std::shared_ptr<UserInteraction> previous_;
};

} // namespace tesk_vumo::testing

#endif
