// The docked assist bar of an ImagePanel and the floating ImagePanelAssist
// window that replaces it while it is closed.

#include <wx/app.h>
#include <wx/menu.h>
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

/// Types @p text into @p input and presses Enter.
void type_in(wxTextCtrl* input, const char* text)
{
    input->ChangeValue(text);
    wxCommandEvent event(wxEVT_TEXT_ENTER, input->GetId());
    event.SetString(text);
    event.SetEventObject(input);
    input->ProcessWindowEvent(event);
}

TEST_F(AssistBarTest, ItemFourOfEachChoiceEnablesItsInputInBothBars)
{
    frame->SetClientSize(640, 480);
    frame->Layout();
    pump();
    ASSERT_EQ(panel->GetSize().x, 640);
    panel->set_source_image(gradient(320, 240));
    EXPECT_FALSE(panel->ui_zoom_rate->IsShown() || panel->ui_angle_degree->IsShown());

    // Docked: item 4 shows the input, on the bar's one row, with the scale in force.
    choose(panel->ui_zoom_mode, 4);
    EXPECT_EQ(panel->zoom_mode(), ZoomMode::ZoomAny);
    ASSERT_TRUE(panel->ui_zoom_rate->IsShown());
    EXPECT_GT(panel->zoom_rate(), 1.0) << "the fitted scale stays";
    EXPECT_EQ(panel->ui_zoom_rate->GetValue(), wxString::FromCDouble(panel->zoom_rate() * 100));
    choose(panel->ui_angle, 4);
    ASSERT_TRUE(panel->ui_angle_degree->IsShown());
    EXPECT_EQ(panel->ui_angle_degree->GetValue(), "0");
    const wxRect choice = panel->ui_zoom_mode->GetRect(), angle = panel->ui_angle_degree->GetRect();
    EXPECT_TRUE(angle.y < choice.GetBottom() && choice.y < angle.GetBottom()) << "the inputs wrap onto a new row";
    EXPECT_LE(panel->ui_button_overflow->GetRect().GetRight(), panel->GetSize().x);

    type_in(panel->ui_zoom_rate, "200");
    type_in(panel->ui_angle_degree, "90");
    EXPECT_DOUBLE_EQ(panel->zoom_rate(), 2.0);
    EXPECT_EQ(panel->displayed_size(), cv::Size(480, 640));
    type_in(panel->ui_zoom_rate, "lots");
    EXPECT_DOUBLE_EQ(panel->zoom_rate(), 2.0);
    EXPECT_EQ(panel->ui_zoom_rate->GetValue(), "200") << "a text that is no rate gives way to the rate in force";

    // Floating: the inputs are enabled while item 4 is chosen, and drive the panel.
    ImagePanelAssist* assist = undock();
    EXPECT_TRUE(assist->ui_zoom_rate->IsEnabled() && assist->ui_angle_degree->IsEnabled());
    EXPECT_EQ(assist->ui_zoom_rate->GetValue(), "200");
    type_in(assist->ui_zoom_rate, "50 %");
    EXPECT_DOUBLE_EQ(panel->zoom_rate(), 0.5);
    EXPECT_EQ(panel->ui_zoom_rate->GetValue(), "50");
    type_in(assist->ui_angle_degree, "-90");
    EXPECT_EQ(panel->displayed_size(), cv::Size(120, 160));
    choose(assist->ui_angle, 0);
    EXPECT_FALSE(assist->ui_angle_degree->IsEnabled());
}

/// The item of @p menu labelled @p label, or null.
wxMenuItem* item_of(wxMenu* menu, const wxString& label)
{
    const int id = menu->FindItem(label);
    return id == wxNOT_FOUND ? nullptr : menu->FindItem(id);
}

