"""The viewers used with the habits of a wxPython programmer: handlers called from the host's own controls,
subclasses overriding handlers, lookups of windows the library made, wx-style constructors and values."""
import inspect
import threading

import pytest
import wx

import tesk_vumo
from conftest import mouse, pump_until, rgb, set_surface, solid
from tesk_vumo import Image, ImagePanel, ImagePanelAssist, SimpleImagePanel, ZoomMode


def command(control, kind=wx.wxEVT_BUTTON):
    """What the toolkit sends when the user uses control."""
    event = wx.CommandEvent(kind, control.GetId())
    event.SetEventObject(control)
    control.GetEventHandler().ProcessEvent(event)


def test_handlers_take_none_or_any_event_as_a_host_button_passes_them(host, interaction):
    panel = ImagePanel(host, (400, 300))
    interaction.paths.append(None)
    panel.on_load_image(None)
    assert len(interaction.requests) == 1
    panel.on_close_assist_bar(None)
    assert not panel.ui_panel_assist.IsShown() and panel.assist.IsShown()

    viewer = Image(host, (400, 300))
    viewer.on_zoom_fit_width(wx.MenuEvent(wx.wxEVT_MENU))  # any event, not only the kind the forms send
    assert viewer.zoom_mode == ZoomMode.FitWidth


class TitledPanel(ImagePanel):
    """A host's viewer: its own constructor, handlers that add to the library's."""

    def __init__(self, parent, title):
        super().__init__(parent, size=(400, 300))
        self.title, self.seen = title, []

    def on_mouse_motion(self, event):
        self.seen.append(("motion", event.GetPosition().Get()))
        super().on_mouse_motion(event)

    def on_change_zoom_mode(self, event):
        self.seen.append(("zoom", type(event).__name__))
        super().on_change_zoom_mode(event)

    def on_load_image(self, event):
        self.seen.append(("load", type(event).__name__))

    def draw_image(self):
        self.seen.append("draw")
        super().draw_image()

    def on_going_to_destroy(self):
        self.seen.append(("destroy", self.title))
        super().on_going_to_destroy()


class FittedPanel(SimpleImagePanel):
    def fitting(self):
        self.fittings = getattr(self, "fittings", 0) + 1
        super().fitting()


def test_overrides_are_what_the_events_call_and_super_reaches_the_library(app, host):
    panel = TitledPanel(host, "left")
    assert panel.title == "left" and panel in host.GetChildren()
    set_surface(panel, 400, 300)
    panel.source_image = solid(300, 400, (200, 10, 30))
    assert panel.seen.pop() == "draw"  # the library's own fitting drew through the override

    mouse(panel, wx.wxEVT_MOTION, 10, 20)
    assert panel.seen[-1] == ("motion", (10, 20))
    assert panel.ui_rgb.GetValue() == "200, 10, 30"  # super() ran the library's read-out

    panel.ui_zoom_mode.SetSelection(int(ZoomMode.NoZoom))
    command(panel.ui_zoom_mode, wx.wxEVT_CHOICE)
    assert panel.seen[-2:] == [("zoom", "CommandEvent"), "draw"] and panel.zoom_mode == ZoomMode.NoZoom

    # The floating window's load command reaches the panel's override too.
    command(panel.ui_button_close_assist)
    command(panel.assist.ui_button_load)
    assert panel.seen[-1] == ("load", "CommandEvent")
    panel.Destroy()
    assert pump_until(app, lambda: not panel) and panel.seen[-1] == ("destroy", "left")

    simple = FittedPanel(host, (200, 100))
    simple.source_image = solid(50, 50, (0, 0, 255))
    simple.SetSize(300, 200)
    assert pump_until(app, lambda: simple.fittings >= 2)


class FailingImage(Image):
    def on_mouse_motion(self, event):
        raise ValueError("host handler failed")


