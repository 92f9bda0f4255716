#ifndef TESK_VUMO_SRC_COMMON_IMAGE_MEMORY_H
#define TESK_VUMO_SRC_COMMON_IMAGE_MEMORY_H

#include <opencv2/core.hpp>

namespace tesk_vumo {

/// Makes @p image an image of @p size and @p type, keeping its memory when
/// it is one already. New memory of a large image is asked of the kernel in
/// huge pages where it gives them on request (Linux): it is then touched with
/// a page fault per 2 MiB instead of one per 4 KiB, and read with fewer TLB
/// misses.
void make_image(cv::Mat& image, cv::Size size, int type);

} // namespace tesk_vumo

#endif
