import contextlib
import os
import subprocess
import sys
import time

import numpy as np
import pytest
import wx

import tesk_vumo


@pytest.fixture(scope="session")
def app():
    app = wx.App(False)
    # The tests read the texts as written, whatever the machine's language.
    tesk_vumo.set_language("")
    yield app


def pump_until(app, condition, timeout=3.0):
    """Runs the toolkit's events until condition() holds; returns whether it did."""
    deadline = time.monotonic() + timeout
    while True:
        wx.Yield()
        app.ProcessPendingEvents()
        if condition():
            return True
        if time.monotonic() > deadline:
            return False


def load_ended(viewer):
    """Runs the toolkit's events until the viewer's load (of its load command, say) has ended."""
    assert pump_until(wx.GetApp(), lambda: not viewer or not viewer.loading, timeout=10)


@pytest.fixture
def frame(app):
    frame = wx.Frame(None, size=(800, 600))
    frame.Show()
    yield frame
    if frame:
        frame.Destroy()
    # Later frames must not be covered by this one (Xvfb keeps no backing store).
    assert pump_until(app, lambda: not frame)


@pytest.fixture
def host(frame):
    """A plain panel filling the frame; it leaves its children at their own size."""
    host = wx.Panel(frame)
    frame.Layout()
    return host


def rgb(bitmap, x, y):
    image = bitmap.ConvertToImage()
    return image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)


def middle_line_shown(viewer):
    """Whether the buffer has a blue dashed line down the middle of a 400-pixel-wide image."""
    buffer = viewer.buffer.ConvertToImage()
    middle = viewer.image_rect.x + 200
    return any(buffer.GetBlue(middle, y) > 200 and buffer.GetRed(middle, y) < 60 for y in range(400))


@contextlib.contextmanager
def installed(provider):
    """Makes @provider answer every dialog and box while the block runs."""
    previous = tesk_vumo.set_user_interaction(provider)
    try:
        yield provider
    finally:
        tesk_vumo.set_user_interaction(previous)


def solid(height, width, colour):
    image = np.empty((height, width, 3), np.uint8)
    image[:] = colour
    return image


def write_png(path, image):
    height, width, _ = image.shape
    assert wx.Image(width, height, image.tobytes()).SaveFile(str(path), wx.BITMAP_TYPE_PNG)
    return path


def set_surface(viewer, width, height):
    """Sizes viewer so that its drawing surface is width x height (the controls around it may reflow)."""
    for _ in range(5):
        inner = viewer.ui_image.GetSize()
        if inner == (width, height):
            return
        outer = viewer.GetSize()
        viewer.SetSize(outer.width + width - inner.width, outer.height + height - inner.height)
    raise AssertionError(f"drawing surface stays {viewer.ui_image.GetSize()}, wanted {(width, height)}")


def mouse(viewer, kind, x, y, left_down=False):
    """Sends a mouse event of kind at (x, y) of the drawing surface through its event handler."""
    event = wx.MouseEvent(kind)
    event.SetPosition(wx.Point(x, y))
    event.SetLeftDown(left_down)
    event.SetEventObject(viewer.ui_image)
    viewer.ui_image.GetEventHandler().ProcessEvent(event)


class Interaction:
    """Answers the viewers' dialogs from a script and records what they asked."""

    def __init__(self):
        self.paths = []      # answers of ask_path, first first; None cancels
        self.requests = []
        self.messages = []
        self.menus = []

    def ask_path(self, request):
        self.requests.append(request)
        return self.paths.pop(0)

    def show_message(self, text, caption, style):
        self.messages.append((text, caption, style))
        return wx.OK

    def popup_menu(self, window, menu, position):
        self.menus.append((window, menu, position))


@pytest.fixture
def interaction():
    with installed(Interaction()) as scripted:
        yield scripted


def run_at_content_scale_2(script):
    """Runs script in a Python of its own with GDK_SCALE=2 (the toolkit reads it
    at start); it must print "ok" last."""
    env = dict(os.environ, GDK_SCALE="2")
    done = subprocess.run([sys.executable, "-c", script], env=env, capture_output=True, text=True, timeout=120)
    assert done.returncode == 0 and done.stdout.strip().endswith("ok"), done.stderr[-2000:]