def test_a_failing_override_is_reported_as_wxpython_does_and_library_failures_log_nothing(host, capfd):
    viewer = FailingImage(host, (400, 300))
    viewer.source_image = solid(300, 400, (1, 2, 3))
    for _ in range(2):  # the widget goes on handling events
        mouse(viewer, wx.wxEVT_MOTION, 5, 5)
        assert "ValueError: host handler failed" in capfd.readouterr().err

    panel = ImagePanel(host, (400, 300))
    panel.source_image = solid(20000, 1, (1, 2, 3))
    panel.ui_zoom_mode.SetSelection(int(ZoomMode.FitWidth))  # the fitting refuses it inside the handler
    command(panel.ui_zoom_mode, wx.wxEVT_CHOICE)
    assert capfd.readouterr().err == ""


def test_the_floating_window_is_an_image_panel_assist_for_every_lookup(host):
    panel = ImagePanel(host, (400, 300))
    command(panel.ui_button_close_assist)  # the user undocks the bar; the host never read panel.assist
    floating, = [window for window in wx.GetTopLevelWindows() if isinstance(window, ImagePanelAssist)]
    assert floating.ui_zoom_mode.GetSelection() == int(ZoomMode.FitPage)
    assert wx.FindWindowById(floating.GetId()) is floating
    seen = []
    floating.Bind(wx.EVT_SHOW, lambda event: seen.append(event.GetEventObject()))
    floating.Hide()
    assert seen and isinstance(seen[0], ImagePanelAssist)


def test_constructors_follow_wx(host):
    panel = ImagePanel(host, wx.ID_ANY, pos=(5, 6), size=(300, 200), style=wx.BORDER_SIMPLE, name="viewer")
    assert (panel.GetPosition(), panel.GetSize(), panel.GetName(), panel.HasFlag(wx.BORDER_SIMPLE)) == (
        (5, 6), (300, 200), "viewer", True)
    assert SimpleImagePanel(host, wx.ID_ANY, wx.DefaultPosition, (90, 80)).GetSize() == (90, 80)
    assert list(inspect.signature(ImagePanel).parameters) == ["parent", "id", "pos", "size", "style", "name"]
    assert list(inspect.signature(ImagePanel.on_mouse_motion).parameters) == ["self", "event"]
    assert ImagePanel.on_mouse_motion.__doc__.startswith("on_mouse_motion(self, event: wx.MouseEvent) -> None")


def test_rects_and_colours_take_what_wxpython_takes(host):
    viewer = Image(host, (400, 300))
    set_surface(viewer, 400, 300)
    viewer.source_image = solid(300, 400, (255, 255, 255))
    viewer.selection_rect = (10, 20, 30, 40)
    assert viewer.selection_rect == wx.Rect(10, 20, 30, 40)
    viewer.middle_line_color = "red"
    with pytest.raises(ValueError, match="colour name"):
        viewer.middle_line_color = "not a colour"
    assert viewer.middle_line_color == wx.Colour("red")


@pytest.mark.parametrize("view", [lambda a: a[..., ::-1], lambda a: a[::2, ::3]], ids=["bgr-to-rgb", "strided"])
def test_an_array_of_any_layout_is_shown_as_it_is_now(host, view):
    viewer = ImagePanel(host, (400, 300))
    set_surface(viewer, 400, 300)
    base = solid(600, 1200, (10, 20, 30))
    shown = view(base)
    viewer.zoom_mode = ZoomMode.NoZoom
    viewer.source_image = shown
    base[...] = (90, 60, 250)  # edited in place after it was set
    viewer.fitting()
    assert rgb(viewer.buffer, viewer.image_rect.x + 1, viewer.image_rect.y + 1) == tuple(shown[0, 0])


def test_calls_from_another_thread_raise_runtime_error(host):
    viewer = ImagePanel(host)
    calls = {"ImagePanel.zoom_mode": lambda: setattr(viewer, "zoom_mode", ZoomMode.NoZoom),
             "ImagePanel.fitting": viewer.fitting, "set_language": lambda: tesk_vumo.set_language("en")}
    raised = {}

    def work():
        for name, call in calls.items():
            try:
                call()
            except RuntimeError as error:
                raised[name] = str(error)

    worker = threading.Thread(target=work)
    worker.start()
    worker.join()
    assert raised == {name: f"{name} must be called on the GUI thread, not from another thread" for name in calls}
    assert viewer.zoom_mode == ZoomMode.FitPage
