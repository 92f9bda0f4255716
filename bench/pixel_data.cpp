// Sources of other sample types than 8-bit R, G, B: a redraw and a zoom
// step of a 16-bit source against the same of its 8-bit copy, the
// automatic levels of a new source against its fitting, and a live frame
// of 16 bits against one of 8.

#include "benchmarks.h"

#include <memory>

#include <opencv2/imgproc.hpp>
#include "shown_view.h"

namespace tesk_vumo::bench {

namespace {

/// A 12-bit gray picture in 16 bits, and the same in 8-bit R, G, B.
struct Pair
{
    cv::Mat deep;
    cv::Mat rgb;
};

Pair pair_of(const cv::Mat& gray)
{
    Pair pair;
    gray.convertTo(pair.deep, CV_16U, 16.0);
    cv::cvtColor(gray, pair.rgb, cv::COLOR_GRAY2RGB);
    return pair;
}

} // namespace

void register_pixel_data(Stage& stage, const Viewport& v, const ImageSize& size, int iterations)
{
    const std::string key = "pixel-data/" + v.name() + "/" + size.name();
    // Redraws and zoom steps, each drawn anew from the source.
    struct Kind
    {
        const char* name;
        const char* operation;
    };
    const Kind kinds[] = {{"redraw-fit", "redraw, FitPage"},
                          {"redraw-1:1", "redraw, 1:1 scrolled to the middle"},
                          {"zoom-step", "zoom step about the pointer, rate 1/4"}};
    std::vector<Row*> deep_rows, rgb_rows;
    for (const Kind& kind : kinds) {
        Row& rgb = add_row(key + "/" + kind.name + "/uint8", "  the same, 8-bit R, G, B", v.name(), size.name());
        Row& deep = add_row(key + "/" + kind.name + "/uint16",
                            std::string(kind.operation) + ", 16-bit gray source + sync", v.name(), size.name());
        rgb.hidden = true;
        if (std::string(kind.name) == "zoom-step") {
            deep.floor_name = "bitmap+blit";
            deep.floor_terms = {bitmap_floors(v), {key + "/floor"}};
            rgb.floor_name = deep.floor_name;
            rgb.floor_terms = deep.floor_terms;
            rgb.hidden = false;
            rgb.operation = "  the same, 8-bit R, G, B source";
        } else {
            deep.floor_name = "8-bit R, G, B";
            deep.floor_terms = {{rgb.key}};
        }
        deep_rows.push_back(&deep);
        rgb_rows.push_back(&rgb);
    }
    Row& floor = add_row(key + "/floor", "", v.name(), "");
    floor.hidden = true;
    add(key + "/draw", iterations, [&stage, deep_rows, rgb_rows, &floor, v, size](benchmark::State& state) {
        if (!stage.show(v)) {
            state.SkipWithError("viewport refused");
            return;
        }
        ImagePanel& panel = stage.panel();
        const wxColour background = panel.ui_image->GetBackgroundColour();
        const Pair sources = pair_of(stage.gray(size));
        const cv::Point2d pointer(v.width * 0.4 + 0.5, v.height * 0.6 + 0.5);
        const cv::Size source = sources.deep.size();
        const double fit = std::min(double(v.width) / source.width, double(v.height) / source.height);
        const cv::Size fitted(static_cast<int>(source.width * fit), static_cast<int>(source.height * fit));
        const geometry::ViewTransform views[] = {
            geometry::ViewTransform::fitted(source, fit, 0, fitted, {v.width, v.height}, {0, 0}),
            geometry::ViewTransform(source, 1, 0, {v.width, v.height}).scrolled_to({(source.width - v.width) / 2.0,
                                                                                     (source.height - v.height) / 2.0}),
            geometry::ViewTransform(source, 0.25, 0, {v.width, v.height})};
        std::vector<Timed> ops;
        std::vector<std::shared_ptr<ShownView>> kept;
        for (int k = 0; k < 3; ++k)
            for (int deep = 0; deep < 2; ++deep) {
                auto s = std::make_shared<ShownView>(deep ? sources.deep : sources.rgb, views[k], background);
                ViewLook look;
                look.mapping.low = 0;
                look.mapping.high = 4095;
                s->renderer.set_look(look);
                kept.push_back(s);
                const bool step = k == 2;
                ops.push_back({deep ? deep_rows[k] : rgb_rows[k], [s, &panel, pointer, background, step] {
                                   if (step)
                                       s->zoom_step(pointer);
                                   else
                                       s->renderer.forget();
                                   s->draw(panel.ui_image, background);
                               }});
            }
        ops.push_back({&floor, blit_floor(panel)});
        timed_together(state, ops);
    });

    // A new source through the viewer: with automatic levels, against the
    // same fitting with the host's levels (no pass over the samples).
    Row& automatic = add_row(key + "/new-source/auto", "set_source_image, new 16-bit source, automatic levels + sync",
                             v.name(), size.name());
    Row& fixed = add_row(key + "/new-source/fixed", "", v.name(), size.name());
    fixed.hidden = true;
    automatic.floor_name = "the same with levels set";
    automatic.floor_terms = {{fixed.key}};
    add(key + "/new-source", std::max(3, iterations / 3), [&stage, &automatic, &fixed, v, size](benchmark::State& state) {
        if (!stage.show(v)) {
            state.SkipWithError("viewport refused");
            return;
        }
        ImagePanel& panel = stage.panel();
        panel.set_zoom_mode(ZoomMode::FitPage);
        panel.set_rotation(Rotation::NoRotation);
        // Two sources taken in turn: each set is a new source.
        auto sources = std::make_shared<std::array<cv::Mat, 2>>();
        (*sources)[0] = pair_of(stage.gray(size)).deep;
        (*sources)[1] = (*sources)[0].clone();
        auto turn = std::make_shared<int>(0);
        const auto set = [&panel, sources, turn](std::optional<std::pair<double, double>> levels) {
            return [&panel, sources, turn, levels] {
                panel.set_levels(levels);
                *turn = 1 - *turn;
                panel.set_source_image((*sources)[*turn]);
                display_sync();
            };
        };
        timed_together(state, {{&automatic, set(std::nullopt)}, {&fixed, set(std::make_pair(0.0, 4095.0))}});
        panel.set_levels(std::nullopt);
        panel.set_source_image(std::nullopt);
    });

    // Live frames of the viewport's size, fitted at 1:1.
    const std::string live_key = "pixel-data/" + v.name() + "/live";
    Row& live = add_row(live_key + "/uint16", "live frame, 16-bit gray, set_source_image + sync", v.name(), v.name());
    Row& live_rgb = add_row(live_key + "/uint8", "", v.name(), v.name());
    live_rgb.hidden = true;
    live.floor_name = "8-bit R, G, B frame";
    live.floor_terms = {{live_rgb.key}};
    add(live_key, iterations, [&stage, &live, &live_rgb, v](benchmark::State& state) {
        if (!stage.show(v)) {
            state.SkipWithError("viewport refused");
            return;
        }
        ImagePanel& panel = stage.panel();
        panel.set_zoom_mode(ZoomMode::FitPage);
        const cv::Mat photo = synthetic_photo(v.width, v.height);
        cv::Mat gray;
        cv::cvtColor(photo, gray, cv::COLOR_RGB2GRAY);
        auto frames = std::make_shared<std::array<Pair, 2>>();
        (*frames)[0] = pair_of(gray);
        (*frames)[1] = pair_of(255 - gray);
        auto turn = std::make_shared<int>(0);
        timed_together(state, {{&live,
                                [&panel, frames, turn] {
                                    *turn = 1 - *turn;
                                    panel.set_source_image((*frames)[*turn].deep);
                                    display_sync();
                                }},
                               {&live_rgb, [&panel, frames, turn] {
                                    panel.set_source_image((*frames)[*turn].rgb);
                                    display_sync();
                                }}});
        panel.set_source_image(std::nullopt);
    });
}

} // namespace tesk_vumo::bench
