import time

import pytest
import wx


@pytest.fixture(scope="session")
def app():
    app = wx.App(False)
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
