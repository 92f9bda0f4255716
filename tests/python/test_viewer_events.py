"""The viewers' own events, bound from Python like any wx event."""
import pytest
import wx

import tesk_vumo
from conftest import mouse, pump_until, set_surface, solid
from tesk_vumo import Rotation, ZoomMode


@pytest.fixture(params=[tesk_vumo.ImagePanel, tesk_vumo.Image], ids=lambda cls: cls.__name__)
def viewer(request, host):
    viewer = request.param(host)
    set_surface(viewer, 400, 400)
    viewer.zoom_mode = ZoomMode.NoZoom
    viewer.source_image = solid(30, 40, (12, 34, 56))  # drawn at (180, 185)
    return viewer


def test_handlers_read_the_event_as_a_viewer_event(viewer, host):
    seen = []

    def record(event):
        assert isinstance(event, tesk_vumo.ViewerEvent) and event.GetEventObject() is viewer
        seen.append({name: getattr(event, name) for name in (
            "position", "source_position", "color", "selection_rect", "zoom_mode", "zoom_rate", "rotation",
            "rotation_degree", "scroll_position")})
        event.Skip()

    for binder in (tesk_vumo.EVT_VIEWER_POINTER, tesk_vumo.EVT_VIEWER_SELECTION, tesk_vumo.EVT_VIEWER_VIEW):
        viewer.Bind(binder, record)
    # Command events go up to the parent when the viewer's handlers skip them.
    heard_above = []
    host.Bind(tesk_vumo.EVT_VIEWER_VIEW, lambda event: heard_above.append(event.rotation))

    viewer.rotation = Rotation.Double90
    mouse(viewer, wx.wxEVT_MOTION, 180 + 32, 185 + 26)
    mouse(viewer, wx.wxEVT_MOTION, 5, 5)
    view, pointer, off_image = seen
    assert view == {"position": (-1, -1), "source_position": (-1, -1), "color": None,
                    "selection_rect": wx.Rect(-1, -1, 0, 0), "zoom_mode": ZoomMode.NoZoom, "zoom_rate": 1.0,
                    "rotation": Rotation.Double90, "rotation_degree": 180.0, "scroll_position": (0, 0)}
    assert heard_above == [Rotation.Double90]
    assert (pointer["position"], pointer["source_position"], pointer["color"]) == ((32, 26), (7, 3),
                                                                                     wx.Colour(12, 34, 56))
    assert isinstance(pointer["color"], wx.Colour) and isinstance(pointer["selection_rect"], wx.Rect)
    assert off_image["position"] == (-1, -1) and off_image["color"] is None


def test_unbinding_by_handler_and_plain_events(viewer):
    heard = []

    def on_view(event):
        heard.append(event.zoom_mode)

    viewer.Bind(tesk_vumo.EVT_VIEWER_VIEW, on_view)
    viewer.zoom_mode = ZoomMode.FitPage
    assert viewer.Unbind(tesk_vumo.EVT_VIEWER_VIEW, handler=on_view)
    viewer.zoom_mode = ZoomMode.NoZoom
    assert heard == [ZoomMode.FitPage]

    kept = []
    viewer.Bind(tesk_vumo.EVT_VIEWER_VIEW, kept.append)
    viewer.zoom_mode = ZoomMode.FitWidth
    assert type(kept[0]) is wx.CommandEvent, "a ViewerEvent only while it is handled"

    with pytest.raises(TypeError, match="sent by a viewer"):
        tesk_vumo.ViewerEvent.zoom_rate.fget(wx.CommandEvent())


def test_a_python_handler_may_destroy_the_viewer_and_skip(app, viewer, host):
    def destroy(event):
        viewer.Destroy()
        event.Skip()

    heard_above = []
    host.Bind(tesk_vumo.EVT_VIEWER_VIEW, lambda event: heard_above.append(event.zoom_rate))
    viewer.Bind(tesk_vumo.EVT_VIEWER_VIEW, destroy)
    viewer.zoom_rate = 2
    assert pump_until(app, lambda: not viewer)
    assert not host.GetChildren() and heard_above == [2.0]
