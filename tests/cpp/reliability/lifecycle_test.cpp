// Viewers made and destroyed many times over, in the states a host may
// leave them in. In the sanitizer build, AddressSanitizer catches any use
// of freed memory and LeakSanitizer any leak at exit.
// TESK_VUMO_SOAK_CYCLES sets the cycles per scenario.

#include "reliability_support.h"
#include "scripted_interaction.h"
#include "test_support.h"

#include "tesk_vumo/assist/image_panel_assist.h"
#include "tesk_vumo/common/errors.h"
#include "tesk_vumo/panel/image_panel.h"
#include "tesk_vumo/simple/simple_image_panel.h"
#include "tesk_vumo/viewer/image.h"

#include <functional>
#include <thread>

#include <wx/app.h>
#include <wx/sizer.h>
#include <wx/weakref.h>

using namespace tesk_vumo;
using namespace tesk_vumo::testing;

namespace {

class LifecycleTest : public FrameTest
{
protected:
    void SetUp() override
    {
        client_size = wxSize(500, 400);
        FrameTest::SetUp();
        frame->SetSizer(new wxBoxSizer(wxVERTICAL));
    }

    template <class Viewer>
    Viewer* place(Viewer* viewer)
    {
        frame->GetSizer()->Add(viewer, 1, wxEXPAND);
        frame->Layout();
        return viewer;
    }

    /// Shows an image, drags a selection on it and keeps what a host would:
    /// the displayed image and the selected pixels.
    template <class Viewer>
    void use(Viewer* viewer)
    {
        viewer->set_source_image(gradient(rng.between(20, 300), rng.between(20, 300)));
        const wxRect drawn = viewer->image_rect();
        for (auto [type, dx] : {std::pair{wxEVT_LEFT_DOWN, 1}, std::pair{wxEVT_MOTION, 9}}) {
            wxMouseEvent event(type);
            event.SetPosition(wxPoint(drawn.x + dx, drawn.y + dx));
            event.SetLeftDown(true);
            deliver(viewer->ui_image, event, "a drag");
        }
        kept_shown = viewer->image_being_shown();
        kept_selection = viewer->get_selection_image().value_or(cv::Mat());
        expected_shown = kept_shown.clone();
        expected_selection = kept_selection.clone();
    }

    /// What a host kept outlives the viewer.
    void expect_kept_arrays_intact()
    {
        EXPECT_EQ(cv::norm(kept_shown, expected_shown, cv::NORM_INF), 0);
        if (!kept_selection.empty())
            EXPECT_EQ(cv::norm(kept_selection, expected_selection, cv::NORM_INF), 0);
        kept_shown.release();
        kept_selection.release();
    }

    void undock(ImagePanel* panel)
    {
        wxCommandEvent click(wxEVT_BUTTON, panel->ui_button_close_assist->GetId());
        deliver(panel->ui_button_close_assist, click, "the close button of the assist bar");
        ASSERT_NE(panel->assist(), nullptr);
    }

