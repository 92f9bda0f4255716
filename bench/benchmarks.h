#ifndef TESK_VUMO_BENCH_BENCHMARKS_H
#define TESK_VUMO_BENCH_BENCHMARKS_H

// Registration of the benchmarks, in the order they run.

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
/// Bitmap-and-draw floor (the fastest candidate) plus the blit floor.
std::vector<std::vector<std::string>> redraw_floor(const Viewport& v);
std::string fitting_floor_key(const Viewport& v, const ImageSize& size, ZoomMode mode, Rotation rotation);
void register_fitting_floor(Stage& stage, const Viewport& v, const ImageSize& size, ZoomMode mode,
                            Rotation rotation, int iterations);
/// What a pointer motion over the image cannot avoid: writing the position and colour read-outs.
void register_readout_floor(Stage& stage, int iterations);
std::string decode_floor_key(const ImageSize& size, const std::string& extension);
void register_decode_floor(Stage& stage, const ImageSize& size, const std::string& extension, int iterations);

// ---- the viewer (viewer_ops.cpp)
/// Redraws, wheel and scroll-bar steps and pointer motion, scrolled to the middle under NoZoom.
void register_redraws(Stage& stage, const Viewport& v, const ImageSize& size, int iterations);
void register_fitting(Stage& stage, const Viewport& v, const ImageSize& size, ZoomMode mode, Rotation rotation,
                      int iterations);
void register_source_file(Stage& stage, const Viewport& v, const ImageSize& size, const std::string& extension,
                          int iterations);

} // namespace tesk_vumo::bench

#endif
