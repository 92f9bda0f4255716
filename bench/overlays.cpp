// Overlays over a redraw: 10,000 rectangles spread over the source, a mask
// of the source's size, and the drag of an editable rectangle's handle, each
// against the same redraw without them by a second viewer beside the first,
// in the same iterations.

#include "benchmarks.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <wx/display.h>
#include <wx/frame.h>
#include <wx/gdicmn.h>
#include <wx/sizer.h>

namespace tesk_vumo::bench {

namespace {

enum class Layer
{
    Rects,
    Mask,
    Handle
};

void send_mouse(ImagePanel& panel, wxEventType type, wxPoint at, bool down)
{
    wxMouseEvent event(type);
    event.SetPosition(at);
    event.SetLeftDown(down);
    event.SetEventObject(panel.ui_image);
    event.SetId(panel.ui_image->GetId());
    panel.ui_image->ProcessWindowEvent(event);
}

void add_layer(ImagePanel& panel, Layer layer, const cv::Size source)
{
    if (layer == Layer::Rects) {
        cv::RNG random(23);
        for (int i = 0; i < 10000; ++i) {
            const double w = random.uniform(10.0, 200.0), h = random.uniform(10.0, 200.0);
            panel.add_rect(random.uniform(0.0, source.width - w), random.uniform(0.0, source.height - h), w, h,
                           wxColour(255, 64, 0), 1, i % 10 == 0 ? "car" : "");
        }
    } else if (layer == Layer::Mask) {
        cv::Mat labels(source, CV_8U, cv::Scalar(0));
        for (int i = 0; i < 40; ++i)
            cv::circle(labels, {(i % 8 + 1) * source.width / 9, (i / 8 + 1) * source.height / 6},
                       source.height / 14, cv::Scalar(i % 3 + 1), cv::FILLED);
        panel.add_mask(labels, wxColour(0, 128, 255), 0.5);
    }
}

/// A second ImagePanel beside the stage's, of the same surface size: the
/// redraw without overlays is timed in the same iterations as the one with.
class Twin
{
public:
    explicit Twin(const Viewport& v)
        : frame_(new wxFrame(nullptr, wxID_ANY, "twin", wxPoint(v.width + 20, 0))), panel_(new ImagePanel(frame_))
    {
        auto* sizer = new wxBoxSizer(wxVERTICAL);
        sizer->Add(panel_, 1, wxEXPAND);
        frame_->SetSizer(sizer);
        frame_->Show();
        const wxSize want(v.width, v.height);
        for (int attempt = 0; attempt < 8 && panel_->ui_image->GetClientSize() != want; ++attempt) {
            frame_->SetClientSize(frame_->GetClientSize() + want - panel_->ui_image->GetSize());
            for (int wait = 0; wait < 50; ++wait)
                Stage::pump();
            frame_->Layout();
            Stage::pump();
        }
    }
    ~Twin()
    {
        frame_->Destroy();
        Stage::pump();
    }
    bool same_as(const ImagePanel& other)
    {
        panel_->set_zoom_mode(other.zoom_mode());
        panel_->set_source_image(other.source_image());
        if (other.zoom_mode() == ZoomMode::ZoomAny)
            panel_->set_zoom_rate(other.zoom_rate());
        Stage::pump();
        return panel_->buffer().GetSize() == other.buffer().GetSize();
    }
    ImagePanel& panel() { return *panel_; }

private:
    wxFrame* frame_;
    ImagePanel* panel_;
};

} // namespace

void register_overlays(Stage& stage, const Viewport& v, const ImageSize& size, int iterations)
{
    struct Case
    {
        Layer layer;
        const char* key;
        const char* operation;
        double rate; // 0: FitPage
    };
    const Case cases[] = {
        {Layer::Rects, "rects-fit", "draw_image, 10,000 rectangles, FitPage + sync", 0},
        {Layer::Rects, "rects-4x", "draw_image, 10,000 rectangles, 4x + sync", 4},
        {Layer::Mask, "mask-fit", "draw_image, full-size mask, FitPage + sync", 0},
        {Layer::Mask, "mask-4x", "draw_image, full-size mask, 4x + sync", 4},
        {Layer::Handle, "handle-fit", "drag of an editable rectangle's handle, per motion + sync", 0},
    };
    for (const Case& c : cases) {
        const std::string key = std::string("overlays/") + c.key + "/" + v.name() + "/" + size.name();
        Row& row = add_row(key, c.operation, v.name(), size.name());
        Row& floor = add_row(key + "/floor", "", v.name(), size.name());
        floor.hidden = true;
        row.floor_name = "draw_image+sync without";
        row.floor_terms = {{floor.key}};
        add(key, iterations, [&stage, &row, &floor, v, size, c](benchmark::State& state) {
            if (!stage.show(v)) {
                state.SkipWithError("viewport refused");
                return;
            }
            stage.load(size, ZoomMode::FitPage);
            ImagePanel& panel = stage.panel();
            panel.clear_overlays();
            panel.ui_checkbox_middle_lines->SetValue(false);
            panel.ui_checkbox_follow_lines->SetValue(false);
            if (c.rate > 0)
                panel.set_zoom_rate(c.rate);
            Stage::pump();
            // Both viewers must reach the screen whole: a viewer partly off it blits less.
            if (wxGetDisplaySize().x < 2 * v.width + 20 || wxGetDisplaySize().y < v.height) {
                state.SkipWithError("needs a screen two viewports wide (xvfb-run -s '-screen 0 3900x1200x24')");
                return;
            }
            Twin twin(v);
            if (!twin.same_as(panel)) {
                state.SkipWithError("the twin viewport refused");
                return;
            }
            const auto without = [&twin] {
                twin.panel().draw_image();
                display_sync();
            };
            const cv::Size source = panel.source_image().size();
            if (c.layer != Layer::Handle) {
                add_layer(panel, c.layer, source);
                Stage::pump();
                timed_together(state, {{&row,
                                        [&panel] {
                                            panel.draw_image();
                                            display_sync();
                                        }},
                                       {&floor, without}});
            } else {
                // A rectangle over the middle third; its bottom-right handle dragged a pixel to and fro.
                panel.add_rect(source.width / 3.0, source.height / 3.0, source.width / 3.0, source.height / 3.0,
                               wxColour(255, 64, 0), 2, "", true);
                Stage::pump();
                const cv::Point2d corner = *panel.source_to_display({2 * source.width / 3.0, 2 * source.height / 3.0});
                const wxRect shown = panel.image_rect();
                const wxPoint handle(
                    static_cast<int>(corner.x) + shown.x - panel.ui_scroll_bar_horizontal->GetThumbPosition(),
                    static_cast<int>(corner.y) + shown.y - panel.ui_scroll_bar_vertical->GetThumbPosition());
                send_mouse(panel, wxEVT_LEFT_DOWN, handle, true);
                int flip = 1;
                timed_together(state, {{&row,
                                        [&] {
                                            send_mouse(panel, wxEVT_MOTION, handle + wxPoint(flip, flip), true);
                                            display_sync();
                                            flip = flip == 1 ? 2 : 1;
                                        }},
                                       {&floor, without}});
                send_mouse(panel, wxEVT_LEFT_UP, handle, false);
            }
            panel.clear_overlays();
            Stage::pump();
        });
    }
}

} // namespace tesk_vumo::bench
