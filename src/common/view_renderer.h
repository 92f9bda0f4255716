#ifndef TESK_VUMO_SRC_COMMON_VIEW_RENDERER_H
#define TESK_VUMO_SRC_COMMON_VIEW_RENDERER_H

#include <optional>
#include <vector>

#include <opencv2/core.hpp>

#include "display_mapping.h"
#include "image_pyramid.h"
#include "tesk_vumo/common/view_transform.h"

namespace tesk_vumo {

/// Composes the viewport of a view straight from the image, through its
/// pyramid, into a picture it keeps: a steady view (a zoom step, a scroll)
/// allocates nothing.
///
/// A fit's view (ViewTransform::fitted()) is sampled as cv::resize samples
/// the turned source, bilinearly from the source at every scale, within 1
/// of resize's own pixels. Otherwise:
/// above 1:1, and at 1:1 in quarter turns, each displayed pixel takes the
/// image pixel under its centre: enlarged pixels stay sharp squares, as
/// image viewers show them for inspection. Below 1:1, and at 1:1 turned by
/// a free angle, pixels are interpolated bilinearly in the pyramid level
/// nearest the scale, which keeps reduced photos and turned edges smooth.
/// At a level's own scale (1, 1/2, 1/4, ...) and a quarter turn, scrolled
/// by whole pixels, either way takes whole level pixels: the visible block
/// is copied instead.
/// How source pixels become screen pixels. Linear: as described for
/// ViewRenderer. Nearest: each picture pixel the image pixel under its
/// centre, at every scale, from the image itself. Area: reductions of a
/// fit are cv::INTER_AREA's from the pyramid level at or above the scale.
enum class Sampling
{
    Linear,
    Nearest,
    Area,
};

/// What the renderer shows an image with besides the view: the sampling,
/// and the mapping of samples of any type but 8-bit R, G, B to the screen.
struct ViewLook
{
    Sampling sampling = Sampling::Linear;
    DisplayMapping mapping;
    bool operator==(const ViewLook& other) const { return sampling == other.sampling && mapping == other.mapping; }
};

class ViewRenderer
{
public:
    /// The look of the pictures to come; the next render() makes its picture anew when it changed.
    void set_look(const ViewLook& look)
    {
        if (!(look == look_))
            last_.reset();
        look_ = look;
    }
    const ViewLook& look() const { return look_; }

    /// Makes the picture of @p view: 8-bit R, G, B of the viewport's size,
    /// the part of @p pyramid's image the view shows (8-bit R, G, B as it
    /// is; other images sampled in their own type, then mapped by the
    /// look's mapping), and
    /// @p background (R, G, B) around the displayed image and in the
    /// corners a free angle leaves. The picture stays valid until the next
    /// call.
    ///
    /// The picture is made again only where it can differ from the last
    /// one: not at all for the same view of the same image, and for a
    /// quarter-turn view scrolled by whole pixels only in the strips
    /// scrolled into sight, the rest moved. forget() when the image's
    /// pixels may have changed.
    const cv::Mat& render(ImagePyramid& pyramid, const geometry::ViewTransform& view,
                          const cv::Vec3b& background);
    void forget() { last_.reset(); }

    /// As render(), into @p picture (8-bit R, G, B of the viewport's size,
    /// a part of a larger image too) instead of the renderer's own picture;
    /// its top-left pixel lies at @p screen on the screen (the
    /// checkerboard under alpha stays fixed there).
    void render_into(ImagePyramid& pyramid, const geometry::ViewTransform& view, const cv::Vec3b& background,
                     cv::Mat picture, cv::Point screen = {0, 0});

    const cv::Mat& picture() const { return picture_; }

private:
    /// Where successive pixel centres along one side of the picture fall on
    /// one side of the image (OpenCV's coordinates: whole numbers at
    /// centres): the centre of displayed pixel j at first + step j, and the
    /// picture's first pixel showing displayed pixel @p origin.
    struct Line
    {
        double first;
        double step;
        int origin;
    };

    /// Where the pixel centres of @p place (the covered part of the
    /// picture, @p to_image mapping its pixels to @p image) fall on whole
    /// pixels of @p image (a quarter turn at the image's own scale, scrolled
    /// by whole pixels), copies the block of @p image under it into @p place,
    /// turned: the pixels sampling would give, without sampling. False,
    /// drawing nothing, otherwise.
    bool copy_block(const cv::Mat& image, const cv::Matx23d& to_image, cv::Mat place);

    /// Each row of @p target from the image row along @p rows, each column
    /// from the image column along @p columns: the nearest pixel, or
    /// interpolated between the two on either side.
    void sample_nearest(const cv::Mat& image, Line rows, Line columns, cv::Mat target);
    void sample_bilinear(const cv::Mat& image, Line rows, Line columns, cv::Mat target);
    /// sample_bilinear() for samples of any type but 8-bit.
    template <class T>
    void sample_bilinear_typed(const cv::Mat& image, Line rows, Line columns, cv::Mat target);
    /// Samples the part of @p level under @p covered into @p target (of
    /// the covered size and the level's type).
    void sample(const cv::Mat& level, int k, const geometry::ViewTransform& view, const cv::Rect& covered,
                const cv::Vec3b& background, cv::Mat target);

    /// What the picture shows now.
    struct Shown
    {
        geometry::ViewTransform view;
        cv::Vec3b background;
        const uchar* image;
        cv::Size size;
    };
    /// Moves the picture of @p from to where @p to shows it and samples
    /// the strips @p to adds; false, drawing nothing, where that cannot be
    /// done (not a quarter-turn view scrolled by whole pixels).
    bool scroll(ImagePyramid& pyramid, const geometry::ViewTransform& from, const geometry::ViewTransform& to,
                const cv::Vec3b& background);

    cv::Mat picture_;
    std::optional<Shown> last_;
    std::vector<int> row_taps_, column_taps_, row_next_, column_next_, row_weights_, column_weights_;
    cv::Mat working_rows_; ///< two resampled rows per stripe of work
    cv::Mat transposed_; ///< the picture sampled transposed, for quarter turns
    ViewLook look_;
    cv::Mat samples_; ///< the covered part sampled in the image's type, before mapping
};

/// The whole displayed image of @p view (its mapping; viewport and offset
/// play no part), made as the viewport shows it with @p look, in new memory of its own. Throws ValueError when it would have more than @p max_pixels
/// pixels, before allocating anything.
cv::Mat displayed_image(ImagePyramid& pyramid, const geometry::ViewTransform& view, const cv::Vec3b& background,
                        long long max_pixels, const ViewLook& look = {});

} // namespace tesk_vumo

#endif