// A narrow bar used to drop the guide-line boxes (the only switch for the
// lines) and then the choices, with no other way to reach them.
TEST_F(AssistBarTest, ANarrowBarOffersWhatItDropsInItsDropDownMenu)
{
    panel->set_source_image(solid(200, 100, {200, 200, 200}));
    EXPECT_FALSE(panel->ui_button_overflow->IsShown()) << "a wide bar holds everything";
    auto narrow = [&](int width) {
        // The panel itself: a frame's resize waits on the window system.
        panel->SetSize(width, panel->GetSize().y);
        pump();
    };
    auto middle_line_pixels = [&] {
        const wxImage picture = panel->buffer().ConvertToImage();
        int count = 0;
        for (int x = 0; x < picture.GetWidth(); ++x)
            count += near(pixel(picture, x, picture.GetHeight() / 2), panel->middle_line_color(), 40);
        return count;
    };

    narrow(400);
    // After the refit, so that the read-outs tell the pixel under the pointer.
    mouse(wxEVT_MOTION, 7, 3);
    ASSERT_FALSE(panel->ui_checkbox_middle_lines->IsShown());
    ASSERT_TRUE(panel->ui_button_overflow->IsShown());
    EXPECT_EQ(middle_line_pixels(), 0);
    wxString offered; // the menu's labels, a line each
    script->on_popup = [&] {
        wxMenu* menu = script->popups.back().menu;
        for (const wxMenuItem* item : menu->GetMenuItems())
            offered << item->GetItemLabelText() << '\n';
        wxMenuItem* lines = item_of(menu, panel->ui_checkbox_middle_lines->GetLabel());
        ASSERT_TRUE(lines && lines->IsCheckable() && !lines->IsChecked());
        menu->SendEvent(lines->GetId(), 1);
    };
    click(panel->ui_button_overflow);
    ASSERT_EQ(script->popups.size(), 1u);
    EXPECT_EQ(script->popups[0].window, panel->ui_button_overflow);
    EXPECT_TRUE(panel->ui_checkbox_middle_lines->IsChecked());
    EXPECT_GT(middle_line_pixels(), 100) << "the lines switched on from the menu are drawn";
    for (const wxString& text : {panel->ui_checkbox_follow_lines->GetLabel(), wxString("7, 3"),
                                 wxString("200, 200, 200"), panel->ui_button_close_assist->GetToolTipText(),
                                 panel->ui_button_copy->GetToolTipText(), panel->ui_button_paste->GetToolTipText()})
        EXPECT_TRUE(offered.Contains(text)) << text << " in\n" << offered;
    EXPECT_FALSE(offered.Contains(panel->ui_zoom_mode->GetString(0))) << "the choices are still on the bar";

    narrow(250);
    ASSERT_FALSE(panel->ui_zoom_mode->IsShown());
    script->on_popup = [&] {
        wxMenu* menu = script->popups.back().menu;
        wxMenuItem* fit_page = item_of(menu, panel->ui_zoom_mode->GetString(0));
        wxMenuItem* lines = item_of(menu, panel->ui_checkbox_middle_lines->GetLabel());
        wxMenuItem* actual_size = item_of(menu, panel->ui_zoom_mode->GetString(3));
        ASSERT_TRUE(fit_page && lines && actual_size && actual_size->IsCheckable());
        EXPECT_TRUE(fit_page->IsChecked() && lines->IsChecked()) << "the items show the state in force";
        menu->SendEvent(actual_size->GetId(), 1);
    };
    click(panel->ui_button_overflow);
    EXPECT_EQ(panel->displayed_size(), cv::Size(200, 100)) << "at actual size";
    EXPECT_EQ(panel->ui_zoom_mode->GetSelection(), 3) << "the hidden choice agrees";
}

TEST_F(AssistBarTest, TheLevelsGroupSetsAndShowsTheLevelsOfASourceWithLevels)
{
    panel->set_zoom_mode(ZoomMode::NoZoom);
    panel->set_source_image(gradient(40, 20));
    EXPECT_FALSE(panel->ui_levels_low->IsShown()) << "8-bit colour has no levels";
    cv::Mat bands(20, 40, CV_16UC1);
    for (const int band : {0, 1, 2, 3})
        bands.colRange(band * 10, band * 10 + 10).setTo(std::array{1000, 1400, 2020, 4990}[band]);
    panel->set_source_image(bands);
    const auto shown = [](wxTextCtrl* low, wxTextCtrl* high) { return low->GetValue() + " " + high->GetValue(); };
    ASSERT_TRUE(panel->ui_levels_low->IsShown() && panel->ui_levels_auto->IsShown());
    EXPECT_EQ(shown(panel->ui_levels_low, panel->ui_levels_high), "1000 4990");
    const auto band_greys = [&] {
        const wxImage picture = panel->buffer().ConvertToImage();
        wxString greys;
        for (const int band : {0, 1, 2, 3})
            greys << int(pixel(picture, panel->image_rect().x + band * 10 + 5, panel->image_rect().y + 10).Red()) << " ";
        return greys;
    };

    type_in(panel->ui_levels_high, "2020");
    EXPECT_EQ(band_greys(), "0 100 255 255 ");
    type_in(panel->ui_levels_low, "3000"); // no pair with 2020
    EXPECT_EQ(panel->levels(), std::pair(1000.0, 2020.0));
    EXPECT_EQ(shown(panel->ui_levels_low, panel->ui_levels_high), "1000 2020");

    // A narrow bar offers the levels in its menu; the floating window has the inputs.
    panel->SetSize(300, panel->GetSize().y);
    pump();
    script->on_popup = [&] {
        wxMenu* menu = script->popups.back().menu;
        ASSERT_TRUE(item_of(menu, wxString::FromUTF8("色阶：1000 – 2020...")));
        menu->SendEvent(item_of(menu, wxString::FromUTF8("自动色阶"))->GetId());
    };
    click(panel->ui_button_overflow);
    EXPECT_EQ(panel->levels(), std::nullopt);
    ImagePanelAssist* assist = undock();
    EXPECT_EQ(shown(assist->ui_levels_low, assist->ui_levels_high), "1000 4990");
    type_in(assist->ui_levels_high, "2020");
    EXPECT_EQ(band_greys(), "0 100 255 255 ");
    click(assist->ui_levels_auto);
    EXPECT_EQ(shown(panel->ui_levels_low, panel->ui_levels_high), "1000 4990");
    panel->set_source_image(gradient(40, 20));
    EXPECT_FALSE(assist->ui_levels_low->IsShown());
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
    panel->set_rotation(Rotation::Double90);
    panel->set_zoom_mode(ZoomMode::FitWidth);
    EXPECT_EQ(assist->ui_angle->GetSelection(), 2) << "an open floating window follows code too";
    EXPECT_EQ(assist->ui_zoom_mode->GetSelection(), 1);

    choose(assist->ui_angle, 3);
    EXPECT_EQ(panel->ui_angle->GetSelection(), 3);
    choose(assist->ui_angle, 4);
    EXPECT_EQ(panel->rotation(), Rotation::DegreeAny);
    EXPECT_EQ(assist->ui_angle->GetSelection(), 4);
    EXPECT_EQ(panel->ui_angle->GetSelection(), 4);
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
    ASSERT_TRUE(load_ended(panel));
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
