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

benchmark::internal::Benchmark* add(const std::string& name, int iterations,
                                    std::function<void(benchmark::State&)> body)
{
    return benchmark::RegisterBenchmark(name.c_str(), std::move(body))
        ->Iterations(iterations)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
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

std::vector<std::vector<std::string>> redraw_floor(const Viewport& v)
{
    return {{floor_key("image", v), floor_key("native", v), floor_key("graphics", v)},
            {floor_key("blit-draw", v), floor_key("blit-blit", v)}};
}

std::string fitting_floor_key(const Viewport& v, const ImageSize& size, ZoomMode mode, Rotation rotation)
{
    return "floor/cv/" + v.name() + "/" + size.name() + "/" + name(mode) + "/" + name(rotation);
}

void register_fitting_floor(Stage& stage, const Viewport& v, const ImageSize& size, ZoomMode mode,
                            Rotation rotation, int iterations)
{
    const std::string key = fitting_floor_key(v, size, mode, rotation);
    Row& row = add_row(key, "floor: cv rotate + resize", v.name(), size.name());
    row.hidden = true;
    add(key, iterations, [&stage, &row, v, size, mode, rotation](benchmark::State& state) {
        const cv::Mat& source = stage.image(size);
        const cv::Size turned = geometry::rotated_size(source.size(), rotation);
        const cv::Size shown = geometry::fitted_size(mode, turned, {v.width, v.height});
        const bool rotates = rotation == Rotation::ClockWise90 || rotation == Rotation::Double90
                             || rotation == Rotation::CounterClockWise90;
        cv::Mat rotated, resized;
        timed(state, row, [&] {
            if (!rotates && shown == turned) {
                source.copyTo(resized);
                return;
            }
            if (rotates)
                geometry::rotate(source, rotated, rotation);
            if (shown != turned)
                cv::resize(rotates ? rotated : source, resized, shown);
        });
    });
}

void register_readout_floor(Stage& stage, int iterations)
{
    Row& row = add_row("floor/read-outs", "floor: write three read-outs (SetValue)", "", "");
    add(row.key, iterations, [&stage, &row](benchmark::State& state) {
        ImagePanel& panel = stage.panel();
        int flip = 0;
        timed(state, row, [&] {
            panel.ui_x->SetValue(flip ? "120" : "121");
            panel.ui_y->SetValue(flip ? "80" : "81");
            panel.ui_rgb->SetValue(flip ? "10, 20, 30" : "11, 21, 31");
            flip ^= 1;
        });
    });
}

std::string decode_floor_key(const ImageSize& size, const std::string& extension)
{
    return "floor/imread/" + size.name() + "/" + extension;
}

void register_decode_floor(Stage& stage, const ImageSize& size, const std::string& extension, int iterations)
{
    Row& row = add_row(decode_floor_key(size, extension), "floor: cv::imread " + extension, "", size.name());
    add(row.key, iterations, [&stage, &row, size, extension](benchmark::State& state) {
        const std::string path = stage.file(size, extension).string();
        timed(state, row, [&] { benchmark::DoNotOptimize(cv::imread(path, cv::IMREAD_COLOR)); }, 1);
    });
}

} // namespace tesk_vumo::bench
