// Faults that hostile input from the Python module showed in the C++ viewers.

#include "test_support.h"

#include "tesk_vumo/assist/image_panel_assist.h"
#include "tesk_vumo/common/user_interaction.h"
#include "tesk_vumo/common/view_geometry.h"
#include "tesk_vumo/panel/image_panel.h"
#include "tesk_vumo/viewer/image.h"

#include <limits>
#include <memory>

#include <wx/sizer.h>
#include <wx/weakref.h>

using namespace tesk_vumo;
using namespace tesk_vumo::testing;

namespace {

constexpr int int_min = std::numeric_limits<int>::min();
constexpr int int_max = std::numeric_limits<int>::max();

TEST(PythonFoundGeometry, WheelFarOffTheSurfaceStillPicksTheNearerEdge)
{
    // The distances to the edges used to be formed in int and wrap round.
    const cv::Size client(486, 364);
    struct Case
    {
        cv::Point pointer;
        bool horizontal;
    };
    const Case cases[] = {
        {{0, int_min}, false},      // far above: the bottom edge is far away
        {{int_min, 0}, true},       // far to the left: the right edge is far away
        {{int_max, int_max}, true}, // past both edges, the bottom one by less
        {{int_min, int_min}, true},
        {{0, int_max}, true},
        {{int_max, 0}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(geometry::wheel_moves_horizontal(c.pointer, client), c.horizontal)
            << "for pointer (" << c.pointer.x << ", " << c.pointer.y << ")";
}

/// Answers every dialog by destroying the viewer first, as a host's
/// handler running during a modal dialog may.
class DestroyingInteraction : public UserInteraction
{
public:
    explicit DestroyingInteraction(wxString path) : path_(std::move(path)) {}

    std::optional<wxString> ask_path(const FileDialogRequest& request) override
    {
        request.parent->Destroy();
        return path_;
    }
    int show_message(const wxString&, const wxString&, long) override { return wxID_OK; }
    void popup_menu(wxWindow* window, wxMenu*, const wxPoint&) override { window->Destroy(); }

private:
    wxString path_;
};

class PythonFoundViewerTest : public FrameTest
{
protected:
    void SetUp() override
    {
        client_size = wxSize(500, 400);
        FrameTest::SetUp();
        frame->SetSizer(new wxBoxSizer(wxVERTICAL));
        image_file = temp_dir() / "red.png";
        write_rgb(image_file, solid(30, 20, {255, 0, 0}));
        previous = set_user_interaction(std::make_shared<DestroyingInteraction>(image_file.string()));
    }

    void TearDown() override
    {
        set_user_interaction(previous);
        FrameTest::TearDown();
    }

    template <class Viewer>
    Viewer* place(Viewer* viewer)
    {
        frame->GetSizer()->Add(viewer, 1, wxEXPAND);
        frame->Layout();
        viewer->set_source_image(solid(40, 30, {0, 255, 0}));
        return viewer;
    }

    std::filesystem::path image_file;
    std::shared_ptr<UserInteraction> previous;
};

TEST_F(PythonFoundViewerTest, ImagePanelDestroyedWhileAskingForAFileToLoad)
{
    wxWeakRef<ImagePanel> panel(place(new ImagePanel(frame, wxSize(500, 400))));
    wxCommandEvent click(wxEVT_BUTTON);
    panel->on_load_image(click); // used to load into the freed panel
    EXPECT_FALSE(panel);
}

TEST_F(PythonFoundViewerTest, ImageDestroyedWhileAskingForAFileToLoad)
{
    wxWeakRef<Image> viewer(place(new Image(frame, wxSize(500, 400))));
    wxCommandEvent click(wxEVT_MENU);
    viewer->on_load_image(click);
    EXPECT_FALSE(viewer);
}

TEST_F(PythonFoundViewerTest, ImageDestroyedWhileItsPopupMenuIsOpen)
{
    wxWeakRef<Image> viewer(place(new Image(frame, wxSize(500, 400))));
    wxMouseEvent press(wxEVT_RIGHT_DOWN);
    press.SetPosition(wxPoint(10, 10));
    viewer->on_mouse_right_down(press);
    wxContextMenuEvent request(wxEVT_CONTEXT_MENU, viewer->GetId(), wxPoint(10, 10));
    viewer->on_popup_menu(request); // used to clear the press position in freed memory
    EXPECT_FALSE(viewer);
}

TEST_F(PythonFoundViewerTest, FloatingAssistDestroyedWithoutClosingDocksTheBarAgain)
{
    ImagePanel* panel = place(new ImagePanel(frame, wxSize(500, 400)));
    wxCommandEvent click(wxEVT_BUTTON);
    panel->on_close_assist_bar(click);
    ASSERT_NE(panel->assist(), nullptr);
    ASSERT_FALSE(panel->ui_panel_assist->IsShown());

    panel->assist()->Destroy(); // used to leave the panel with neither bar
    EXPECT_TRUE(wait_until([&] { return panel->assist() == nullptr && panel->ui_panel_assist->IsShown(); }));

    // Undocked again, and closed the usual way: still one bar at a time.
    panel->on_close_assist_bar(click);
    ASSERT_NE(panel->assist(), nullptr);
    panel->assist()->Close();
    EXPECT_TRUE(wait_until([&] { return panel->assist() == nullptr && panel->ui_panel_assist->IsShown(); }));
}

} // namespace
