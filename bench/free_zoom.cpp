// Free zoom drawn straight from the source: one Ctrl+wheel step about the
// pointer (the view's arithmetic, sampling the visible part through the
// pyramid, composing it into the buffer, and the blit), against the floor
// of any redraw of the same viewport.

#include "benchmarks.h"

#include <memory>
#include <vector>

#include "shown_view.h"

namespace tesk_vumo::bench {

namespace {

std::string rate_name(double rate)
{
    return rate >= 1 ? std::to_string(static_cast<int>(rate)) : "1/" + std::to_string(static_cast<int>(1 / rate));
}

} // namespace

void register_free_zoom(Stage& stage, const Viewport& v, const std::vector<ImageSize>& sizes, double rate,
                        double degrees, int iterations)
{
    const std::string angle = degrees == 0 ? "" : " at " + std::to_string(static_cast<int>(degrees)) + " degrees";
    const std::string key
        = "free-zoom/" + v.name() + "/" + rate_name(rate) + "/" + std::to_string(static_cast<int>(degrees));
    // Every image size in the same iterations, beside the blit floor: the
    // ratio between sizes sees the same load as the ratio to the floor.
    std::vector<Row*> steps, samples;
    for (const ImageSize& size : sizes) {
        Row& step = add_row(key + "/" + size.name(), "zoom step about the pointer, rate " + rate_name(rate) + angle
                                                         + " + sync",
                            v.name(), size.name());
        step.floor_name = "bitmap+blit";
        step.floor_terms = {bitmap_floors(v), {key + "/floor"}};
        step.blit_keys = {key + "/floor"};
        steps.push_back(&step);
        samples.push_back(&add_row(key + "/" + size.name() + "/render",
                                   "  of which sampling the view, rate " + rate_name(rate) + angle, v.name(),
                                   size.name()));
    }
    // The same step through the viewer itself (Ctrl+wheel's path: the
    // fitting, the scroll bars, the bar's inputs and the redraw), over the
    // largest image.
    Row* viewer_step = nullptr;
    if (degrees == 0) {
        viewer_step = &add_row(key + "/" + sizes.back().name() + "/viewer",
                               "  the same through ImagePanel.zoom_step, rate " + rate_name(rate) + " + sync", v.name(),
                               sizes.back().name());
        viewer_step->floor_name = "bitmap+blit";
        viewer_step->floor_terms = {bitmap_floors(v), {key + "/floor"}};
        viewer_step->blit_keys = {key + "/floor"};
    }
    Row& floor = add_row(key + "/floor", "", v.name(), "");
    floor.hidden = true;
    add(key, iterations, [&stage, steps, samples, viewer_step, &floor, v, sizes, rate, degrees](benchmark::State& state) {
        if (!stage.show(v)) {
            for (Row* row : steps)
                row->note = "viewport refused";
            state.SkipWithError("viewport refused");
            return;
        }
        ImagePanel& panel = stage.panel();
        const wxColour background = panel.ui_image->GetBackgroundColour();
        const cv::Vec3b back(background.Red(), background.Green(), background.Blue());
        const cv::Point2d pointer(v.width * 0.4 + 0.5, v.height * 0.6 + 0.5);
        std::vector<std::shared_ptr<ShownView>> shown;
        std::vector<Timed> ops;
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            const cv::Mat& source = stage.image(sizes[i]);
            const geometry::ViewTransform start(source.size(), rate, degrees, {v.width, v.height});
            auto s = std::make_shared<ShownView>(source, start.scrolled_to(start.max_offset() * 0.5), background);
            shown.push_back(s);
            // In and out by one rung, about the same pointer: a steady state.
            ops.push_back({steps[i], [s, &panel, pointer, background] {
                               s->zoom_step(pointer);
                               s->draw(panel.ui_image, background);
                           }});
            ops.push_back({samples[i], [s, back] { s->renderer.render(s->pyramid, s->view, back); }});
        }
        auto direction = std::make_shared<int>(1);
        if (viewer_step) {
            panel.set_rotation(Rotation::NoRotation);
            panel.ui_checkbox_middle_lines->SetValue(false);
            panel.ui_checkbox_follow_lines->SetValue(false);
            panel.set_source_image(stage.image(sizes.back()));
            panel.set_zoom_rate(rate);
            Stage::pump();
            const wxPoint at(static_cast<int>(pointer.x), static_cast<int>(pointer.y));
            ops.push_back({viewer_step, [&panel, at, direction] {
                               panel.zoom_step(*direction, at);
                               *direction = -*direction;
                               display_sync();
                           }});
        }
        ops.push_back({&floor, blit_floor(panel)});
        timed_together(state, ops);
        if (viewer_step) {
            panel.set_zoom_mode(ZoomMode::FitPage);
            panel.set_source_image(std::nullopt);
        }
    });
    if (degrees != 0)
        return;
    // A redraw of the viewer at this rate, scrolled to the middle, against
    // its redraw at 1:1 (NoZoom) of the same viewport and image.
    const ImageSize& size = sizes.back();
    Row& redraw = add_row(key + "/" + size.name() + "/redraw",
                          "free-zoom redraw at " + rate_name(rate) + ": draw_image + sync", v.name(), size.name());
    redraw.floor_name = "NoZoom redraw";
    redraw.floor_terms = {{"draw/" + v.name() + "/" + size.name()}};
    Row& blit = add_row(key + "/" + size.name() + "/redraw/floor", "", v.name(), size.name());
    blit.hidden = true;
    redraw.blit_keys = {blit.key};
    add(key + "/redraw", iterations, [&stage, &redraw, &blit, v, size, rate](benchmark::State& state) {
        if (!stage.show(v)) {
            redraw.note = "viewport refused";
            state.SkipWithError("viewport refused");
            return;
        }
        ImagePanel& panel = stage.panel();
        panel.set_rotation(Rotation::NoRotation);
        panel.ui_checkbox_middle_lines->SetValue(false);
        panel.ui_checkbox_follow_lines->SetValue(false);
        panel.set_source_image(stage.image(size));
        panel.set_zoom_rate(rate);
        stage.scroll_to_middle();
        panel.draw_image();
        Stage::pump();
        timed_together(state, {{&redraw,
                                [&panel] {
                                    panel.draw_image();
                                    display_sync();
                                }},
                               {&blit, blit_floor(panel)}});
        panel.set_zoom_mode(ZoomMode::FitPage);
        panel.set_source_image(std::nullopt);
    });
}

} // namespace tesk_vumo::bench
