#ifndef TESK_VUMO_SRC_COMMON_IMAGE_PYRAMID_H
#define TESK_VUMO_SRC_COMMON_IMAGE_PYRAMID_H

#include <cstddef>
#include <vector>

#include <opencv2/core.hpp>

namespace tesk_vumo {

/// An image and its halved copies, for drawing it reduced without reading
/// every pixel. Level 0 is the image itself, shared and not copied; level
/// k + 1 halves level k, its pixel the mean of a 2 x 2 block, an odd last
/// column or row the mean of what is left, so that pixel (c, r) of level k
/// covers the image's pixels [c 2^k, (c + 1) 2^k) x [r 2^k, (r + 1) 2^k).
/// Levels are made when first asked for; together they take at most a
/// third of the image's memory, plus a row and a column per level.
class ImagePyramid
{
public:
    /// Enough for the smallest zoom rate, 1/64.
    static constexpr int max_level = 6;

    /// Takes @p image as level 0 and forgets the levels made from the
    /// previous one, keeping their memory for an image of the same size
    /// where nobody else holds it. Call it whenever the image's pixels may
    /// have changed. An empty image empties the pyramid.
    void reset(const cv::Mat& image);

    bool empty() const { return levels_.empty(); }
    /// Levels there can be: up to max_level halvings, none past 1 x 1.
    int level_count() const { return static_cast<int>(levels_.size()); }
    /// The level to sample for showing the image at @p scale: the one whose
    /// own scale, scale x 2^k, is nearest 1 (from 0.71 to 1.41), as a
    /// mipmap's nearest level; 0 for enlargements.
    int level_for(double scale) const;
    /// Level @p k (clamped to the levels there are), made now if need be.
    const cv::Mat& level(int k);
    /// Bytes of the levels made so far, level 0 not counted.
    std::size_t level_bytes() const;

private:
    std::vector<cv::Mat> levels_;
    int made_ = 0; ///< levels 0 to made_ - 1 are those of the current image
};

} // namespace tesk_vumo

#endif
