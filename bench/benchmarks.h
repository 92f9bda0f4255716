#ifndef TESK_VUMO_BENCH_BENCHMARKS_H
#define TESK_VUMO_BENCH_BENCHMARKS_H

// Registration of the benchmarks, in the order they run.

#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "stage.h"

namespace tesk_vumo::bench {

// ---- floors (floors.cpp)
std::string floor_key(const std::string& what, const Viewport& v);
/// Copy, bitmap-and-draw candidates and blits for viewport @p v, over the
/// middle of @p source.
void register_viewport_floors(Stage& stage, const Viewport& v, const ImageSize& source, int iterations);
/// Keys of the bitmap-and-draw candidates for @p v; the fastest is the floor.
std::vector<std::string> bitmap_floors(const Viewport& v);
/// The floors measured beside each operation, in the same iterations:
/// blitting the panel's buffer to its window (with a display sync),
std::function<void()> blit_floor(ImagePanel& panel);
/// turning and scaling @p source as the fitting would, into buffers kept across calls,
std::function<void()> fitting_floor(const cv::Mat& source, const Viewport& v, ZoomMode mode, Rotation rotation);
/// writing the three read-outs that a pointer motion over the image writes,
std::function<void()> readout_floor(ImagePanel& panel);
/// and decoding a file with cv::imread.
std::function<void()> decode_floor(const std::string& path);

// ---- the viewer (viewer_ops.cpp)
/// Redraws, wheel and scroll-bar steps and pointer motion, scrolled to the middle under NoZoom.
void register_redraws(Stage& stage, const Viewport& v, const ImageSize& size, int iterations);
void register_fitting(Stage& stage, const Viewport& v, const ImageSize& size, ZoomMode mode, Rotation rotation,
                      int iterations);
/// Turning the image by @p rotation and back under @p mode.
void register_turn(Stage& stage, const Viewport& v, const ImageSize& size, ZoomMode mode, Rotation rotation,
                   int iterations);
/// A quarter turn under NoZoom and back, against a redraw.
void register_unzoomed_turn(Stage& stage, const Viewport& v, const ImageSize& size, int iterations);
/// Switching between a zoom mode that shows the whole image and one that fits it.
void register_zoom_change(Stage& stage, const Viewport& v, const ImageSize& size, int iterations);
/// Switching a source the viewer owns to NoZoom and back.
void register_own_zoom_change(Stage& stage, const Viewport& v, const ImageSize& size, int iterations);
void register_source_file(Stage& stage, const Viewport& v, const ImageSize& size, const std::string& extension,
                          int iterations);

// ---- free zoom (free_zoom.cpp)
/// A zoom step about the pointer at @p rate (and @p degrees), drawn from the
/// source, for each of @p sizes in the same iterations.
void register_free_zoom(Stage& stage, const Viewport& v, const std::vector<ImageSize>& sizes, double rate,
                        double degrees, int iterations);

// ---- sources of other sample types (pixel_data.cpp)
/// Redraws and a zoom step of a 16-bit source against its 8-bit copy, the
/// automatic levels of a new source, and live frames of 16 bits.
void register_pixel_data(Stage& stage, const Viewport& v, const ImageSize& size, int iterations);
// ---- overlays (overlays.cpp)
/// Redraws with 10,000 rectangles, with a mask of the source's size, and the
/// drag of an editable rectangle's handle, each against the redraw without.
void register_overlays(Stage& stage, const Viewport& v, const ImageSize& size, int iterations);

// ---- memory (memory.cpp)
/// What the viewer holds in each state of a source it owns, and the peak of each change.
void register_memory(Stage& stage, const Viewport& v, const ImageSize& size);

} // namespace tesk_vumo::bench

#endif
