// What the toolkit and OpenCV cannot do faster: the floors each viewer
// operation is compared with, measured in the same process.

#include "benchmarks.h"

#include <cstring>
#include <memory>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/image.h>
#include <wx/rawbmp.h>
#include <wx/textctrl.h>

#include "tesk_vumo/common/view_geometry.h"

namespace tesk_vumo::bench {

namespace {

/// The middle part of @p image, of the viewport's size at most.
cv::Mat middle_region(const cv::Mat& image, const Viewport& v)
{
    const int w = std::min(v.width, image.cols), h = std::min(v.height, image.rows);
    return image(cv::Rect((image.cols - w) / 2, (image.rows - h) / 2, w, h));
}

void copy_rows(const cv::Mat& from, unsigned char* to)
{
    const size_t row_bytes = static_cast<size_t>(from.cols) * 3;
    for (int r = 0; r < from.rows; ++r)
        std::memcpy(to + r * row_bytes, from.ptr(r), row_bytes);
}

} // namespace

std::string floor_key(const std::string& what, const Viewport& v)
{
    return "floor/" + what + "/" + v.name();
}

void register_viewport_floors(Stage& stage, const Viewport& v, const ImageSize& source, int iterations)
{
    struct Kind
    {
        const char* key;
        const char* operation;
    };
    const Kind kinds[] = {
        {"copy", "floor: copy the viewport's bytes"},
        {"image", "floor: bitmap via wxImage, DrawBitmap to memory DC"},
        {"native", "floor: bitmap via wxNativePixelData, DrawBitmap to memory DC"},
        {"graphics", "floor: bitmap via wxGraphicsRenderer, drawn to memory DC"},
        {"blit-draw", "floor: blit buffer to window (DrawBitmap) + sync"},
        {"blit-blit", "floor: blit buffer to window (Blit) + sync"},
    };
    for (const Kind& kind : kinds) {
        Row& row = add_row(floor_key(kind.key, v), kind.operation, v.name(), "");
        const std::string what = kind.key;
        add("floor/" + what + "/" + v.name(), iterations, [&stage, &row, v, source, what](benchmark::State& state) {
            if (!stage.show(v)) {
                row.note = "viewport refused";
                state.SkipWithError("viewport refused");
                return;
            }
            const cv::Mat region = middle_region(stage.image(source), v);
            const int w = region.cols, h = region.rows;
            std::vector<unsigned char> bytes(static_cast<size_t>(w) * h * 3);
            wxBitmap target(v.width, v.height);
            {
                wxMemoryDC dc(target);
                dc.SetBackground(*wxWHITE_BRUSH);
                dc.Clear();
            }
            if (what == "copy") {
                timed(state, row, [&] { copy_rows(region, bytes.data()); });
            } else if (what == "image") {
                timed(state, row, [&] {
                    copy_rows(region, bytes.data());
                    const wxImage image(w, h, bytes.data(), true);
                    wxMemoryDC dc(target);
                    dc.DrawBitmap(wxBitmap(image), 0, 0, false);
                });
            } else if (what == "native") {
                wxBitmap bitmap(w, h, 24);
                timed(state, row, [&] {
                    {
                        wxNativePixelData data(bitmap);
                        wxNativePixelData::Iterator start(data);
                        for (int r = 0; r < h; ++r) {
                            wxNativePixelData::Iterator at = start;
                            at.MoveTo(data, 0, r);
                            std::memcpy(&at.Red(), region.ptr(r), static_cast<size_t>(w) * 3);
                        }
                    }
                    wxMemoryDC dc(target);
                    dc.DrawBitmap(bitmap, 0, 0, false);
                });
            } else if (what == "graphics") {
                wxGraphicsRenderer* renderer = wxGraphicsRenderer::GetDefaultRenderer();
                timed(state, row, [&] {
                    copy_rows(region, bytes.data());
                    const wxImage image(w, h, bytes.data(), true);
                    wxMemoryDC dc(target);
                    std::unique_ptr<wxGraphicsContext> gc(renderer->CreateContext(dc));
                    gc->DrawBitmap(gc->CreateBitmapFromImage(image), 0, 0, w, h);
                });
            } else if (what == "blit-draw") {
                timed(state, row, [&] {
                    {
                        wxClientDC window(stage.panel().ui_image);
                        window.DrawBitmap(target, 0, 0, false);
                    }
                    display_sync();
                });
            } else {
                timed(state, row, [&] {
                    {
                        wxClientDC window(stage.panel().ui_image);
                        wxMemoryDC source_dc;
                        source_dc.SelectObjectAsSource(target);
                        window.Blit(0, 0, v.width, v.height, &source_dc, 0, 0);
                    }
                    display_sync();
                });
            }
        });
    }
}

std::vector<std::string> bitmap_floors(const Viewport& v)
{
    return {floor_key("image", v), floor_key("native", v), floor_key("graphics", v)};
}

std::function<void()> blit_floor(ImagePanel& panel)
{
    return [&panel] {
        {
            wxClientDC window(panel.ui_image);
            window.DrawBitmap(panel.buffer(), 0, 0, false);
        }
        display_sync();
    };
}

std::function<void()> fitting_floor(const cv::Mat& source, const Viewport& v, ZoomMode mode, Rotation rotation)
{
    const cv::Size turned = geometry::rotated_size(source.size(), rotation);
    const cv::Size shown = geometry::fitted_size(mode, turned, {v.width, v.height});
    const bool rotates = rotation == Rotation::ClockWise90 || rotation == Rotation::Double90
                         || rotation == Rotation::CounterClockWise90;
    auto rotated = std::make_shared<cv::Mat>(), resized = std::make_shared<cv::Mat>();
    // The cheapest work that gives the displayed image: a turned image is
    // scaled while it is the smaller of the two, before or after the turn.
    return [source, shown, turned, rotates, rotation, rotated, resized] {
        if (!rotates && shown == turned)
            source.copyTo(*resized);
        else if (!rotates)
            cv::resize(source, *resized, shown);
        else if (shown == turned)
            geometry::rotate(source, *resized, rotation);
        else if (shown.area() <= turned.area()) {
            cv::resize(source, *rotated, geometry::rotated_size(shown, rotation));
            geometry::rotate(*rotated, *resized, rotation);
        } else {
            geometry::rotate(source, *rotated, rotation);
            cv::resize(*rotated, *resized, shown);
        }
    };
}

std::function<void()> readout_floor(ImagePanel& panel)
{
    auto flip = std::make_shared<bool>(false);
    return [&panel, flip] {
        panel.ui_x->SetValue(*flip ? "120" : "121");
        panel.ui_y->SetValue(*flip ? "80" : "81");
        panel.ui_rgb->SetValue(*flip ? "10, 20, 30" : "11, 21, 31");
        *flip = !*flip;
    };
}

std::function<void()> decode_floor(const std::string& path)
{
    // A viewer keeps its image until the next one has been read, so the
    // floor keeps its previous reading alive too: else the allocator hands
    // the pages just freed back to the decoder and the floor skips the
    // faults every new image costs.
    auto held = std::make_shared<cv::Mat>();
    return [path, held] {
        cv::Mat next = cv::imread(path, cv::IMREAD_COLOR);
        benchmark::DoNotOptimize(next.data);
        *held = next;
    };
}

} // namespace tesk_vumo::bench
