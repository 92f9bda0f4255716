// ImagePanel's own operations, end to end: each step that changes the
// picture ends when the X server has it.

#include "benchmarks.h"

#include <wx/checkbox.h>

namespace tesk_vumo::bench {

namespace {

bool skip(benchmark::State& state, Row& row, const char* why)
{
    row.note = why;
    state.SkipWithError(why);
    return true;
}

void send_motion(ImagePanel& panel, wxPoint at)
{
    wxMouseEvent event(wxEVT_MOTION);
    event.SetPosition(at);
    event.SetEventObject(panel.ui_image);
    event.SetId(panel.ui_image->GetId());
    panel.ui_image->ProcessWindowEvent(event);
}

void send_wheel(ImagePanel& panel, wxPoint at, int rotation)
{
    wxMouseEvent event(wxEVT_MOUSEWHEEL);
    event.SetPosition(at);
    event.m_wheelRotation = rotation;
    event.m_wheelDelta = 120;
    event.m_wheelAxis = wxMOUSE_WHEEL_VERTICAL;
    event.SetEventObject(panel.ui_image);
    event.SetId(panel.ui_image->GetId());
    panel.ui_image->ProcessWindowEvent(event);
}

/// A bar that can move by @p step both ways from the middle, or null.
wxScrollBar* movable_bar(ImagePanel& panel, int step)
{
    for (wxScrollBar* bar : {panel.ui_scroll_bar_horizontal, panel.ui_scroll_bar_vertical})
        if (bar->GetRange() - bar->GetThumbSize() >= 2 * step + 2)
            return bar;
    return nullptr;
}

enum class Redraw
{
    Plain,
    Decorated,
    Wheel,
    ScrollBar,
    Motion,
    MotionRedraw,
};

} // namespace

void register_redraws(Stage& stage, const Viewport& v, const ImageSize& size, int iterations)
{
    struct Kind
    {
        Redraw what;
        const char* key;
        const char* operation;
    };
    const Kind kinds[] = {
        {Redraw::Plain, "draw", "draw_image + sync"},
        {Redraw::Decorated, "draw-decorated", "draw_image, guide lines and outline + sync"},
        {Redraw::Wheel, "wheel", "wheel step + sync"},
        {Redraw::ScrollBar, "scroll-bar", "scroll-bar step + sync"},
        {Redraw::Motion, "motion", "pointer motion, no redraw"},
        {Redraw::MotionRedraw, "motion-redraw", "pointer motion, following lines + sync"},
    };
    for (const Kind& kind : kinds) {
        const std::string key = std::string(kind.key) + "/" + v.name() + "/" + size.name();
        Row& row = add_row(key, kind.operation, v.name(), size.name());
        Row& floor = add_row(key + "/floor", "", v.name(), size.name());
        floor.hidden = true;
        Row& readouts = add_row(key + "/read-outs", "", v.name(), size.name());
        readouts.hidden = true;
        if (kind.what == Redraw::Motion) {
            row.floor_name = "read-outs";
            row.floor_terms = {{floor.key}};
        } else if (kind.what == Redraw::MotionRedraw) {
            // A motion over the image writes the read-outs as well as redrawing.
            row.floor_name = "bitmap+blit+read-outs";
            row.floor_terms = {bitmap_floors(v), {floor.key}, {readouts.key}};
            row.blit_keys = {floor.key};
        } else {
            row.floor_name = "bitmap+blit";
            row.floor_terms = {bitmap_floors(v), {floor.key}};
            row.blit_keys = {floor.key};
        }
        const Redraw what = kind.what;
        const int runs = what == Redraw::Motion ? iterations * 20 : iterations;
        add(key, runs, [&stage, &row, &floor, &readouts, v, size, what](benchmark::State& state) {
            if (!stage.show(v) && skip(state, row, "viewport refused"))
                return;
            stage.load(size);
            ImagePanel& panel = stage.panel();
            const bool decorated = what == Redraw::Decorated;
            panel.ui_checkbox_middle_lines->SetValue(decorated);
            panel.ui_checkbox_follow_lines->SetValue(decorated || what == Redraw::MotionRedraw);
            stage.scroll_to_middle();
            panel.set_selection_rect({-1, -1, 0, 0});
            const wxRect shown = panel.image_rect();
            const wxPoint middle(shown.x + shown.width / 2, shown.y + shown.height / 2);
            if (decorated) {
                send_motion(panel, middle);
                const int subx = panel.ui_scroll_bar_horizontal->GetThumbPosition();
                const int suby = panel.ui_scroll_bar_vertical->GetThumbPosition();
                panel.set_selection_rect({subx + shown.width / 4, suby + shown.height / 4, shown.width / 2,
                                          shown.height / 2});
            }
            Stage::pump();

            switch (what) {
            case Redraw::Plain:
            case Redraw::Decorated:
                timed_together(state, {{&row,
                                        [&] {
                                            panel.draw_image();
                                            display_sync();
                                        }},
                                       {&floor, blit_floor(panel)}});
                break;
            case Redraw::Wheel: {
                wxScrollBar* bar = movable_bar(panel, 10);
                if (!bar && skip(state, row, "image fits: nothing to scroll"))
                    return;
                const wxSize client = panel.ui_image->GetClientSize();
                // Nearer the bottom edge than the right one moves the horizontal bar.
                const wxPoint at = bar == panel.ui_scroll_bar_horizontal ? wxPoint(client.x / 2, client.y - 1)
                                                                          : wxPoint(client.x - 1, client.y / 2);
                int rotation = 120;
                const auto step = [&] {
                    const unsigned long before = panel.redraw_count();
                    send_wheel(panel, at, rotation);
                    display_sync();
                    rotation = -rotation;
                    if (panel.redraw_count() != before + 1)
                        state.SkipWithError("the wheel did not redraw once");
                };
                timed_together(state, {{&row, step}, {&floor, blit_floor(panel)}});
                break;
            }
            case Redraw::ScrollBar: {
                wxScrollBar* bar = movable_bar(panel, 1);
                if (!bar && skip(state, row, "image fits: nothing to scroll"))
                    return;
                int step = 1;
                const auto scroll = [&] {
                    const int position = bar->GetThumbPosition() + step;
                    bar->SetThumbPosition(position);
                    wxScrollEvent event(step > 0 ? wxEVT_SCROLL_LINEDOWN : wxEVT_SCROLL_LINEUP, bar->GetId(),
                                        position, bar == panel.ui_scroll_bar_horizontal ? wxHORIZONTAL : wxVERTICAL);
                    event.SetEventObject(bar);
                    bar->ProcessWindowEvent(event);
                    display_sync();
                    step = -step;
                };
                timed_together(state, {{&row, scroll}, {&floor, blit_floor(panel)}});
                break;
            }
            case Redraw::Motion:
            case Redraw::MotionRedraw: {
                int flip = 0;
                const auto motion = [&] {
                    send_motion(panel, middle + wxPoint(flip, flip));
                    if (what == Redraw::MotionRedraw)
                        display_sync();
                    flip ^= 1;
                };
                if (what == Redraw::Motion)
                    timed_together(state, {{&row, motion}, {&floor, readout_floor(panel)}});
                else
                    timed_together(state,
                                   {{&row, motion}, {&floor, blit_floor(panel)}, {&readouts, readout_floor(panel)}});
                break;
            }
            }
        });
    }
}

void register_fitting(Stage& stage, const Viewport& v, const ImageSize& size, ZoomMode mode, Rotation rotation,
                      int iterations)
{
    const std::string key = "fitting/" + v.name() + "/" + size.name() + "/" + name(mode) + "/" + name(rotation);
    Row& row = add_row(key, std::string("fitting ") + name(mode) + " " + name(rotation) + " + sync", v.name(),
                       size.name());
    Row& floor = add_row(key + "/floor", "", v.name(), size.name());
    Row& blit = add_row(key + "/blit", "", v.name(), size.name());
    floor.hidden = blit.hidden = true;
    // A fitting ends by showing its result: at the least one blit.
    row.floor_name = "cv+blit";
    row.floor_terms = {{floor.key}, {blit.key}};
    if (rotation == Rotation::ClockWise90 || rotation == Rotation::Double90 || rotation == Rotation::CounterClockWise90) {
        row.versus_key = "fitting/" + v.name() + "/" + size.name() + "/" + name(mode) + "/" + name(Rotation::NoRotation);
        row.versus_name = "unturned";
    }
    add(key, iterations, [&stage, &row, &floor, &blit, v, size, mode, rotation](benchmark::State& state) {
        if (!stage.show(v) && skip(state, row, "viewport refused"))
            return;
        stage.load(size, mode, rotation);
        ImagePanel& panel = stage.panel();
        panel.ui_checkbox_middle_lines->SetValue(false);
        panel.ui_checkbox_follow_lines->SetValue(false);
        Stage::pump();
        const auto fit = [&] {
            panel.fitting();
            display_sync();
        };
        timed_together(state, {{&row, fit},
                               {&floor, fitting_floor(stage.image(size), v, mode, rotation)},
                               {&blit, blit_floor(panel)}});
    });
}

void register_turn(Stage& stage, const Viewport& v, const ImageSize& size, ZoomMode mode, Rotation rotation,
                   int iterations)
{
    const std::string key = "turn/" + v.name() + "/" + size.name() + "/" + name(mode) + "/" + name(rotation);
    Row& row = add_row(key, std::string("turn ") + name(mode) + " NoRotation -> " + name(rotation) + " + sync", v.name(),
                       size.name());
    Row& back = add_row(key + "/back", "", v.name(), size.name());
    back.hidden = true;
    // Turning and turning back in the same iterations: the turned fitting
    // against the unturned one, under the same load.
    row.versus_key = back.key;
    row.versus_name = "turning back";
    add(key, iterations, [&stage, &row, &back, v, size, mode, rotation](benchmark::State& state) {
        if (!stage.show(v) && skip(state, row, "viewport refused"))
            return;
        stage.load(size, mode, Rotation::NoRotation);
        ImagePanel& panel = stage.panel();
        panel.ui_checkbox_middle_lines->SetValue(false);
        panel.ui_checkbox_follow_lines->SetValue(false);
        Stage::pump();
        const auto turn = [&panel](Rotation to) {
            return [&panel, to] {
                panel.set_rotation(to);
                display_sync();
            };
        };
        timed_together(state, {{&row, turn(rotation)}, {&back, turn(Rotation::NoRotation)}});
    });
}

void register_unzoomed_turn(Stage& stage, const Viewport& v, const ImageSize& size, int iterations)
{
    const std::string key = "unzoomed-turn/" + v.name() + "/" + size.name();
    Row& row = add_row(key, "quarter turn under NoZoom (either way) + sync", v.name(), size.name());
    Row& redraw = add_row(key + "/redraw", "", v.name(), size.name());
    redraw.hidden = true;
    // Against a redraw of the same viewport, in the same iterations: only
    // the visible part is turned, whatever the source's size.
    row.versus_key = redraw.key;
    row.versus_name = "a redraw";
    add(key, iterations, [&stage, &row, &redraw, v, size](benchmark::State& state) {
        if (!stage.show(v) && skip(state, row, "viewport refused"))
            return;
        stage.load(size, ZoomMode::NoZoom, Rotation::NoRotation);
        ImagePanel& panel = stage.panel();
        panel.ui_checkbox_middle_lines->SetValue(false);
        panel.ui_checkbox_follow_lines->SetValue(false);
        Stage::pump();
        bool turned = false;
        timed_together(state, {{&row,
                                [&] {
                                    turned = !turned;
                                    panel.set_rotation(turned ? Rotation::ClockWise90 : Rotation::NoRotation);
                                    display_sync();
                                }},
                               {&redraw, [&] {
                                    panel.draw_image();
                                    display_sync();
                                }}});
    });
}

void register_zoom_change(Stage& stage, const Viewport& v, const ImageSize& size, int iterations)
{
    const std::string key = "zoom-change/" + v.name() + "/" + size.name();
    Row& row = add_row(key, "zoom change NoZoom <-> FitPage + sync", v.name(), size.name());
    Row& floor = add_row(key + "/floor", "", v.name(), size.name());
    Row& blit = add_row(key + "/blit", "", v.name(), size.name());
    floor.hidden = blit.hidden = true;
    row.floor_name = "cv+blit";
    row.floor_terms = {{floor.key}, {blit.key}};
    add(key, iterations, [&stage, &row, &floor, &blit, v, size](benchmark::State& state) {
        if (!stage.show(v) && skip(state, row, "viewport refused"))
            return;
        stage.load(size, ZoomMode::FitPage, Rotation::NoRotation);
        ImagePanel& panel = stage.panel();
        panel.ui_checkbox_middle_lines->SetValue(false);
        panel.ui_checkbox_follow_lines->SetValue(false);
        Stage::pump();
        // Each change makes a displayed image of the other size.
        bool whole = false;
        const auto change = [&] {
            whole = !whole;
            panel.set_zoom_mode(whole ? ZoomMode::NoZoom : ZoomMode::FitPage);
            display_sync();
        };
        const auto to_whole = fitting_floor(stage.image(size), v, ZoomMode::NoZoom, Rotation::NoRotation);
        const auto to_fit = fitting_floor(stage.image(size), v, ZoomMode::FitPage, Rotation::NoRotation);
        bool floor_whole = false;
        const auto bare = [&] {
            floor_whole = !floor_whole;
            (floor_whole ? to_whole : to_fit)();
        };
        timed_together(state, {{&row, change}, {&floor, bare}, {&blit, blit_floor(panel)}});
    });
}

void register_own_zoom_change(Stage& stage, const Viewport& v, const ImageSize& size, int iterations)
{
    const std::string key = "own-zoom/" + v.name() + "/" + size.name();
    Row& row = add_row(key, "zoom change FitPage -> NoZoom, viewer's own source + sync", v.name(), size.name());
    Row& back = add_row(key + "/back", "zoom change NoZoom -> FitPage, viewer's own source + sync", v.name(),
                        size.name());
    Row& redraw = add_row(key + "/redraw", "", v.name(), size.name());
    Row& floor = add_row(key + "/floor", "", v.name(), size.name());
    Row& blit = add_row(key + "/blit", "", v.name(), size.name());
    redraw.hidden = floor.hidden = blit.hidden = true;
    // Showing the source as it is leaves only the redraw of the new picture.
    row.floor_name = "redraw";
    row.floor_terms = {{redraw.key}};
    back.floor_name = "cv+blit";
    back.floor_terms = {{floor.key}, {blit.key}};
    add(key, iterations, [&stage, &row, &back, &redraw, &floor, &blit, v, size](benchmark::State& state) {
        if (!stage.show(v) && skip(state, row, "viewport refused"))
            return;
        ImagePanel& panel = stage.panel();
        panel.set_rotation(Rotation::NoRotation);
        panel.set_zoom_mode(ZoomMode::FitPage);
        // Converted from gray: the viewer's own image.
        panel.set_source_image(stage.gray(size));
        panel.ui_checkbox_middle_lines->SetValue(false);
        panel.ui_checkbox_follow_lines->SetValue(false);
        Stage::pump();
        const auto change = [&panel](ZoomMode mode) {
            return [&panel, mode] {
                panel.set_zoom_mode(mode);
                display_sync();
            };
        };
        // In turn: to NoZoom, a redraw of that picture, back to FitPage.
        timed_together(state, {{&row, change(ZoomMode::NoZoom)},
                               {&redraw,
                                [&panel] {
                                    panel.draw_image();
                                    display_sync();
                                }},
                               {&back, change(ZoomMode::FitPage)},
                               {&floor, fitting_floor(stage.image(size), v, ZoomMode::FitPage, Rotation::NoRotation)},
                               {&blit, blit_floor(panel)}});
    });
}

void register_source_file(Stage& stage, const Viewport& v, const ImageSize& size, const std::string& extension,
                          int iterations)
{
    const std::string key = "source/" + v.name() + "/" + size.name() + "/" + extension;
    Row& row = add_row(key, "source_image from " + extension + " (FitPage) + sync", v.name(), size.name());
    Row& decode = add_row(key + "/imread", "floor: cv::imread " + extension, "", size.name());
    Row& fit = add_row(key + "/cv", "", v.name(), size.name());
    fit.hidden = true;
    row.floor_name = "imread+cv";
    row.floor_terms = {{decode.key}, {fit.key}};
    add(key, iterations, [&stage, &row, &decode, &fit, v, size, extension](benchmark::State& state) {
        if (!stage.show(v) && skip(state, row, "viewport refused"))
            return;
        const std::filesystem::path path = stage.file(size, extension);
        stage.load(size, ZoomMode::FitPage, Rotation::NoRotation);
        ImagePanel& panel = stage.panel();
        const auto load = [&] {
            panel.set_source_image(path);
            display_sync();
        };
        timed_together(state,
                       {{&row, load},
                        {&decode, decode_floor(path.string())},
                        {&fit, fitting_floor(stage.image(size), v, ZoomMode::FitPage, Rotation::NoRotation)}},
                       1);
    });
}

} // namespace tesk_vumo::bench
