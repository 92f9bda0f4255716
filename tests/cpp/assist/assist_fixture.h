#ifndef TESK_VUMO_TESTS_ASSIST_FIXTURE_H
#define TESK_VUMO_TESTS_ASSIST_FIXTURE_H

#include <functional>
#include <memory>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/sizer.h>

#include "scripted_interaction.h"
#include "test_support.h"
#include "tesk_vumo/panel/image_panel.h"

namespace tesk_vumo::testing {

/// Records dialogs like ScriptedInteraction and can act while a file dialog
/// is open, as a host window that resizes meanwhile would.
class RecordingInteraction : public ScriptedInteraction
{
public:
    std::optional<wxString> ask_path(const FileDialogRequest& request) override
    {
        if (while_asking)
            while_asking();
        return ScriptedInteraction::ask_path(request);
    }
    std::function<void()> while_asking;
};

/// An ImagePanel filling a shown frame (laid out by a sizer), with every
/// dialog answered by a script.
class PanelTest : public FrameTest
{
protected:
    void SetUp() override
    {
        client_size = wxSize(1000, 800);
        FrameTest::SetUp();
        script = std::make_shared<RecordingInteraction>();
        previous_ = set_user_interaction(script);
        panel = fill_frame(new ImagePanel(frame));
    }

    void TearDown() override
    {
        FrameTest::TearDown();
        set_user_interaction(previous_);
        script.reset();
    }

    static void click(wxButton* button)
    {
        wxCommandEvent event(wxEVT_BUTTON, button->GetId());
        event.SetEventObject(button);
        button->ProcessWindowEvent(event);
    }

    /// Picks @p item as a user would: selection first, then the event.
    static void choose(wxChoice* choice, int item)
    {
        choice->SetSelection(item);
        wxCommandEvent event(wxEVT_CHOICE, choice->GetId());
        event.SetEventObject(choice);
        event.SetInt(item);
        choice->ProcessWindowEvent(event);
    }

    /// Sends a mouse event to the drawing surface at displayed-image point
    /// (x, y) of the unscrolled panel.
    void mouse(wxEventType type, int x, int y, bool left_down = false)
    {
        wxMouseEvent event(type);
        event.SetPosition(wxPoint(panel->image_rect().x + x, panel->image_rect().y + y));
        event.SetLeftDown(left_down);
        event.SetEventObject(panel->ui_image);
        event.SetId(panel->ui_image->GetId());
        panel->ui_image->ProcessWindowEvent(event);
    }

    void drag(wxPoint from, wxPoint to)
    {
        mouse(wxEVT_LEFT_DOWN, from.x, from.y, true);
        mouse(wxEVT_MOTION, to.x, to.y, true);
    }

    /// Answers the next file dialog with @p path.
    void answer(const std::filesystem::path& path) { script->paths.push_back(wxString::FromUTF8(path.u8string())); }
    void cancel_next() { script->paths.push_back(std::nullopt); }

    std::shared_ptr<RecordingInteraction> script;
    ImagePanel* panel = nullptr;

private:
    std::shared_ptr<UserInteraction> previous_;
};

} // namespace tesk_vumo::testing

#endif
