#include "image_memory.h"

#include <cstdint>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace tesk_vumo {

void make_image(cv::Mat& image, cv::Size size, int type)
{
    if (!image.empty() && image.size() == size && image.type() == type)
        return;
    image.create(size, type);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // Only whole huge pages inside the image, none of its neighbours'; the
    // memory is untouched yet, so the first touch of each gets a huge page.
    const std::uintptr_t huge = std::uintptr_t{2} << 20;
    const auto begin = reinterpret_cast<std::uintptr_t>(image.datastart);
    const auto end = reinterpret_cast<std::uintptr_t>(image.dataend);
    const std::uintptr_t first = (begin + huge - 1) & ~(huge - 1);
    const std::uintptr_t last = end & ~(huge - 1);
    if (last > first)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}

} // namespace tesk_vumo
