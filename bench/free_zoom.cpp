// Free zoom drawn straight from the source: one Ctrl+wheel step about the
// pointer (the view's arithmetic, sampling the visible part through the
// pyramid, composing it into the buffer, and the blit), against the floor
// of any redraw of the same viewport.

#include "benchmarks.h"

#include <memory>

#include <wx/dcclient.h>

#include "common/image_pyramid.h"
#include "common/rgb_bitmap.h"
#include "common/view_renderer.h"
#include "tesk_vumo/common/view_transform.h"

namespace tesk_vumo::bench {

namespace {

std::string rate_name(double rate)
{
    return rate >= 1 ? std::to_string(static_cast<int>(rate)) : "1/" + std::to_string(static_cast<int>(1 / rate));
}

} // namespace

void register_free_zoom(Stage& stage, const Viewport& v, const ImageSize& size, double rate, double degrees,
                        int iterations)
{
    const std::string angle = degrees == 0 ? "" : " at " + std::to_string(static_cast<int>(degrees)) + " degrees";
    const std::string key = "free-zoom/" + v.name() + "/" + size.name() + "/" + rate_name(rate) + "/"
                            + std::to_string(static_cast<int>(degrees));
    Row& row = add_row(key, "zoom step about the pointer, rate " + rate_name(rate) + angle + " + sync", v.name(),
                       size.name());
    Row& render = add_row(key + "/render", "  of which sampling the view, rate " + rate_name(rate) + angle,
                          v.name(), size.name());
    Row& floor = add_row(key + "/floor", "", v.name(), size.name());
    floor.hidden = true;
    row.floor_name = "bitmap+blit";
    row.floor_terms = {bitmap_floors(v), {floor.key}};
    row.blit_keys = {floor.key};
    add(key, iterations, [&stage, &row, &render, &floor, v, size, rate, degrees](benchmark::State& state) {
        if (!stage.show(v)) {
            row.note = "viewport refused";
            state.SkipWithError("viewport refused");
            return;
        }
        ImagePanel& panel = stage.panel();
        const cv::Mat& source = stage.image(size);
        const wxColour background = panel.ui_image->GetBackgroundColour();
        const cv::Vec3b back(background.Red(), background.Green(), background.Blue());
        auto pyramid = std::make_shared<ImagePyramid>();
        pyramid->reset(source);
        wxBitmap target(v.width, v.height);
        fill_bitmap(target, background);
        auto renderer = std::make_shared<ViewRenderer>();
        wxImage staging;
        const cv::Point2d pointer(v.width * 0.4 + 0.5, v.height * 0.6 + 0.5);
        geometry::ViewTransform start(source.size(), rate, degrees, {v.width, v.height});
        geometry::ViewTransform view = start.scrolled_to(start.max_offset() * 0.5);
        // In and out by one rung, about the same pointer: a steady state.
        int direction = 1;
        const auto step = [&] {
            view = view.zoomed_about(pointer, geometry::stepped_zoom_rate(view.scale(), direction));
            direction = -direction;
            compose_rgb(target, renderer->render(*pyramid, view, back), wxPoint(0, 0), background, staging);
            {
                wxClientDC window(panel.ui_image);
                window.DrawBitmap(target, 0, 0, false);
            }
            display_sync();
        };
        const auto sample = [&] { renderer->render(*pyramid, view, back); };
        timed_together(state, {{&row, step}, {&render, sample}, {&floor, blit_floor(panel)}});
    });
}

} // namespace tesk_vumo::bench
