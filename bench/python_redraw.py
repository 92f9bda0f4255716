"""A redraw driven from Python: set a thumb position, call draw_image, wait
for the X server. Compare its median with the C++ benchmark's
"scroll-bar step + sync" row of the same viewport and image.

    PYTHONPATH=build/python xvfb-run -a -s '-screen 0 1600x1200x24' \\
        /usr/bin/python3 bench/python_redraw.py [width height megapixels]
"""

import ctypes
import resource
import statistics
import sys
import time

import numpy as np
import wx

import tesk_vumo

SIZES = {1: (1152, 864), 12: (4000, 3000), 48: (8000, 6000)}


def main():
    width, height, megapixels = (int(a) for a in sys.argv[1:4]) if len(sys.argv) > 3 else (1920, 1080, 48)
    app = wx.App(False)
    # The toolkit's own X connection: an XSync through GDK, as the C++ benchmark makes.
    gdk = ctypes.CDLL("libgdk-3.so.0")
    gdk.gdk_display_get_default.restype = ctypes.c_void_p
    gdk.gdk_display_sync.argtypes = [ctypes.c_void_p]
    display = gdk.gdk_display_get_default()
    frame = wx.Frame(None, pos=(0, 0))
    panel = tesk_vumo.ImagePanel(frame)
    sizer = wx.BoxSizer(wx.VERTICAL)
    sizer.Add(panel, 1, wx.EXPAND)
    frame.SetSizer(sizer)
    frame.Show()
    want = wx.Size(width, height)
    for _ in range(8):
        if panel.ui_image.GetSize() == want:
            break
        frame.SetClientSize(frame.GetClientSize() + want - panel.ui_image.GetSize())
        for _ in range(50):
            wx.Yield()
            app.ProcessPendingEvents()
            time.sleep(0.002)
        frame.Layout()
    assert panel.ui_image.GetSize() == want, panel.ui_image.GetSize()

    w, h = SIZES[megapixels]
    image = np.random.default_rng(1).integers(0, 256, (h, w, 3), np.uint8)
    panel.zoom_mode = tesk_vumo.ZoomMode.NoZoom
    panel.source_image = image
    bar = panel.ui_scroll_bar_horizontal
    middle = (bar.GetRange() - bar.GetThumbSize()) // 2
    samples = []
    faults = 0
    for i in range(60):
        before = resource.getrusage(resource.RUSAGE_SELF).ru_minflt
        start = time.perf_counter()
        bar.SetThumbPosition(middle + (i % 2))
        panel.draw_image()
        gdk.gdk_display_sync(display)
        samples.append((time.perf_counter() - start) * 1000)
        if i >= 5:
            faults += resource.getrusage(resource.RUSAGE_SELF).ru_minflt - before
    samples = samples[5:]
    print(f"Python: thumb + draw_image + sync, {width}x{height}, {megapixels} MP: "
          f"median {statistics.median(samples):.2f} ms, {faults / len(samples):.1f} page faults per redraw")
    frame.Destroy()
    wx.Yield()


if __name__ == "__main__":
    main()
