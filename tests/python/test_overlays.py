"""Overlays from Python: shapes in source pixels on a scaled display, a host's
events of an editable rectangle, and the checks on what a host passes."""
import textwrap

import numpy as np
import pytest
import wx

import tesk_vumo
from conftest import pump_until, run_at_content_scale_2

SCALED = textwrap.dedent("""
    import numpy as np, wx, tesk_vumo

    app = wx.App(False)
    frame = wx.Frame(None, size=(400, 320))
    viewer = tesk_vumo.Image(frame)
    frame.Show()
    for _ in range(20):
        wx.Yield()
    viewer.zoom_mode = tesk_vumo.ZoomMode.NoZoom
    viewer.source_image = np.zeros((100, 120, 3), np.uint8)
    viewer.add_rect(10, 10, 10, 10, "red", width=2)
    for _ in range(5):
        wx.Yield()
        app.ProcessPendingEvents()
    image = viewer.buffer.ConvertToImage()
    picture = np.frombuffer(bytes(image.GetData()), np.uint8).reshape(image.GetHeight(), image.GetWidth(), 3)
    rect = viewer.image_rect
    red = np.argwhere((picture == (255, 0, 0)).all(axis=2)) - (rect.y, rect.x)
    # At 1:1 source pixels 10 to 19 are device pixels 10 to 19; the outline,
    # 2 logical pixels wide, is 4 device pixels wide.
    assert red.min(axis=0).tolist() == [10, 10] and red.max(axis=0).tolist() == [19, 19], red
    assert len(red) == 10 * 10 - 2 * 2, len(red)
    frame.Destroy()
    wx.Yield()
    print("ok")
""")


def test_overlays_land_on_device_pixels_at_a_content_scale_of_2():
    run_at_content_scale_2(SCALED)


def mouse(viewer, kind, x, y, down):
    event = wx.MouseEvent(kind)
    event.SetPosition(wx.Point(x, y))
    event.SetLeftDown(down)
    event.SetEventObject(viewer.ui_image)
    viewer.ui_image.GetEventHandler().ProcessEvent(event)


def test_editable_rectangle_tells_the_host(app, frame):
    viewer = tesk_vumo.ImagePanel(frame)
    frame.Layout()
    assert pump_until(app, lambda: viewer.buffer is not None)
    viewer.zoom_mode = tesk_vumo.ZoomMode.NoZoom
    viewer.source_image = np.full((100, 120, 3), 255, np.uint8)
    rect = viewer.image_rect
    ident = viewer.add_rect(20, 20, 40, 30, (0, 128, 0), width=2, label="roi", editable=True)
    seen = []
    viewer.Bind(tesk_vumo.EVT_VIEWER_OVERLAY, lambda event: seen.append((event.overlay_id, event.overlay_rect)))
    mouse(viewer, wx.wxEVT_LEFT_DOWN, rect.x + 40, rect.y + 35, True)
    mouse(viewer, wx.wxEVT_MOTION, rect.x + 45, rect.y + 37, True)
    mouse(viewer, wx.wxEVT_LEFT_UP, rect.x + 45, rect.y + 37, False)
    assert seen == [(ident, (25.0, 22.0, 40.0, 30.0))]
    assert viewer.overlay_rect(ident) == (25.0, 22.0, 40.0, 30.0)
    assert viewer.hit_test(rect.x + 45, rect.y + 37) == ident
    assert viewer.hit_test(rect.x + 2, rect.y + 2) is None

    labels = np.zeros((100, 120), bool)
    labels[:10, :10] = True
    mask = viewer.add_mask(labels, wx.Colour(0, 0, 255), alpha=0.5)
    assert viewer.overlay_ids() == [ident, mask]
    assert pump_until(app, lambda: viewer.buffer.ConvertToImage().GetBlue(rect.x + 5, rect.y + 5) == 255
                      and viewer.buffer.ConvertToImage().GetRed(rect.x + 5, rect.y + 5) == 127)


def test_bad_overlays_are_refused(app, frame):
    viewer = tesk_vumo.Image(frame)
    viewer.source_image = np.zeros((10, 12, 3), np.uint8)
    with pytest.raises(ValueError):
        viewer.add_mask(np.zeros((10, 11), bool), "red")
    with pytest.raises(ValueError):
        viewer.add_mask(np.zeros((10, 12), np.float32), "red")
    with pytest.raises(ValueError):
        viewer.add_points([(1, 1)], "red", marker="star")
    with pytest.raises(ValueError):
        viewer.add_polygon([], "red")
    with pytest.raises(ValueError):
        viewer.remove_overlay(7)
    with pytest.raises(ValueError):
        viewer.overlay_rect(viewer.add_text(1, 1, "a", "red"))
    assert len(viewer.overlay_ids()) == 1
