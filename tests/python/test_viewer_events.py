"""The viewers' own events, bound from Python like any wx event."""
import numpy as np
import pytest
import wx

import tesk_vumo
from conftest import mouse, set_surface, solid
from tesk_vumo import Rotation, ZoomMode


@pytest.fixture(params=[tesk_vumo.ImagePanel, tesk_vumo.Image], ids=lambda cls: cls.__name__)
def viewer(request, host):
    viewer = request.param(host)
    set_surface(viewer, 400, 400)
    viewer.zoom_mode = ZoomMode.NoZoom
    return viewer


def test_events_carry_the_state_after_the_change(viewer, host):
    seen = []

    def record(event):
        assert isinstance(event, tesk_vumo.ViewerEvent) and isinstance(event, wx.CommandEvent)
        assert event.GetEventObject() is viewer
        # The viewer's own state has followed before the host hears of it.
        assert viewer.selection_rect == event.selection_rect
        assert viewer.rotation is event.rotation
        seen.append((event.GetEventType(), event.position, event.source_position, event.colour,
                     event.selection_rect, event.zoom_mode, event.zoom_rate, event.rotation,
                     event.rotation_degree, event.scroll_position))
        event.Skip()

    # On the viewer itself and, as command events go up, on its parent.
    for binder in (tesk_vumo.EVT_VIEWER_POINTER, tesk_vumo.EVT_VIEWER_SELECTION, tesk_vumo.EVT_VIEWER_VIEW):
        viewer.Bind(binder, record)
    parent_heard = []
    host.Bind(tesk_vumo.EVT_VIEWER_VIEW, lambda event: parent_heard.append(event.zoom_rate))

    image = solid(30, 40, (1, 2, 3))
    image[3, 7] = (12, 34, 56)
    viewer.source_image = image  # 40 x 30, drawn at (180, 185)
    viewer.rotation = Rotation.Double90
    seen.clear()
    # Source pixel (7, 3) turned half round is displayed at (32, 26).
    mouse(viewer, wx.wxEVT_MOTION, 180 + 32, 185 + 26)
    mouse(viewer, wx.wxEVT_LEFT_DOWN, 180 + 32, 185 + 26)
    mouse(viewer, wx.wxEVT_MOTION, 180 + 35, 185 + 27, left_down=True)
    pointer, anchored, moved, dragged = seen
    assert pointer[:4] == (tesk_vumo.EVT_VIEWER_POINTER.typeId, (32, 26), (7, 3), wx.Colour(12, 34, 56))
    assert pointer[5:] == (ZoomMode.NoZoom, 1.0, Rotation.Double90, 180.0, (0, 0))
    assert anchored[0] == tesk_vumo.EVT_VIEWER_SELECTION.typeId and anchored[4] == wx.Rect(32, 26, 0, 0)
    assert moved[:3] == (tesk_vumo.EVT_VIEWER_POINTER.typeId, (35, 27), (4, 2))
    assert dragged[0] == tesk_vumo.EVT_VIEWER_SELECTION.typeId and dragged[4] == wx.Rect(32, 26, 4, 2)

    seen.clear()
    mouse(viewer, wx.wxEVT_MOTION, 5, 5)
    assert [(kind, position, colour) for kind, position, _, colour, *_ in seen] == [
        (tesk_vumo.EVT_VIEWER_POINTER.typeId, (-1, -1), None)]

    seen.clear()
    viewer.zoom_mode = ZoomMode.FitWidth
    view, cleared = seen
    assert view[0] == tesk_vumo.EVT_VIEWER_VIEW.typeId and view[5:7] == (ZoomMode.FitWidth, 10.0)
    assert cleared[0] == tesk_vumo.EVT_VIEWER_SELECTION.typeId and cleared[4] == wx.Rect(-1, -1, 0, 0)
    assert parent_heard[-1] == 10.0


def test_unbinding_by_handler_and_plain_events(viewer):
    heard = []

    def on_view(event):
        heard.append(event.zoom_mode)

    viewer.source_image = np.zeros((30, 40, 3), np.uint8)
    viewer.Bind(tesk_vumo.EVT_VIEWER_VIEW, on_view)
    viewer.zoom_mode = ZoomMode.FitPage
    assert viewer.Unbind(tesk_vumo.EVT_VIEWER_VIEW, handler=on_view)
    viewer.zoom_mode = ZoomMode.NoZoom
    assert heard == [ZoomMode.FitPage]

    with pytest.raises(TypeError, match="sent by a viewer"):
        tesk_vumo.ViewerEvent.zoom_rate.fget(wx.CommandEvent())
