#ifndef TESK_VUMO_BENCH_SHOWN_VIEW_H
#define TESK_VUMO_BENCH_SHOWN_VIEW_H

// The renderer's part of a redraw without a viewer around it: what a viewer
// keeps to show an image, and the steps the rows time.

#include <wx/dcclient.h>

#include "bench_support.h"
#include "common/image_pyramid.h"
#include "common/rgb_bitmap.h"
#include "common/view_renderer.h"
#include "tesk_vumo/common/view_transform.h"

namespace tesk_vumo::bench {

/// What a viewer keeps for its image: the pyramid, the renderer, the buffer.
struct ShownView
{
    ShownView(const cv::Mat& image, const geometry::ViewTransform& shown, const wxColour& background)
        : buffer(shown.viewport().width, shown.viewport().height), view(shown)
    {
        pyramid.reset(image);
        fill_bitmap(buffer, background);
    }

    /// One rung of the zoom about @p pointer, in and out by turns: a steady state.
    void zoom_step(cv::Point2d pointer)
    {
        view = view.zoomed_about(pointer, geometry::stepped_zoom_rate(view.scale(), direction));
        direction = -direction;
    }

    /// The view composed into the buffer and drawn on @p window, the display waited for.
    void draw(wxWindow* window, const wxColour& background)
    {
        const cv::Vec3b back(background.Red(), background.Green(), background.Blue());
        compose_rgb(buffer, renderer.render(pyramid, view, back), wxPoint(0, 0), background, staging);
        {
            wxClientDC dc(window);
            dc.DrawBitmap(buffer, 0, 0, false);
        }
        display_sync();
    }

    ImagePyramid pyramid;
    ViewRenderer renderer;
    wxBitmap buffer;
    wxImage staging;
    geometry::ViewTransform view;
    int direction = 1;
};

} // namespace tesk_vumo::bench

#endif
