"""What a call from Python costs: viewer property reads against a plain
wxPython getter, and a viewer event's delivery to a Python handler against
a plain EVT_MOTION handler's, all measured in this one run.

    PYTHONPATH=build/python xvfb-run -a -s '-screen 0 1600x1200x24' \\
        /usr/bin/python3 bench/python_calls.py

Each row is the best of several repeats, in microseconds per call. A motion
over the viewer's image also writes its read-outs (text controls, tens of
microseconds), so the viewer's delivery is the motion with a host handler
bound less the same motion without one, spread over many handlers so that it
stands out of that work; the plain handler's is measured the same way. The
plain motion is made in Python and keeps its wrapper, while wxPython makes a
new wrapper of the viewer's event (made in C++) for every handler, as it does
for any event the toolkit makes.
"""

import time

import numpy as np
import wx

import tesk_vumo

REPEATS = 7
HANDLERS = 20


def per_call(function, count):
    """Microseconds per call of function(count), which makes count calls."""
    best = float("inf")
    for _ in range(REPEATS):
        start = time.perf_counter()
        function(count)
        best = min(best, time.perf_counter() - start)
    return best / count * 1e6


def reads(target, name):
    # getattr's own call counts against the property, not against the getters.
    def run(count):
        for _ in range(count):
            getattr(target, name)
    return run


def calls(method):
    def run(count):
        for _ in range(count):
            method()
    return run


def motions(window, points):
    events = []
    for x, y in points:
        event = wx.MouseEvent(wx.wxEVT_MOTION)
        event.SetPosition(wx.Point(x, y))
        event.SetEventObject(window)
        events.append(event)

    def run(count):
        for i in range(count):
            window.ProcessWindowEvent(events[i % len(events)])
    return run


def main():
    app = wx.App(False)
    frame = wx.Frame(None, pos=(0, 0), size=(800, 600))
    sizer = wx.BoxSizer(wx.VERTICAL)
    plain = wx.Panel(frame, size=(200, 100))
    viewer = tesk_vumo.ImagePanel(frame)
    sizer.Add(plain, 0)
    sizer.Add(viewer, 1, wx.EXPAND)
    frame.SetSizer(sizer)
    frame.Show()
    for _ in range(20):
        wx.Yield()
        time.sleep(0.01)
    viewer.zoom_mode = tesk_vumo.ZoomMode.NoZoom
    viewer.source_image = np.random.default_rng(1).integers(0, 256, (400, 600, 3), np.uint8)
    wx.Yield()

    rows = {}
    rows["wx.Panel.GetSize()"] = per_call(calls(plain.GetSize), 20000)
    rows["wx.Panel.GetId()"] = per_call(calls(plain.GetId), 20000)
    rows["wx.Panel.Size (property)"] = per_call(reads(plain, "Size"), 20000)
    for name in ("zoom_rate", "zoom_mode", "rotation"):
        rows[f"ImagePanel.{name}"] = per_call(reads(viewer, name), 20000)

    # Two points a pixel apart over the image, so that every motion is a new position.
    shown = viewer.image_rect
    x, y = shown.x + shown.width // 2, shown.y + shown.height // 2
    plain_motion = motions(plain, [(20, 30), (21, 30)])
    viewer_motion = motions(viewer.ui_image, [(x, y), (x + 1, y)])
    received = []

    def on_motion(event):
        received.append(event.GetPosition())
        event.Skip()

    def on_pointer(event):
        received.append(event.position)
        event.Skip()

    rows["plain motion, no handler"] = per_call(plain_motion, 4000)
    plain.Bind(wx.EVT_MOTION, on_motion)
    rows["plain motion, 1 EVT_MOTION handler"] = per_call(plain_motion, 4000)
    rows["viewer motion, no handler"] = per_call(viewer_motion, 1000)
    viewer.Bind(tesk_vumo.EVT_VIEWER_POINTER, on_pointer)
    rows["viewer motion, 1 EVT_VIEWER_POINTER handler"] = per_call(viewer_motion, 1000)
    # The viewer's own work on a motion (its read-outs) outweighs one delivery
    # and its noise: more handlers, each passing the event on, make the
    # deliveries stand out of it.
    for _ in range(HANDLERS - 1):
        plain.Bind(wx.EVT_MOTION, on_motion)
        viewer.Bind(tesk_vumo.EVT_VIEWER_POINTER, on_pointer)
    rows[f"plain motion, {HANDLERS} EVT_MOTION handlers"] = per_call(plain_motion, 2000)
    received.clear()
    rows[f"viewer motion, {HANDLERS} EVT_VIEWER_POINTER handlers"] = per_call(viewer_motion, 1000)
    assert len(received) == REPEATS * 1000 * HANDLERS and received[-1][1] == y - shown.y, received[-1]

    for name, value in rows.items():
        print(f"{name:45} {value:8.3f} us")
    print()
    for floor_name in ("wx.Panel.GetSize()", "wx.Panel.GetId()"):
        floor = rows[floor_name]
        ratios = ", ".join(f"{name} {rows[f'ImagePanel.{name}'] / floor:.2f}x"
                           for name in ("zoom_rate", "zoom_mode", "rotation"))
        print(f"Property reads against {floor_name} ({floor:.3f} us): {ratios}")
    plain_delivery = (rows[f"plain motion, {HANDLERS} EVT_MOTION handlers"]
                      - rows["plain motion, no handler"]) / HANDLERS
    viewer_delivery = (rows[f"viewer motion, {HANDLERS} EVT_VIEWER_POINTER handlers"]
                       - rows["viewer motion, no handler"]) / HANDLERS
    print(f"Delivery to one Python handler: EVT_VIEWER_POINTER {viewer_delivery:.3f} us, "
          f"EVT_MOTION {plain_delivery:.3f} us: {viewer_delivery / plain_delivery:.2f}x")
    one = rows["viewer motion, 1 EVT_VIEWER_POINTER handler"] - rows["viewer motion, no handler"]
    print(f"One handler's share of a motion (noisier): EVT_VIEWER_POINTER {one:.3f} us, EVT_MOTION "
          f"{rows['plain motion, 1 EVT_MOTION handler'] - rows['plain motion, no handler']:.3f} us")
    frame.Destroy()
    wx.Yield()


if __name__ == "__main__":
    main()
