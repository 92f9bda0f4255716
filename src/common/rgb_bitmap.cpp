#include "rgb_bitmap.h"
#include "image_memory.h"

#include <cmath>
#include <functional>
#include <cstring>

#include <opencv2/imgproc.hpp>
#include <wx/dcmemory.h>

#if defined(__WXGTK3__) && defined(TESK_VUMO_HAVE_CAIRO) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
#define TESK_VUMO_COMPOSE_IN_SURFACE 1
#include <cairo.h>
#endif

namespace tesk_vumo {

namespace {

void copy_rows(const cv::Mat& rgb, unsigned char* data)
{
    const size_t row_bytes = static_cast<size_t>(rgb.cols) * 3;
    for (int r = 0; r < rgb.rows; ++r)
        std::memcpy(data + r * row_bytes, rgb.ptr(r), row_bytes);
}

#ifdef TESK_VUMO_COMPOSE_IN_SURFACE
/// Composes into @p pixels, 32-bit pixels stored B, G, R, A.
void compose_pixels(cv::Mat& pixels, const cv::Mat& rgb, const wxPoint& at, const wxColour& background)
{
    const cv::Rect all(0, 0, pixels.cols, pixels.rows);
    const cv::Rect covered = rgb.empty() ? cv::Rect() : cv::Rect(at.x, at.y, rgb.cols, rgb.rows) & all;
    const cv::Scalar fill(background.Blue(), background.Green(), background.Red(), 255);
    fill_outside(pixels, covered, fill);
    if (covered.area() > 0) {
        cv::Mat place = pixels(covered);
        cv::cvtColor(rgb(cv::Rect(covered.x - at.x, covered.y - at.y, covered.width, covered.height)), place,
                     cv::COLOR_RGB2BGRA);
    }
}

/// wxGTK3 keeps a bitmap that has been drawn on as a cairo image surface,
/// which is what the blit to the window reads: writing there spares making
/// a bitmap, converting it and drawing it (and their large allocations).
/// Runs @p write on the surface's B, G, R, A pixels under @p area (cut to
/// the bitmap); false, running nothing, where the surface is no such image.
bool write_in_surface(wxBitmap& target, const cv::Rect& area, const std::function<void(cv::Mat& place)>& write)
{
    // As selecting it into a memory DC would: never write into a copy's data.
    target.UnShare();
    cairo_t* cr = target.CairoCreate();
    if (!cr)
        return false;
    cairo_surface_t* surface = cairo_get_target(cr);
    const bool writable = cairo_surface_get_type(surface) == CAIRO_SURFACE_TYPE_IMAGE
                          && (cairo_image_surface_get_format(surface) == CAIRO_FORMAT_RGB24
                              || cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32);
    if (writable) {
        cairo_surface_flush(surface);
        cv::Mat pixels(cairo_image_surface_get_height(surface), cairo_image_surface_get_width(surface), CV_8UC4,
                       cairo_image_surface_get_data(surface),
                       static_cast<size_t>(cairo_image_surface_get_stride(surface)));
        const cv::Rect part = area & cv::Rect(0, 0, pixels.cols, pixels.rows);
        if (part.area() > 0) {
            cv::Mat place = pixels(part);
            write(place);
        }
        cairo_surface_mark_dirty(surface);
    }
    cairo_destroy(cr);
    return writable;
}

bool compose_in_surface(wxBitmap& target, const cv::Mat& rgb, const wxPoint& at, const wxColour& background,
                        const cv::Rect& area)
{
    const cv::Rect part = area & cv::Rect(0, 0, target.GetWidth(), target.GetHeight());
    return write_in_surface(target, area, [&](cv::Mat& place) {
        compose_pixels(place, rgb, at - wxPoint(part.x, part.y), background);
    });
}
#endif

void compose_with_dc(wxBitmap& target, const cv::Mat& rgb, const wxPoint& at, const wxColour& background,
                     wxImage& staging, const cv::Rect& area)
{
    wxMemoryDC dc(target);
    const cv::Rect all(0, 0, target.GetWidth(), target.GetHeight());
    if (area != all)
        dc.SetClippingRegion(area.x, area.y, area.width, area.height);
    dc.SetBackground(wxBrush(background));
    dc.Clear();
    // Only the part of the image within the area is converted.
    const cv::Rect part
        = rgb.empty() ? cv::Rect() : (area - cv::Point(at.x, at.y)) & cv::Rect(0, 0, rgb.cols, rgb.rows);
    if (part.area() <= 0)
        return;
    if (!staging.IsOk() || staging.GetWidth() != part.width || staging.GetHeight() != part.height)
        staging.Create(part.width, part.height, false);
    copy_rows(rgb(part), staging.GetData());
    dc.DrawBitmap(wxBitmap(staging), at + wxPoint(part.x, part.y), false);
}

} // namespace

void compose_rgb(wxBitmap& target, const cv::Mat& rgb, const wxPoint& at, const wxColour& background,
                 wxImage& staging)
{
    compose_rgb(target, rgb, at, background, staging, cv::Rect(0, 0, target.GetWidth(), target.GetHeight()));
}

void compose_rgb(wxBitmap& target, const cv::Mat& rgb, const wxPoint& at, const wxColour& background,
                 wxImage& staging, const cv::Rect& area)
{
    const cv::Mat pixels = rgb.type() == CV_8UC3 ? rgb : cv::Mat();
#ifdef TESK_VUMO_COMPOSE_IN_SURFACE
    // A translucent background blends with what is there: leave that to the DC.
    if (background.Alpha() == wxALPHA_OPAQUE && compose_in_surface(target, pixels, at, background, area))
        return;
#endif
    compose_with_dc(target, pixels, at, background, staging, area);
}

void paint_pixels(wxBitmap& target, const cv::Rect& area, const std::function<void(cv::Mat&, bool)>& paint)
{
    const cv::Rect part = area & cv::Rect(0, 0, target.GetWidth(), target.GetHeight());
    if (part.area() <= 0)
        return;
#ifdef TESK_VUMO_COMPOSE_IN_SURFACE
    if (write_in_surface(target, part, [&](cv::Mat& place) { paint(place, true); }))
        return;
#endif
    wxImage image = target.GetSubBitmap(wxRect(part.x, part.y, part.width, part.height)).ConvertToImage();
    cv::Mat pixels(image.GetHeight(), image.GetWidth(), CV_8UC3, image.GetData());
    paint(pixels, false);
    wxMemoryDC dc(target);
    dc.DrawBitmap(wxBitmap(image), part.x, part.y, false);
}

wxImage rgb_image(const cv::Mat& rgb)
{
    wxImage image(rgb.cols, rgb.rows, false);
    copy_rows(rgb, image.GetData());
    return image;
}

void fill_bitmap(wxBitmap& target, const wxColour& colour)
{
    wxImage unused;
    compose_rgb(target, cv::Mat(), wxPoint(0, 0), colour, unused);
}

wxSize device_size(const wxWindow& window, const wxSize& size)
{
    const double scale = window.GetContentScaleFactor();
    if (scale == 1.0)
        return size;
    return {static_cast<int>(std::lround(size.x * scale)), static_cast<int>(std::lround(size.y * scale))};
}

wxBitmap device_bitmap(const wxWindow& window)
{
    const wxSize client = window.GetClientSize();
    const double scale = window.GetContentScaleFactor();
    if (scale == 1.0)
        return wxBitmap(client.x, client.y);
    wxBitmap bitmap;
    bitmap.CreateWithDIPSize(client, scale);
    return bitmap;
}

void show_buffer(wxWindow& surface)
{
    const wxSize client = device_size(surface, surface.GetClientSize());
    show_buffer(surface, {cv::Rect(0, 0, client.x, client.y)});
}

void show_buffer(wxWindow& surface, const std::vector<cv::Rect>& areas)
{
    const double scale = surface.GetContentScaleFactor();
    const wxRect client(surface.GetClientSize());
    // GTK paints an invalid region through a buffer of its bounding box:
    // a column and a row of a large surface would cost a paint of all of
    // it. Areas are painted in groups whose box stays near their own size
    // (or is small), each group at once.
    struct Group
    {
        wxRect box;
        long long pixels;
        std::vector<wxRect> members;
    };
    std::vector<Group> groups;
    for (const cv::Rect& area : areas) {
        // Logical pixels covering the device ones.
        const int left = static_cast<int>(std::floor(area.x / scale));
        const int top = static_cast<int>(std::floor(area.y / scale));
        const int right = static_cast<int>(std::ceil(area.br().x / scale));
        const int bottom = static_cast<int>(std::ceil(area.br().y / scale));
        const wxRect logical = wxRect(left, top, right - left, bottom - top).Intersect(client);
        // A surface without area shows nothing.
        if (logical.IsEmpty())
            continue;
        const long long pixels = static_cast<long long>(logical.width) * logical.height;
        bool joined = false;
        for (Group& group : groups) {
            const wxRect box = group.box.Union(logical);
            const long long box_pixels = static_cast<long long>(box.width) * box.height;
            constexpr long long small = 1 << 16;
            if (box_pixels <= small || box_pixels <= 2 * (group.pixels + pixels)) {
                group.box = box;
                group.pixels += pixels;
                group.members.push_back(logical);
                joined = true;
                break;
            }
        }
        if (!joined)
            groups.push_back({logical, pixels, {logical}});
    }
    for (const Group& group : groups) {
        for (const wxRect& member : group.members)
            surface.RefreshRect(member, false);
        surface.Update();
    }
}

} // namespace tesk_vumo
