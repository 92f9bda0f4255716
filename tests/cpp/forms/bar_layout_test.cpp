// The docked assist bar and Image's read-out strip keep to one row and
// leave the picture most of the height.

#include <gtest/gtest.h>
#include <vector>
#include <wx/frame.h>

#include "test_support.h"
#include "tesk_vumo/forms/image_form.h"
#include "tesk_vumo/forms/image_panel_form.h"
#include "tesk_vumo/i18n/i18n.h"

namespace tesk_vumo::testing {
namespace {

class BarLayoutTest : public FrameTest
{
protected:
    void TearDown() override { FrameTest::TearDown(), i18n::set_language(""); }
    void resize(const wxSize& size) { frame->SetClientSize(size), frame->Layout(), pump(); }
};

/// Expects @p controls (children of one window) shown, left to right without
/// overlap inside @p width, on one row (their vertical ranges overlap).
void expect_one_row(const std::vector<wxWindow*>& controls, int width)
{
    int right = 0, row_top = 0, row_bottom = 1 << 30;
    for (wxWindow* control : controls) {
        ASSERT_TRUE(control->IsShown()) << control->GetName();
        // The toolkit places the widgets later; GetRect is where the layout put them.
        const wxRect rect = control->GetRect();
        EXPECT_GE(rect.x, right) << "overlap at " << control->GetName();
        right = rect.GetRight() + 1;
        row_top = std::max(row_top, rect.y), row_bottom = std::min(row_bottom, rect.GetBottom());
    }
    EXPECT_LE(right, width);
    EXPECT_LT(row_top, row_bottom) << "controls on more than one row";
}

TEST_F(BarLayoutTest, BarAndStripFitOneRowAt640InBothLanguages)
{
    auto* panel = fill_frame(new ImagePanelForm(frame));
    auto* viewer = fill_frame(new ImageForm(frame));
    // At 640 the selection size and the undocking button wait in the drop-down.
    const std::vector<wxWindow*> bar{panel->ui_zoom_mode, panel->ui_angle, panel->ui_checkbox_middle_lines,
                                     panel->ui_checkbox_follow_lines, panel->ui_x, panel->ui_y, panel->ui_rgb,
                                     panel->ui_button_load, panel->ui_button_save, panel->ui_button_overflow};
    std::vector<wxWindow*> wide_bar = bar; // wider, the bar shows everything and no drop-down
    wide_bar.insert(wide_bar.begin() + 7, {panel->ui_width, panel->ui_height});
    wide_bar.back() = panel->ui_button_close_assist;
    // The second language relabels the forms made in the first.
    for (const char* language : {"zh_CN", "en"}) {
        SCOPED_TRACE(language);
        resize(wxSize(640, 960));
        ASSERT_TRUE(i18n::set_language(language));
        pump();
        ASSERT_EQ(panel->GetSize().x, 640);
        expect_one_row(bar, 640);
        EXPECT_LE(panel->ui_panel_assist->GetSize().y, 40);
        expect_one_row({viewer->ui_x, viewer->ui_y, viewer->ui_rgb, viewer->ui_width, viewer->ui_height}, 640);
        resize(wxSize(1280, 1600));
        expect_one_row(wide_bar, 1280);
        EXPECT_FALSE(panel->ui_button_overflow->IsShown());
    }
}

// The bar used to wrap onto four rows at 500x350, and to take the whole
// height at 200x120.
TEST_F(BarLayoutTest, ThePictureKeepsAtLeastHalfTheHeight)
{
    for (const wxSize size : {wxSize(500, 350), wxSize(300, 200), wxSize(200, 120), wxSize(120, 60)}) {
        SCOPED_TRACE(::testing::Message() << size.x << "x" << size.y);
        resize(size);
        auto* panel = fill_frame(new ImagePanelForm(frame));
        EXPECT_GE(panel->ui_image->GetSize().y * 2, panel->GetSize().y) << "ImagePanel";
        const wxWindow* overflow = panel->ui_button_overflow;
        EXPECT_TRUE(overflow->IsShown() ? overflow->GetRect().GetRight() <= size.x : size != wxSize(500, 350));
        EXPECT_TRUE(panel->ui_zoom_mode->IsShown() || size != wxSize(500, 350)) << "choices and commands stay";
        panel->Destroy();
        auto* viewer = fill_frame(new ImageForm(frame));
        EXPECT_GE(viewer->ui_image->GetSize().y * 2, viewer->GetSize().y) << "Image";
        viewer->Destroy();
    }
}

} // namespace
} // namespace tesk_vumo::testing
