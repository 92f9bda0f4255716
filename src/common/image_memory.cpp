#include "image_memory.h"

#include <cstdint>
#include <new>

#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
#include <sys/mman.h>
#if defined(MADV_HUGEPAGE)
#define TESK_VUMO_HUGE_PAGES 1
#endif
#endif

namespace tesk_vumo {

namespace {

class ImageAllocator : public cv::MatAllocator
{
public:
    cv::UMatData* allocate(int dims, const int* sizes, int type, void* data, size_t* step, cv::AccessFlag flags,
                           cv::UMatUsageFlags usage) const override
    {
        if (data)
            return cv::Mat::getStdAllocator()->allocate(dims, sizes, type, data, step, flags, usage);
        size_t total = CV_ELEM_SIZE(type);
        for (int i = dims - 1; i >= 0; --i) {
            if (step)
                step[i] = total;
            total *= static_cast<size_t>(sizes[i]);
        }
        uchar* memory = map(total);
        if (!memory)
            throw std::bad_alloc(); // Mat::create then falls back to OpenCV's allocator
        auto* u = new cv::UMatData(this);
        u->size = total;
        u->data = u->origdata = memory;
        return u;
    }

    bool allocate(cv::UMatData* u, cv::AccessFlag, cv::UMatUsageFlags) const override { return u != nullptr; }

    void deallocate(cv::UMatData* u) const override
    {
        if (!u)
            return;
        CV_Assert(u->urefcount == 0 && u->refcount == 0);
        if (!(u->flags & cv::UMatData::USER_ALLOCATED))
            unmap_memory(u->origdata, u->size);
        delete u;
    }

private:
    static constexpr size_t huge = size_t{2} << 20;

#ifdef TESK_VUMO_HUGE_PAGES
    static size_t rounded(size_t bytes) { return (bytes + huge - 1) & ~(huge - 1); }

    /// Memory aligned to a huge page, of whole huge pages, marked for them.
    static uchar* map(size_t bytes)
    {
        if (bytes < huge)
            return static_cast<uchar*>(cv::fastMalloc(bytes));
        const size_t length = rounded(bytes);
        void* area = mmap(nullptr, length + huge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (area == MAP_FAILED)
            return nullptr;
        const auto begin = reinterpret_cast<std::uintptr_t>(area);
        const std::uintptr_t aligned = (begin + huge - 1) & ~(huge - 1);
        if (aligned > begin)
            munmap(area, aligned - begin);
        if (const size_t tail = begin + length + huge - (aligned + length); tail > 0)
            munmap(reinterpret_cast<void*>(aligned + length), tail);
        madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
        return reinterpret_cast<uchar*>(aligned);
    }

    static void unmap_memory(uchar* data, size_t bytes)
    {
        if (bytes < huge)
            cv::fastFree(data);
        else
            munmap(data, rounded(bytes));
    }
#else
    static uchar* map(size_t bytes) { return static_cast<uchar*>(cv::fastMalloc(bytes)); }
    static void unmap_memory(uchar* data, size_t) { cv::fastFree(data); }
#endif
};

} // namespace

cv::MatAllocator* image_allocator()
{
    // Never destroyed: arrays it made may outlive every static of this library.
    static ImageAllocator* const allocator = new ImageAllocator;
    return allocator;
}

void make_image(cv::Mat& image, cv::Size size, int type)
{
    if (!image.empty() && image.size() == size && image.type() == type)
        return;
    image.release();
    image.allocator = image_allocator();
    image.create(size, type);
}

void fill_outside(cv::Mat& image, const cv::Rect& covered, const cv::Scalar& fill)
{
    const cv::Rect margins[] = {
        {0, 0, image.cols, covered.y},
        {0, covered.y + covered.height, image.cols, image.rows - covered.y - covered.height},
        {0, covered.y, covered.x, covered.height},
        {covered.x + covered.width, covered.y, image.cols - covered.x - covered.width, covered.height},
    };
    for (const cv::Rect& margin : margins)
        if (margin.area() > 0)
            image(margin).setTo(fill);
}

} // namespace tesk_vumo
