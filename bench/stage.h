#ifndef TESK_VUMO_BENCH_STAGE_H
#define TESK_VUMO_BENCH_STAGE_H

// One shown frame with one ImagePanel, resized and loaded on demand, and the
// images and files the benchmarks show.

#include <filesystem>
#include <map>
#include <string>

#include <opencv2/core.hpp>
#include <wx/frame.h>

#include "bench_support.h"
#include "tesk_vumo/panel/image_panel.h"

namespace tesk_vumo::bench {

class Stage
{
public:
    explicit Stage(std::filesystem::path data_dir);
    ~Stage();

    ImagePanel& panel() { return *panel_; }

    /// Resizes the frame until the drawing surface is @p viewport (outer
    /// and client size); false when the toolkit would not.
    bool show(const Viewport& viewport);
    /// The source image of @p size, made once.
    const cv::Mat& image(const ImageSize& size);
    /// The same image in gray, made once.
    const cv::Mat& gray(const ImageSize& size);
    /// Drops the images made for @p size.
    void forget(const ImageSize& size);
    /// The same image written as a file with @p extension ("png", "jpg").
    std::filesystem::path file(const ImageSize& size, const std::string& extension);
    /// Shows @p size under @p mode and @p rotation, if it is not shown so already.
    void load(const ImageSize& size, ZoomMode mode = ZoomMode::NoZoom, Rotation rotation = Rotation::NoRotation);
    /// Puts both thumbs in the middle of their range, without redrawing.
    void scroll_to_middle();

    /// Runs pending events and idle handling until nothing is left.
    static void pump();

private:
    std::filesystem::path data_dir_;
    wxFrame* frame_ = nullptr;
    ImagePanel* panel_ = nullptr;
    std::map<int, cv::Mat> images_;
    std::map<int, cv::Mat> grays_;
};

} // namespace tesk_vumo::bench

#endif
