// load_source_image: the decode runs off the GUI thread, the image arrives
// from the event loop, and every load ends with EVT_VIEWER_LOADED.

#include <string>
#include <tuple>
#include <vector>

#include <wx/gauge.h>

#include "panel_fixture.h"

namespace tesk_vumo::testing {
namespace {

/// An EVT_VIEWER_LOADED: path, success, cancelled, failure.
using Loaded = std::tuple<std::string, bool, bool, std::string>;

class AsyncLoadTest : public PanelTest
{
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        panel->set_zoom_mode(ZoomMode::NoZoom);
        panel->Bind(EVT_VIEWER_LOADED, [this](ViewerEvent& event) {
            loaded.emplace_back(event.path(), event.success(), event.cancelled(), event.failure());
        });
    }

    std::string png(const char* name, cv::Vec3b rgb)
    {
        const auto path = temp_dir() / name;
        write_rgb(path, solid(40, 30, rgb));
        return path.string();
    }

    bool wait_for_events(size_t count) { return wait_until([&] { return loaded.size() >= count; }, 10000); }

    /// The colour shown at the image's first pixel.
    wxColour shown_colour() { return pixel(shown(), panel->image_rect().x, panel->image_rect().y); }

    bool indicator_shown()
    {
        for (wxWindow* child : panel->ui_image->GetChildren())
            for (wxWindow* part : child->GetChildren())
                if (dynamic_cast<wxGauge*>(part) && part->IsShownOnScreen())
                    return true;
        return false;
    }

    std::vector<Loaded> loaded;
};

TEST_F(AsyncLoadTest, EveryLoadEndsWithItsEventAndOnlyTheLastShowsItsImage)
{
    const std::string red = png("red.png", {255, 0, 0});
    const std::string blue = png("blue.png", {0, 0, 255});
    panel->load_source_image(red);
    // Nothing is decoded inside the call; the user sees that a load runs.
    EXPECT_TRUE(panel->source_image().empty());
    EXPECT_TRUE(panel->loading());
    EXPECT_TRUE(indicator_shown());
    ASSERT_TRUE(wait_for_events(1));
    EXPECT_EQ(loaded, (std::vector<Loaded>{{red, true, false, ""}}));
    EXPECT_FALSE(panel->loading());
    EXPECT_FALSE(indicator_shown());
    EXPECT_EQ(panel->source_image().size(), cv::Size(40, 30));
    EXPECT_TRUE(near(shown_colour(), *wxRED)) << str(shown_colour());

    // A later load or image cancels the running load.
    panel->load_source_image(red);
    panel->load_source_image(blue);
    ASSERT_TRUE(wait_for_events(3));
    EXPECT_EQ(loaded[1], Loaded(red, false, true, ""));
    EXPECT_EQ(loaded[2], Loaded(blue, true, false, ""));
    EXPECT_TRUE(near(shown_colour(), *wxBLUE)) << str(shown_colour());
    const cv::Mat green = solid(20, 20, {0, 255, 0});
    panel->load_source_image(red);
    panel->set_source_image(green);
    ASSERT_TRUE(wait_for_events(4));
    // The cancelled decode still ends on its thread; its image never comes.
    wait_until([] { return false; }, 300);
    EXPECT_EQ(loaded.back(), Loaded(red, false, true, ""));
    EXPECT_EQ(loaded.size(), 4u);

    // A failed load keeps the image and names the cause.
    const std::string missing = (temp_dir() / "missing.png").string();
    panel->load_source_image(missing);
    ASSERT_TRUE(wait_for_events(5));
    const auto& [path, success, cancelled, failure] = loaded[4];
    EXPECT_TRUE(path == missing && !success && !cancelled);
    EXPECT_NE(failure.find("文件或文件夹不存在"), std::string::npos) << failure;
    EXPECT_EQ(panel->source_image().data, green.data);
    EXPECT_TRUE(near(shown_colour(), *wxGREEN)) << str(shown_colour());
}

} // namespace
} // namespace tesk_vumo::testing
