// What a viewer holds in memory, state by state, for a source it owns
// (converted from gray) and for a caller's array, counted in buffers of the
// image's size.

#include "benchmarks.h"

#include "tesk_vumo/common/view_geometry.h"

namespace tesk_vumo::bench {

void register_memory(Stage& stage, const Viewport& v, const ImageSize& size)
{
    const std::string key = "memory/" + v.name() + "/" + size.name();
    add(key, 1, [&stage, v, size](benchmark::State& state) {
        if (!stage.show(v)) {
            state.SkipWithError("viewport refused");
            return;
        }
        ImagePanel& panel = stage.panel();
        panel.ui_checkbox_middle_lines->SetValue(false);
        panel.ui_checkbox_follow_lines->SetValue(false);
        // The same changes on a small image first: the code they run, OpenCV's
        // worker threads and their memory pools are in place before the count.
        panel.set_source_image(stage.gray({1, 1152, 864}));
        for (Rotation rotation : {Rotation::ClockWise90, Rotation::NoRotation})
            for (ZoomMode mode : {ZoomMode::NoZoom, ZoomMode::FitPage}) {
                panel.set_rotation(rotation);
                panel.set_zoom_mode(mode);
            }
        // Then let go of whatever was shown: a tiny picture stays.
        panel.set_zoom_mode(ZoomMode::NoZoom);
        panel.set_source_image(cv::Mat(16, 16, CV_8UC1, cv::Scalar(128)));
        panel.set_source_image(std::nullopt);
        panel.set_zoom_mode(ZoomMode::FitPage);
        const cv::Mat& gray = stage.gray(size);
        Stage::pump();
        const double buffer = static_cast<double>(size.width) * size.height * 3;
        const double baseline = anonymous_bytes();
        const wxSize surface = panel.ui_image->GetSize();
        const auto fitted = [&](Rotation rotation) {
            const cv::Size shown = geometry::fitted_size(ZoomMode::FitPage,
                                                         geometry::rotated_size({size.width, size.height}, rotation),
                                                         {surface.x, surface.y});
            return static_cast<double>(shown.area()) * 3 / buffer;
        };
        const auto measure = [&](const std::string& what, double minimum, const std::function<void()>& change) {
            MemoryRow row{size.name(), what, minimum};
            row.before = (anonymous_bytes() - baseline) / buffer;
            row.peak = (peak_anonymous_bytes([&] {
                            change();
                            display_sync();
                        })
                        - baseline)
                       / buffer;
            row.held = (anonymous_bytes() - baseline) / buffer;
            add_memory_row(row);
        };
        // One pass; the measurements follow it, outside the timed loop.
        for (auto _ : state)
            benchmark::DoNotOptimize(baseline);
        const auto zoom = [&](ZoomMode mode) { return [&panel, mode] { panel.set_zoom_mode(mode); }; };
        const auto turn = [&](Rotation rotation) { return [&panel, rotation] { panel.set_rotation(rotation); }; };
        measure("FitPage (source set)", 1, [&] { panel.set_source_image(gray); });
        measure("FitPage ClockWise90", 1, turn(Rotation::ClockWise90));
        measure("NoZoom ClockWise90", 1, zoom(ZoomMode::NoZoom));
        measure("NoZoom", 1, turn(Rotation::NoRotation));
        measure("FitPage", 1, zoom(ZoomMode::FitPage));
        measure("cleared from FitPage", fitted(Rotation::NoRotation), [&] { panel.set_source_image(std::nullopt); });
        measure("NoZoom (source set)", 1, [&] {
            panel.set_zoom_mode(ZoomMode::NoZoom);
            panel.set_source_image(gray);
        });
        // The displayed image stays on show after clearing: made then, a copy of the source.
        measure("cleared from NoZoom", 1, [&] { panel.set_source_image(std::nullopt); });
        // A caller's array, made in the change so that it counts: at 1:1
        // it is drawn where it lies.
        cv::Mat caller;
        measure("NoZoom (caller's array set)", 1, [&] {
            caller = stage.image(size).clone();
            panel.set_source_image(caller);
        });
        measure("FitPage (caller's array)", 1, zoom(ZoomMode::FitPage));
        measure("NoZoom (caller's array)", 1, zoom(ZoomMode::NoZoom));
        caller.release();
        panel.set_source_image(std::nullopt);
    });
}

} // namespace tesk_vumo::bench
