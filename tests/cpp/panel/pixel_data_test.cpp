// What ImagePanel reads back for sources of every sample type and channel
// count: the source's own values under the pointer, whatever the view.

#include <cmath>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "panel_fixture.h"
#include "tesk_vumo/common/viewer_events.h"

using namespace tesk_vumo;
using namespace tesk_vumo::testing;

namespace {

class PixelData : public PanelTest, public ::testing::WithParamInterface<std::tuple<int, int>>
{
};

/// Sample @p c of pixel (x, y): a number unique in the image (within a
/// sample's range), a half for floating point.
double code(int depth, int x, int y, int c, int channels)
{
    const int n = (x + 17 * y) * channels + c;
    switch (depth) {
    case CV_8U: return n % 251;
    case CV_16S: return -n;
    case CV_32F:
    case CV_64F: return n / 2.0;
    default: return n * 60;
    }
}

} // namespace

TEST_P(PixelData, TrueValuesAreReadBackUnderThePointerInEveryView)
{
    const auto [depth, channels] = GetParam();
    if (depth == CV_8U && channels == 1)
        GTEST_SKIP() << "8-bit gray is stored as R, G, B and read as displayed";
    ASSERT_NO_FATAL_FAILURE(set_surface(300, 200));
    cv::Mat source(13, 17, CV_MAKETYPE(depth, channels));
    std::vector<double> samples;
    for (int y = 0; y < source.rows; ++y)
        for (int x = 0; x < source.cols; ++x)
            for (int c = 0; c < channels; ++c)
                samples.push_back(code(depth, x, y, c, channels));
    cv::Mat(samples).reshape(channels, source.rows).convertTo(source, source.type());
    panel->set_source_image(source);
    // 3-channel 8-bit sources read out the colour displayed, as ever.
    const bool levelled = !(depth == CV_8U && channels == 3);
    EXPECT_EQ(panel->source_has_levels(), levelled);
    std::vector<double> event_value;
    frame->Bind(EVT_VIEWER_POINTER, [&](ViewerEvent& event) { event_value = event.value(); });

    const bool floating = depth == CV_32F || depth == CV_64F;
    const std::vector<std::pair<const char*, std::function<void()>>> views = {
        {"fit", [&] { panel->set_zoom_mode(ZoomMode::FitPage); }},
        {"1:1", [&] { panel->set_zoom_mode(ZoomMode::NoZoom); }},
        {"free zoom", [&] { panel->set_zoom_rate(2.7); }},
        {"quarter turn", [&] { panel->set_rotation(Rotation::ClockWise90); }},
    };
    for (const auto& [name, show] : views) {
        show();
        const wxRect shown = panel->image_rect();
        for (const wxPoint probe : {shown.GetTopLeft(), shown.GetBottomRight(), wxPoint(shown.x + shown.width / 3, shown.y + shown.height / 2),
                                    wxPoint(shown.x + shown.width * 2 / 3, shown.y + shown.height / 5)}) {
            SCOPED_TRACE(std::string(name) + " at control " + std::to_string(probe.x) + ", " + std::to_string(probe.y));
            move(probe);
            const wxPoint displayed = panel->get_mouse_image_position();
            const auto exact = panel->display_to_source({displayed.x + 0.5, displayed.y + 0.5});
            ASSERT_TRUE(exact);
            const int x = static_cast<int>(std::floor(exact->x)), y = static_cast<int>(std::floor(exact->y));
            ASSERT_EQ(panel->get_mouse_source_position(), wxPoint(x, y));
            std::vector<double> want;
            std::string text;
            for (int c = 0; c < channels; ++c) {
                want.push_back(code(depth, x, y, c, channels));
                text += (c ? ", " : "") + (floating ? wxString::Format("%g", want.back()) : wxString::Format("%.0f", want.back())).ToStdString();
            }
            EXPECT_EQ(panel->get_source_value(x, y), want);
            EXPECT_EQ(event_value, want);
            if (levelled)
                EXPECT_EQ(panel->ui_rgb->GetValue().ToStdString(), text);
        }
    }
    EXPECT_THROW(panel->get_source_value(17, 0), ValueError);
}

std::string kind_name(const ::testing::TestParamInfo<std::tuple<int, int>>& info)
{
    static const char* const names[] = {"uint8", "int8", "uint16", "int16", "int32", "float32", "float64"};
    return std::string(names[std::get<0>(info.param)]) + "x" + std::to_string(std::get<1>(info.param));
}

INSTANTIATE_TEST_SUITE_P(EveryKind, PixelData,
                         ::testing::Combine(::testing::Values(CV_8U, CV_16U, CV_16S, CV_32S, CV_32F, CV_64F),
                                            ::testing::Values(1, 3, 4)),
                         kind_name);
