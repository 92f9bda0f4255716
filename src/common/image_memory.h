#ifndef TESK_VUMO_SRC_COMMON_IMAGE_MEMORY_H
#define TESK_VUMO_SRC_COMMON_IMAGE_MEMORY_H

#include <opencv2/core.hpp>

namespace tesk_vumo {

/// The allocator of large images: where the kernel gives them on request
/// (Linux), their memory comes in huge pages, so that it is touched with a
/// page fault per 2 MiB instead of one per 4 KiB and read with fewer TLB
/// misses. Small arrays, other systems and sanitizer builds get OpenCV's
/// own allocation. It lives as long as the process: arrays made by it may
/// be handed to hosts that keep them to the very end.
cv::MatAllocator* image_allocator();

/// Whether @p image's memory has no other holder than @p image itself: no
/// host copy or region of it, so that it may be written over.
inline bool held_alone(const cv::Mat& image)
{
    return image.u && image.u->refcount == 1;
}

/// Makes @p image an image of @p size and @p type, keeping its memory when
/// it is one already; new memory comes from image_allocator().
void make_image(cv::Mat& image, cv::Size size, int type);

/// Sets every pixel of @p image outside @p covered (a rectangle inside it,
/// possibly empty) to @p fill, touching nothing inside: what is drawn there
/// covers it anyway.
void fill_outside(cv::Mat& image, const cv::Rect& covered, const cv::Scalar& fill);

} // namespace tesk_vumo

#endif
