"""Viewers made and destroyed from Python over and over, in the states a host leaves them in: once the window
is gone, nothing it held stays alive by mistake, and what the host kept stays valid."""
import gc
import weakref

import numpy as np
import pytest
import wx

import tesk_vumo
from conftest import Interaction, pump_until, solid
from tesk_vumo import Image, ImagePanel, ImagePanelAssist, SimpleImagePanel

VIEWERS = [SimpleImagePanel, ImagePanel, Image]
CYCLES = 10


class Held:
    """A host's object handed to a viewer, whose life can be watched."""


def use(viewer):
    """Shows an image with a selection on it and hands the viewer what a host would. Returns weak references
    to everything the viewer should let go of with its window, and what the host kept with a copy of each."""
    source = solid(300, 400, (10, 200, 30))
    source[:, :200] = (200, 10, 30)
    viewer.source_image = source
    data = Held()
    viewer.user_data = data
    watched = [weakref.ref(viewer), weakref.ref(source), weakref.ref(data)]
    kept = [viewer.image_being_shown]
    if not isinstance(viewer, SimpleImagePanel):
        viewer.set_selection_rect((5, 5, 50, 40))
        kept += [viewer.get_selection_image(), viewer.get_sub_image_to_draw()[0]]
        watched.append(weakref.ref(viewer.ui_poup_menu if isinstance(viewer, Image) else viewer.ui_zoom_mode))
    return watched, [(array, array.copy()) for array in kept]


def assert_all_gone(watched):
    gc.collect()
    alive = [ref() for ref in watched if ref() is not None]
    assert alive == []


def assert_kept_intact(kept):
    for array, copy in kept:
        assert np.array_equal(array, copy)


def destroy(app, window):
    window.Destroy()
    assert pump_until(app, lambda: not window)


@pytest.mark.parametrize("cls", VIEWERS, ids=lambda cls: cls.__name__)
@pytest.mark.parametrize("gone_with", ["itself", "its parent", "its frame"])
def test_a_destroyed_viewer_lets_go_of_all_it_held(app, frame, host, cls, gone_with):
    viewer = cls(host, (400, 300))
    watched, kept = use(viewer)
    viewer.user_data = viewer  # a cycle through the window's own state
    destroy(app, {"itself": viewer, "its parent": host, "its frame": frame}[gone_with])

    with pytest.raises(RuntimeError):
        viewer.user_data
    del viewer
    assert_all_gone(watched)
    assert_kept_intact(kept)


@pytest.mark.parametrize("cls", VIEWERS, ids=lambda cls: cls.__name__)
def test_create_and_destroy_cycles_keep_nothing(app, frame, cls):
    windows = len(wx.GetTopLevelWindows())
    watched, kept = [], []
    for cycle in range(CYCLES):
        host = wx.Panel(frame)
        viewer = cls(host, (400, 300))
        more_watched, more_kept = use(viewer)
        watched += more_watched + [weakref.ref(host)]
        kept += more_kept
        destroy(app, viewer if cycle % 2 else host)
        if host:
            destroy(app, host)
        del viewer, host
    assert_all_gone(watched)
    assert_kept_intact(kept)
    assert gc.garbage == [] and len(wx.GetTopLevelWindows()) == windows


def undock(panel):
    panel.on_close_assist_bar(wx.CommandEvent())
    assist = panel.assist
    assert type(assist) is ImagePanelAssist and assist.IsShown()
    return assist


def docked(panel):
    return panel.assist is None and panel.ui_panel_assist.IsShown()


@pytest.mark.parametrize("gone_with", ["itself", "its parent", "its frame"])
def test_the_floating_assist_window_goes_with_its_panel(app, frame, host, gone_with):
    windows = len(wx.GetTopLevelWindows())
    panel = ImagePanel(host)
    watched, kept = use(panel)
    assist = undock(panel)
    watched += [weakref.ref(assist), weakref.ref(assist.ui_zoom_mode)]
    assert len(wx.GetTopLevelWindows()) == windows + 1

    destroy(app, {"itself": panel, "its parent": host, "its frame": frame}[gone_with])
    assert pump_until(app, lambda: not assist)
    for use_after in [lambda: assist.ui_angle, lambda: assist.GetTitle(), lambda: panel.assist]:
        with pytest.raises(RuntimeError):
            use_after()
    del panel, assist
    assert_all_gone(watched)
    assert_kept_intact(kept)
    assert len(wx.GetTopLevelWindows()) == windows - (gone_with == "its frame")


@pytest.mark.parametrize("gone_with", ["itself", "its parent"])
def test_a_redock_queued_when_the_panel_goes_does_nothing(app, host, gone_with):
    windows = len(wx.GetTopLevelWindows())
    panel = ImagePanel(host)
    watched, kept = use(panel)
    assist = undock(panel)
    watched.append(weakref.ref(assist))
    assist.Close()  # queues the re-dock on the panel
    destroy(app, panel if gone_with == "itself" else host)
    assert pump_until(app, lambda: not assist)
    del panel, assist
    assert_all_gone(watched)
    assert_kept_intact(kept)
    assert len(wx.GetTopLevelWindows()) == windows


@pytest.mark.parametrize("take_down", ["Close", "Destroy", "close handler"])
def test_undock_and_redock_cycles_keep_one_bar_and_nothing_else(app, host, take_down):
    windows = len(wx.GetTopLevelWindows())
    panel = ImagePanel(host)
    watched, _ = use(panel)
    for _ in range(CYCLES):
        assist = undock(panel)
        assert not panel.ui_panel_assist.IsShown()
        watched.append(weakref.ref(assist))
        if take_down == "close handler":
            assist.on_close(wx.CloseEvent(wx.wxEVT_CLOSE_WINDOW))
        else:
            getattr(assist, take_down)()  # Destroy used to leave the panel with neither bar
        assert pump_until(app, lambda: docked(panel) and not assist)
        del assist
    assert len(wx.GetTopLevelWindows()) == windows
    destroy(app, panel)
    del panel
    assert_all_gone(watched)


def test_undocking_again_before_the_closed_window_is_deleted(app, host):
    panel = ImagePanel(host)
    closed = undock(panel)
    closed.Close()
    again = undock(panel)  # before idle time deletes the closed window
    assert again is not closed
    assert pump_until(app, lambda: not closed)
    assert panel.assist is again and not panel.ui_panel_assist.IsShown()
    again.Close()
    assert pump_until(app, lambda: docked(panel) and not again)


def test_a_provider_keeping_requests_keeps_no_viewer_alive(app, host, interaction):
    panel = ImagePanel(host)
    interaction.paths = [None]
    panel.on_load_image(wx.CommandEvent())
    request = interaction.requests[0]
    assert request.parent is panel
    watched = [weakref.ref(panel), weakref.ref(request)]
    destroy(app, panel)
    with pytest.raises(RuntimeError):
        request.parent.GetSize()
    interaction.requests.clear()
    del panel, request
    assert_all_gone(watched)


def test_a_replaced_provider_is_let_go(interaction):
    provider = Interaction()
    watched = weakref.ref(provider)
    tesk_vumo.set_user_interaction(provider)
    assert tesk_vumo.set_user_interaction(interaction) is provider
    del provider
    assert_all_gone([watched])
