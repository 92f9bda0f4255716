// Benchmarks of the viewers against the floors of the toolkit and OpenCV,
// all in one process. Run under a display (scripts/bench.sh uses Xvfb):
//
//   tesk_vumo_bench [--quick] [Google Benchmark flags]
//
// --quick runs a reduced grid. After Google Benchmark's own report the
// program prints one Markdown table: each operation's median, its floor and
// the ratio to it, the ratio to the blit floor alone for redraws, the ratio
// of each operation at 48 MP to the same at 1 MP, and minor page faults per
// operation (after two untimed warm-up calls).

#include <cstring>
#include <vector>

#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include "benchmarks.h"

namespace {

class BenchApp : public wxApp
{
public:
    bool OnInit() override { return true; }
};

} // namespace

wxIMPLEMENT_APP_NO_MAIN(BenchApp);

int main(int argc, char** argv)
{
    using namespace tesk_vumo;
    using namespace tesk_vumo::bench;

    bool quick = false;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0)
            quick = true;
        else
            args.push_back(argv[i]);
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());

    int wx_argc = 1;
    if (!wxEntryStart(wx_argc, argv) || !wxTheApp->CallOnInit())
        return 1;
    wxLog::SetActiveTarget(new wxLogStderr);
    const std::string machine = describe_machine();

    std::vector<Viewport> viewports{{640, 480}, {1920, 1080}, {3840, 2160}};
    std::vector<ImageSize> sizes{{1, 1152, 864}, {12, 4000, 3000}, {48, 8000, 6000}};
    std::vector<Rotation> rotations{Rotation::NoRotation, Rotation::ClockWise90, Rotation::Double90,
                                    Rotation::CounterClockWise90};
    int runs = 30;
    if (quick) {
        viewports.pop_back();
        sizes.pop_back();
        rotations = {Rotation::NoRotation, Rotation::ClockWise90};
        runs = 10;
    }
    // Quarter turns are measured up to 100 MP, in the fit modes only.
    std::vector<ImageSize> fit_sizes = sizes;
    if (!quick)
        fit_sizes.push_back({100, 11548, 8660});
    std::vector<ImageSize> memory_sizes{{12, 4000, 3000}};
    if (!quick)
        memory_sizes.insert(memory_sizes.end(), {{48, 8000, 6000}, fit_sizes.back()});
    const Viewport main_viewport{1920, 1080};
    const ZoomMode modes[] = {ZoomMode::FitPage, ZoomMode::FitWidth, ZoomMode::FitHeight, ZoomMode::NoZoom};
    const auto fitting_runs = [&](const ImageSize& size) {
        const int runs = size.megapixels >= 100 ? 7 : size.megapixels >= 48 ? 11 : size.megapixels >= 12 ? 15 : 25;
        return quick ? std::max(3, runs / 2) : runs;
    };

    {
        Stage stage(TESK_VUMO_BENCH_DATA_DIR);
        for (const ImageSize& size : memory_sizes)
            register_memory(stage, main_viewport, size);
        for (const Viewport& v : viewports) {
            register_viewport_floors(stage, v, sizes.back(), runs);
            for (const ImageSize& size : sizes)
                register_redraws(stage, v, size, runs);
            // Every zoom mode and rotation on the main viewport; the fit
            // that follows the window on the others.
            for (const ImageSize& size : fit_sizes)
                for (ZoomMode mode : modes)
                    for (Rotation rotation : rotations) {
                        const bool main = v.width == main_viewport.width && v.height == main_viewport.height;
                        if (!main && (mode != ZoomMode::FitPage || rotation != Rotation::NoRotation))
                            continue;
                        if (size.megapixels > sizes.back().megapixels && (!main || mode == ZoomMode::NoZoom))
                            continue;
                        register_fitting(stage, v, size, mode, rotation, fitting_runs(size));
                    }
        }
        for (const ImageSize& size : fit_sizes)
            for (ZoomMode mode : {ZoomMode::FitPage, ZoomMode::FitWidth, ZoomMode::FitHeight})
                for (Rotation rotation : rotations)
                    if (rotation != Rotation::NoRotation && size.megapixels >= 12)
                        register_turn(stage, main_viewport, size, mode, rotation, fitting_runs(size));
        for (const ImageSize& size : sizes)
            register_zoom_change(stage, main_viewport, size, fitting_runs(size));
        // The largest source the machine holds twice over (the process keeps
        // its images between rows): 600 MP takes 1.8 GB.
        register_unzoomed_turn(stage, main_viewport,
                               quick ? sizes.back() : ImageSize{600, 28284, 21213}, fitting_runs(sizes.back()));
        for (double rate : {1.0 / 16, 1.0 / 4, 1.0 / 2, 1.0, 2.0, 4.0, 16.0})
            register_free_zoom(stage, main_viewport, {sizes.front(), sizes.back()}, rate, 0, runs);
        for (double degrees : {30.0, 90.0})
            for (double rate : {1.0 / 4, 1.0, 4.0})
                register_free_zoom(stage, main_viewport, {sizes.back()}, rate, degrees, runs);
        register_pixel_data(stage, main_viewport, sizes.back(), runs);
        register_overlays(stage, main_viewport, sizes.back(), runs);
        for (const ImageSize& size : sizes)
            register_own_zoom_change(stage, main_viewport, size, fitting_runs(size));
        for (const ImageSize& size : sizes)
            for (const char* extension : {"png", "jpg"})
                register_source_file(stage, main_viewport, size, extension, 3);

        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        print_table(machine);
        print_memory_table();
    }
    wxEntryCleanup();
    return 0;
}
