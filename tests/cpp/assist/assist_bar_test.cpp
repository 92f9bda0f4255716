// The docked assist bar of an ImagePanel and the floating ImagePanelAssist
// window that replaces it while it is closed.

#include <wx/app.h>
#include <wx/weakref.h>

#include "assist_fixture.h"
#include "tesk_vumo/assist/image_panel_assist.h"

namespace tesk_vumo::testing {
namespace {

class AssistBarTest : public PanelTest
{
protected:
    ImagePanelAssist* undock()
    {
        click(panel->ui_button_close_assist);
        return panel->assist();
    }

    int floating_windows() const
    {
        int count = 0;
        for (wxWindow* child : panel->GetChildren())
            if (dynamic_cast<ImagePanelAssist*>(child) && !wxTheApp->IsScheduledForDestruction(child))
                ++count;
        return count;
    }
};

TEST_F(AssistBarTest, UndockingShowsAWindowWithTheDockedChoicesAndHidesTheBar)
{
    choose(panel->ui_zoom_mode, 1);
    choose(panel->ui_angle, 1);
    const int docked_height = panel->ui_image->GetSize().y;

    ImagePanelAssist* assist = undock();

    ASSERT_NE(assist, nullptr);
    EXPECT_TRUE(assist->IsShown());
    EXPECT_EQ(assist->image_panel(), panel);
    EXPECT_EQ(assist->ui_zoom_mode->GetSelection(), 1);
    EXPECT_EQ(assist->ui_angle->GetSelection(), 1);
    EXPECT_FALSE(assist->ui_zoom_rate->IsEnabled());
    EXPECT_FALSE(assist->ui_angle_degree->IsEnabled());
    EXPECT_FALSE(panel->ui_panel_assist->IsShown());
    EXPECT_GT(panel->ui_image->GetSize().y, docked_height) << "the picture should take the bar's room";
}

TEST_F(AssistBarTest, TheBarsRoomGoesToThePictureAlsoInAParentWithoutSizer)
{
    frame->SetSizer(nullptr);
    const int docked_height = panel->ui_image->GetSize().y;

    undock();
    EXPECT_GT(panel->ui_image->GetSize().y, docked_height);

    panel->assist()->Close();
    pump();
    EXPECT_EQ(panel->ui_image->GetSize().y, docked_height);
}

TEST_F(AssistBarTest, FloatingZoomChoiceDrivesThePanelAndRefusesZoomAny)
{
    panel->set_source_image(gradient(320, 240));
    choose(panel->ui_zoom_mode, 1);
    ImagePanelAssist* assist = undock();

    choose(assist->ui_zoom_mode, 4);
    EXPECT_EQ(panel->zoom_mode(), ZoomMode::FitWidth);
    EXPECT_EQ(assist->ui_zoom_mode->GetSelection(), 1);

    choose(assist->ui_zoom_mode, 2);
    EXPECT_EQ(panel->zoom_mode(), ZoomMode::FitHeight);
    EXPECT_EQ(panel->ui_zoom_mode->GetSelection(), 2);
    EXPECT_EQ(panel->image_being_shown().rows, panel->ui_image->GetSize().y);

    const unsigned long fittings = panel->fitting_count();
    choose(assist->ui_zoom_mode, 4);
    EXPECT_EQ(panel->zoom_mode(), ZoomMode::FitHeight);
    EXPECT_EQ(panel->fitting_count(), fittings);
    EXPECT_EQ(assist->ui_zoom_mode->GetSelection(), 2);
}

// The docked rotation choice used to keep the user's last pick, so it said
// "no rotation" over a picture that code had turned.
TEST_F(AssistBarTest, BothBarsShowTheZoomAndRotationInForceWhoeverSetThem)
{
    panel->set_source_image(gradient(320, 240));
    panel->set_rotation(Rotation::ClockWise90);
    panel->set_zoom_mode(ZoomMode::NoZoom);
    EXPECT_EQ(panel->ui_angle->GetSelection(), 1);
    EXPECT_EQ(panel->ui_zoom_mode->GetSelection(), 3);
    ImagePanelAssist* assist = undock();
    EXPECT_EQ(assist->ui_angle->GetSelection(), 1);

    panel->set_rotation(Rotation::Double90);
    panel->set_zoom_mode(ZoomMode::FitWidth);
    EXPECT_EQ(assist->ui_angle->GetSelection(), 2) << "an open floating window follows code too";
    EXPECT_EQ(assist->ui_zoom_mode->GetSelection(), 1);
    panel->set_zoom_mode(ZoomMode::NoZoom);

    choose(assist->ui_angle, 3);
    EXPECT_EQ(panel->rotation(), Rotation::CounterClockWise90);
    EXPECT_EQ(panel->image_being_shown().size(), cv::Size(240, 320));
    EXPECT_EQ(panel->ui_angle->GetSelection(), 3);

    choose(assist->ui_angle, 4);
    EXPECT_EQ(assist->ui_angle->GetSelection(), 3) << "a refused item goes back to the rotation in force";
    EXPECT_EQ(panel->rotation(), Rotation::CounterClockWise90);
}

TEST_F(AssistBarTest, ClosingTheWindowBringsTheDockedBarBack)
{
    const int docked_height = panel->ui_image->GetSize().y;
    wxWeakRef<ImagePanelAssist> closed = undock();

    ASSERT_TRUE(closed->Close());
    EXPECT_TRUE(wxTheApp->IsScheduledForDestruction(closed.get()));
    pump();

    EXPECT_FALSE(closed) << "the window should be deleted";
    EXPECT_EQ(panel->assist(), nullptr);
    EXPECT_TRUE(panel->ui_panel_assist->IsShown());
    EXPECT_EQ(panel->ui_image->GetSize().y, docked_height);

    // A second undocking builds a new window from the docked choices as they are now.
    choose(panel->ui_zoom_mode, 3);
    choose(panel->ui_angle, 2);
    ImagePanelAssist* again = undock();
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->IsShown());
    EXPECT_EQ(again->ui_zoom_mode->GetSelection(), 3);
    EXPECT_EQ(again->ui_angle->GetSelection(), 2);
    EXPECT_FALSE(panel->ui_panel_assist->IsShown());
    EXPECT_EQ(floating_windows(), 1);
}

TEST_F(AssistBarTest, UndockingTwiceShowsTheSameWindow)
{
    ImagePanelAssist* first = undock();
    first->Hide();
    wxCommandEvent event;
    panel->on_close_assist_bar(event);

    EXPECT_EQ(panel->assist(), first);
    EXPECT_TRUE(first->IsShown());
    EXPECT_EQ(floating_windows(), 1);
    EXPECT_FALSE(panel->ui_panel_assist->IsShown());
}

TEST_F(AssistBarTest, UndockingAgainBeforeTheRedockRunsKeepsTheNewWindow)
{
    wxWeakRef<ImagePanelAssist> closed = undock();
    closed->Close();
    wxCommandEvent event;
    panel->on_close_assist_bar(event);
    ImagePanelAssist* reopened = panel->assist();
    ASSERT_NE(reopened, closed.get()) << "a closed window must not be shown again";
    pump();

    EXPECT_FALSE(closed);
    EXPECT_EQ(panel->assist(), reopened);
    EXPECT_TRUE(reopened->IsShown());
    EXPECT_FALSE(panel->ui_panel_assist->IsShown());
}

TEST_F(AssistBarTest, FloatingLoadAndSaveCommandsActOnThePanel)
{
    const auto dir = temp_dir();
    write_rgb(dir / "in.png", solid(40, 30, {255, 0, 0}));
    ImagePanelAssist* assist = undock();

    answer(dir / "in.png");
    click(assist->ui_button_load);
    ASSERT_EQ(panel->source_image().size(), cv::Size(40, 30));

    answer(dir / "out.png");
    click(assist->ui_button_save);
    ASSERT_EQ(script->file_dialogs.size(), 2u);
    EXPECT_EQ(script->file_dialogs[0].parent, panel);
    EXPECT_EQ(script->file_dialogs[1].parent, panel);
    EXPECT_EQ(read_rgb(dir / "out.png").size(), panel->image_being_shown().size());
    ASSERT_EQ(script->messages.size(), 1u);
    EXPECT_EQ(script->messages[0].style, wxOK | wxICON_INFORMATION);
}

TEST_F(AssistBarTest, DestroyingThePanelDestroysTheFloatingWindow)
{
    wxWeakRef<ImagePanelAssist> assist = undock();
    ASSERT_TRUE(assist);

    panel->Destroy();
    panel = nullptr;
    pump();

    EXPECT_FALSE(assist);
}

TEST_F(AssistBarTest, GoingToDestroyDestroysTheFloatingWindow)
{
    wxWeakRef<ImagePanelAssist> assist = undock();

    panel->on_going_to_destroy();
    EXPECT_EQ(panel->assist(), nullptr);
    pump();

    EXPECT_FALSE(assist);
    panel->on_going_to_destroy();
}

TEST_F(AssistBarTest, DestroyingThePanelWhileTheRedockIsQueuedIsSafe)
{
    wxWeakRef<ImagePanelAssist> assist = undock();
    assist->Close();

    panel->Destroy();
    panel = nullptr;
    pump();

    EXPECT_FALSE(assist);
    EXPECT_TRUE(frame->GetChildren().empty());
}

} // namespace
} // namespace tesk_vumo::testing