    Rng rng{storm_seed()};
    cv::Mat kept_shown, kept_selection, expected_shown, expected_selection;
    ScriptedInteractionScope dialogs;
};

TEST_F(LifecycleTest, SimpleImagePanelWithAnImage)
{
    const int cycles = soak_cycles();
    for (int i = 0; i < cycles; ++i) {
        auto* panel = place(new SimpleImagePanel(frame, wxSize(400, 300)));
        panel->set_source_image(gradient(rng.between(1, 500), rng.between(1, 500)));
        kept_shown = panel->image_being_shown();
        expected_shown = kept_shown.clone();
        if (i % 2)
            pump();
        panel->Destroy();
        pump();
        expect_kept_arrays_intact();
    }
    report_figure("create/destroy cycles of SimpleImagePanel", cycles);
}

TEST_F(LifecycleTest, ImagePanelInEveryStateOfItsAssistBar)
{
    const int cycles = soak_cycles();
    for (int i = 0; i < cycles; ++i) {
        for (int state = 0; state < 5; ++state) {
            SCOPED_TRACE("cycle " + std::to_string(i) + ", state " + std::to_string(state));
            auto* panel = place(new ImagePanel(frame));
            use(panel);
            switch (state) {
            case 0: break; // docked
            case 1: undock(panel); break; // floating window open
            case 2: // floating window closed, re-dock still queued
                undock(panel);
                panel->assist()->Close();
                break;
            case 3: // closed and undocked again before the re-dock ran
                undock(panel);
                panel->assist()->Close();
                undock(panel);
                break;
            case 4: // closed and re-docked
                undock(panel);
                panel->assist()->Close();
                pump();
                EXPECT_TRUE(panel->ui_panel_assist->IsShown());
                break;
            }
            panel->Destroy();
            pump();
            expect_kept_arrays_intact();
        }
    }
    EXPECT_EQ(frame->GetChildren().GetCount(), 0u);
    report_figure("create/destroy cycles of ImagePanel (5 assist-bar states each)", cycles * 5);
}

TEST_F(LifecycleTest, APanelDestroyedWithFloatingWindowsNeverCallsBackIntoItself)
{
    // The floating windows were deleted with the panel's base window, after
    // the panel itself was gone, and their destroy handlers then called the
    // panel (the sanitizer build sees the call on a half-destroyed object).
    auto* panel = place(new ImagePanel(frame));
    undock(panel);
    panel->assist()->Close();
    undock(panel);
    wxWeakRef<ImagePanelAssist> open = panel->assist();
    panel->Destroy();
    EXPECT_FALSE(open) << "the floating window went with its panel";
    pump();
}

TEST_F(LifecycleTest, ImagePanelGoesWithItsHostFrame)
{
    // The host closes its whole window while the floating assist window is
    // open, or closing with its re-dock queued.
    const int cycles = soak_cycles();
    for (int i = 0; i < cycles; ++i) {
        auto* host = new wxFrame(nullptr, wxID_ANY, "host", wxPoint(0, 0), wxSize(500, 400));
        auto* panel = new ImagePanel(host);
        host->Show();
        use(panel);
        undock(panel);
        if (i % 2)
            panel->assist()->Close();
        host->Destroy();
        pump();
        expect_kept_arrays_intact();
    }
    report_figure("host frames closed with an ImagePanel undocked", cycles);
}

TEST_F(LifecycleTest, ImageWithAPendingPopupPosition)
{
    const int cycles = soak_cycles();
    for (int i = 0; i < cycles; ++i) {
        auto* viewer = place(new Image(frame));
        use(viewer);
        wxMouseEvent right(wxEVT_RIGHT_DOWN);
        right.SetPosition(wxPoint(10, 10));
        deliver(viewer->ui_image, right, "a right press");
        if (i % 2) {
            // A menu command chosen from the popup, then the viewer goes.
            dialogs.script->on_popup = [viewer] {
                wxCommandEvent command(wxEVT_MENU, ImageForm::ID_ROTATION_CW90);
                deliver(viewer, command, "a menu command");
            };
            wxContextMenuEvent menu(wxEVT_CONTEXT_MENU, viewer->GetId(), viewer->ClientToScreen(wxPoint(10, 10)));
            deliver(viewer, menu, "a context-menu request");
            dialogs.script->on_popup = nullptr;
            EXPECT_EQ(viewer->rotation(), Rotation::ClockWise90);
        }
        viewer->Destroy();
        pump();
        expect_kept_arrays_intact();
    }
    report_figure("create/destroy cycles of Image", cycles);
}

TEST_F(LifecycleTest, ACallFromAnotherThreadThrowsAndChangesNothing)
{
    // Setters called from a worker thread crashed the toolkit two runs in three.
    auto* panel = place(new ImagePanel(frame));
    panel->set_source_image(gradient(60, 40));
    const std::pair<const char*, std::function<void()>> calls[] = {
        {"set_zoom_mode", [&] { panel->set_zoom_mode(ZoomMode::NoZoom); }},
        {"set_source_image", [&] { panel->set_source_image(gradient(10, 10)); }},
        {"zoom_mode", [&] { (void)panel->zoom_mode(); }},
        {"ImagePanel", [&] { new ImagePanel(frame); }},
        {"SimpleImagePanel", [&] { new SimpleImagePanel(frame, wxSize(10, 10)); }},
    };
    std::thread([&] {
        for (const auto& [name, call] : calls) {
            try {
                call();
                ADD_FAILURE() << name << " did not throw";
            } catch (const ThreadError& error) {
                EXPECT_STREQ(error.what(),
                             (std::string(name) + " must be called on the GUI thread, not from another thread").c_str());
            }
        }
    }).join();
    EXPECT_EQ(panel->zoom_mode(), ZoomMode::FitPage);
    EXPECT_EQ(panel->source_image().size(), cv::Size(60, 40));
    EXPECT_EQ(frame->GetChildren().size(), 1u);
}

} // namespace
