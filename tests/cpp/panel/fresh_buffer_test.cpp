// A buffer ImagePanel makes while it has no image to draw is shown by the
// next paint as it is. On GTK a new bitmap holds whatever memory it was
// given (zeros, or pieces of earlier pictures), so each new buffer must start
// as the surface's background.

#include <wx/dcclient.h>
#include <wx/dcmemory.h>

#include "panel_fixture.h"

using namespace tesk_vumo;
using namespace tesk_vumo::testing;

namespace {

class FreshBuffer : public PanelTest
{
protected:
    void expect_all_background(const char* when)
    {
        ASSERT_TRUE(panel->buffer().IsOk()) << when;
        const wxImage image = shown();
        const wxRect all(0, 0, image.GetWidth(), image.GetHeight());
        EXPECT_EQ(count_near(image, all, background(), 0), all.width * all.height)
            << when << ": buffer " << all.width << "x" << all.height << ", background " << str(background());
    }
};

} // namespace

TEST_F(FreshBuffer, FirstBufferIsBackground)
{
    expect_all_background("new panel");
}

TEST_F(FreshBuffer, BufferMadeOnResizeWithoutImageIsBackground)
{
    // Leave a picture in freed memory of the size the next buffer takes.
    ASSERT_NO_FATAL_FAILURE(set_surface(300, 200));
    panel->set_source_image(solid(300, 200, {0, 160, 0}));
    ASSERT_NO_FATAL_FAILURE(set_surface(320, 240));
    panel->set_source_image(std::nullopt);
    expect_all_background("source cleared");

    ASSERT_NO_FATAL_FAILURE(set_surface(300, 200));
    expect_all_background("resized without an image");
}

TEST_F(FreshBuffer, PaintShowsTheBackground)
{
    panel->set_source_image(solid(100, 100, {0, 160, 0}));
    panel->set_source_image(std::nullopt);
    panel->ui_image->Refresh();
    panel->ui_image->Update();

    const wxSize size = panel->ui_image->GetClientSize();
    const auto background_pixels = [&] {
        return count_near(on_screen(panel->ui_image, size), wxRect(wxPoint(0, 0), size), background(), 2);
    };
    // The paint reaches the screen asynchronously (and a loaded machine may be slow).
    wait_until([&] { return background_pixels() == size.x * size.y; }, 2000);
    EXPECT_EQ(background_pixels(), size.x * size.y)
        << "window " << size.x << "x" << size.y;
}
