"""Under a content scale factor (GDK_SCALE=2), 1:1 and free rates map image pixels to device pixels,
and the simple panel fits its picture in device pixels.

The scale is fixed when the toolkit starts, so the viewers run in a process of their own."""
import textwrap

from conftest import run_at_content_scale_2

SCRIPT = textwrap.dedent("""
    import numpy as np, wx, tesk_vumo

    def device_pixels(viewer):
        image = viewer.buffer.ConvertToImage()
        picture = np.frombuffer(bytes(image.GetData()), np.uint8).reshape(image.GetHeight(), image.GetWidth(), 3)
        rect = viewer.image_rect
        return picture[rect.y:rect.y + rect.height, rect.x:rect.x + rect.width]

    app = wx.App(False)
    source = np.zeros((100, 120, 3), np.uint8)
    source[::2, :, 0] = 255  # even rows red, even columns green
    source[:, ::2, 1] = 255
    for cls in (tesk_vumo.ImagePanel, tesk_vumo.Image):
        frame = wx.Frame(None, size=(400, 320))
        viewer = cls(frame)
        frame.Show()
        for _ in range(20):
            wx.Yield()
        assert viewer.ui_image.GetContentScaleFactor() == 2
        client = viewer.ui_image.GetClientSize()
        assert viewer.buffer.GetSize() == (2 * client.width, 2 * client.height), viewer.buffer.GetSize()

        viewer.zoom_mode = tesk_vumo.ZoomMode.NoZoom
        viewer.source_image = source
        assert (device_pixels(viewer) == source).all()  # 120 x 100 device pixels
        # The pointer at a logical point is over the device pixel twice as far.
        rect = viewer.image_rect
        event = wx.MouseEvent(wx.wxEVT_MOTION)
        event.SetPosition(wx.Point(rect.x // 2 + 10, rect.y // 2 + 7))
        viewer.ui_image.GetEventHandler().ProcessEvent(event)
        assert viewer.get_mouse_image_position() == (20 - rect.x % 2, 14 - rect.y % 2)

        viewer.zoom_rate = 2
        shown = device_pixels(viewer)
        assert (shown == np.repeat(np.repeat(source, 2, 0), 2, 1)[:shown.shape[0], :shown.shape[1]]).all()
        frame.Destroy()
        wx.Yield()

    # The simple panel's picture has the device's resolution too: the
    # source fitted to twice the client size.
    frame = wx.Frame(None, size=(400, 320))
    simple = tesk_vumo.SimpleImagePanel(frame, wx.Size(300, 200))
    frame.Show()
    for _ in range(20):
        wx.Yield()
    simple.source_image = source
    client = simple.GetClientSize()
    device = (2 * client.width, 2 * client.height)
    assert simple.buffer.GetSize() == device, simple.buffer.GetSize()
    shown = simple.image_being_shown.shape[:2]
    assert shown == (device[1], device[1] * 120 // 100) or shown == (device[0] * 100 // 120, device[0]), shown
    frame.Destroy()
    wx.Yield()
    print("ok")
""")


def test_one_image_pixel_is_one_device_pixel_at_a_content_scale_of_2():
    run_at_content_scale_2(SCRIPT)
