"""Measures how long the event loop and a Python thread stop while an
ImagePanel loads a large PNG with load_source_image.

    PYTHONPATH=build/python xvfb-run -a /usr/bin/python3 scripts/async_load_stalls.py [SIDE] [RUNS]

Makes a SIDE x SIDE PNG (12000: 144 megapixels) in a temporary folder, then
for each run loads it into a fresh viewer while a 5 ms wx timer and a
Python thread sleeping 5 ms tick, and prints the longest gap between ticks.
The viewer has loaded a small file before, so that the first showing of its
progress indicator (the theme's loading) is not counted.
"""
import struct
import sys
import tempfile
import threading
import time
import zlib
from pathlib import Path

import numpy as np
import wx

import tesk_vumo


def write_png(path, side):
    """A PNG of a pattern that compresses well, written row band by row band."""
    compressor = zlib.compressobj(1)
    data = []
    for top in range(0, side, 1000):
        y, x = np.mgrid[top:min(top + 1000, side), 0:side]
        rows = np.zeros((y.shape[0], side * 3 + 1), np.uint8)
        rows[:, 1::3] = x % 251
        rows[:, 2::3] = y % 241
        rows[:, 3::3] = (x * 7 + y * 3) % 256
        data.append(compressor.compress(rows.tobytes()))
    data.append(compressor.flush())

    def chunk(tag, payload):
        return struct.pack(">I", len(payload)) + tag + payload + struct.pack(">I", zlib.crc32(tag + payload))

    path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 2, 0, 0, 0))
                     + chunk(b"IDAT", b"".join(data)) + chunk(b"IEND", b""))


def run(app, big, small):
    frame = wx.Frame(None, size=(800, 600))
    viewer = tesk_vumo.ImagePanel(frame)
    frame.Show()
    timer_ticks, thread_ticks, outcome = [], [], {}
    stop = threading.Event()

    def ticker():
        while not stop.is_set():
            thread_ticks.append(time.perf_counter())
            time.sleep(0.005)

    timer = wx.Timer()
    timer.Bind(wx.EVT_TIMER, lambda event: timer_ticks.append(time.perf_counter()))

    def on_loaded(event):
        if event.path == small:
            timer.Start(5)
            threading.Thread(target=ticker, daemon=True).start()
            outcome["start"] = time.perf_counter()
            viewer.load_source_image(big)
        else:
            outcome.update(success=event.success, failure=event.failure, end=time.perf_counter())
            wx.CallLater(200, app.ExitMainLoop)

    viewer.Bind(tesk_vumo.EVT_VIEWER_LOADED, on_loaded)
    wx.CallLater(200, viewer.load_source_image, small)
    app.MainLoop()
    stop.set()
    timer.Stop()
    frame.Destroy()

    def longest(ticks):
        return max(b - a for a, b in zip(ticks, ticks[1:])) * 1000

    print(f"loaded {outcome['success']} {outcome['failure']!r} in {outcome['end'] - outcome['start']:.2f} s; "
          f"longest stop: event loop {longest(timer_ticks):.1f} ms, Python thread {longest(thread_ticks):.1f} ms",
          flush=True)


def main():
    side = int(sys.argv[1]) if len(sys.argv) > 1 else 12000
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    with tempfile.TemporaryDirectory() as folder:
        big, small = Path(folder) / "big.png", Path(folder) / "small.png"
        write_png(big, side)
        write_png(small, 16)
        app = wx.App()
        for _ in range(runs):
            run(app, str(big), str(small))


main()
