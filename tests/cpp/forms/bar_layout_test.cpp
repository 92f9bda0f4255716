// The docked assist bar and Image's read-out strip keep to one row and
// leave the picture most of the height.

#include <gtest/gtest.h>

#include <vector>

#include <wx/frame.h>

#include "test_support.h"
#include "tesk_vumo/forms/i18n.h"
#include "tesk_vumo/forms/image_form.h"
#include "tesk_vumo/forms/image_panel_form.h"

namespace tesk_vumo::testing {
namespace {

class BarLayoutTest : public FrameTest
{
protected:
    void TearDown() override
    {
        FrameTest::TearDown();
        i18n::set_language("");
    }

    void resize(const wxSize& size)
    {
        frame->SetClientSize(size);
        frame->Layout();
        pump();
    }
};

/// Expects @p controls (children of one window) shown, left to right
/// without overlap inside @p width, and all on one row (their vertical
/// ranges overlap).
void expect_one_row(const std::vector<wxWindow*>& controls, int width, const char* language)
{
    int right = 0;
    int row_top = 0, row_bottom = 1 << 30;
    for (wxWindow* control : controls) {
        ASSERT_TRUE(control->IsShown()) << "in " << language;
        // The toolkit places the widgets later; GetRect is where the layout put them.
        const wxRect rect = control->GetRect();
        EXPECT_GE(rect.x, right) << "overlap in " << language;
        right = rect.GetRight() + 1;
        row_top = std::max(row_top, rect.y);
        row_bottom = std::min(row_bottom, rect.GetBottom());
    }
    EXPECT_LE(right, width) << "in " << language;
    EXPECT_LT(row_top, row_bottom) << "controls on more than one row in " << language;
}

TEST_F(BarLayoutTest, BarAndStripFitOneRowAt640InBothLanguages)
{
    auto* panel = fill_frame(new ImagePanelForm(frame));
    auto* viewer = fill_frame(new ImageForm(frame));
    const std::vector<wxWindow*> bar{panel->ui_zoom_mode, panel->ui_angle, panel->ui_checkbox_middle_lines,
                                     panel->ui_checkbox_follow_lines, panel->ui_x, panel->ui_y, panel->ui_rgb,
                                     panel->ui_button_load, panel->ui_button_save, panel->ui_button_close_assist};
    // Wider, the bar shows the selection size too.
    std::vector<wxWindow*> wide_bar = bar;
    wide_bar.insert(wide_bar.begin() + 7, {panel->ui_width, panel->ui_height});
    // The second language relabels the forms made in the first.
    for (const char* language : {"zh_CN", "en"}) {
        resize(wxSize(640, 960));
        ASSERT_TRUE(i18n::set_language(language));
        pump();
        EXPECT_EQ(panel->GetSize().x, 640);
        expect_one_row(bar, 640, language);
        EXPECT_LE(panel->ui_panel_assist->GetSize().y, 40) << language;
        expect_one_row({viewer->ui_x, viewer->ui_y, viewer->ui_rgb, viewer->ui_width, viewer->ui_height}, 640,
                       language);
        resize(wxSize(1280, 1600));
        expect_one_row(wide_bar, 1280, language);
    }
}

// The bar used to wrap onto four rows at 500x350, and to take the whole
// height at 200x120.
TEST_F(BarLayoutTest, ThePictureKeepsAtLeastHalfTheHeight)
{
    for (const wxSize size : {wxSize(500, 350), wxSize(300, 200), wxSize(200, 120), wxSize(120, 60)}) {
        auto* panel = fill_frame(new ImagePanelForm(frame));
        resize(size);
        EXPECT_GE(panel->ui_image->GetSize().y * 2, panel->GetSize().y) << "ImagePanel at " << size.x << "x" << size.y;
        if (panel->ui_button_close_assist->IsShown())
            EXPECT_LE(panel->ui_button_close_assist->GetRect().GetRight(), size.x);
        if (size == wxSize(500, 350))
            EXPECT_TRUE(panel->ui_zoom_mode->IsShown() && panel->ui_button_close_assist->IsShown())
                << "at 500x350 the choices and commands stay";
        panel->Destroy();

        auto* viewer = fill_frame(new ImageForm(frame));
        resize(size);
        EXPECT_GE(viewer->ui_image->GetSize().y * 2, viewer->GetSize().y) << "Image at " << size.x << "x" << size.y;
        viewer->Destroy();
    }
}

} // namespace
} // namespace tesk_vumo::testing
