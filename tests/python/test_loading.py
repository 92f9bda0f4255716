"""Loads that leave the event loop and the host's other threads running, seen from Python."""
import threading
import time

import numpy as np
import pytest
import wx

import tesk_vumo
from conftest import pump_until, solid, write_png


@pytest.mark.parametrize("cls", [tesk_vumo.ImagePanel, tesk_vumo.Image], ids=lambda cls: cls.__name__)
def test_load_source_image_ends_with_its_event(app, host, tmp_path, cls):
    viewer = cls(host)
    loaded = []
    viewer.Bind(tesk_vumo.EVT_VIEWER_LOADED,
                lambda event: loaded.append((event.path, event.success, event.cancelled, event.failure)))
    red = str(write_png(tmp_path / "red.png", solid(30, 40, (255, 0, 0))))
    missing = str(tmp_path / "missing.png")

    viewer.load_source_image(missing)
    assert viewer.loading
    viewer.load_source_image(red)
    assert pump_until(app, lambda: len(loaded) == 2, timeout=10) and not viewer.loading
    assert loaded == [(missing, False, True, ""), (red, True, False, "")]
    assert viewer.source_image.shape == (30, 40, 3)

    with pytest.raises(TypeError, match="file path"):
        viewer.load_source_image(solid(10, 10, (0, 255, 0)))


def test_other_threads_run_while_a_file_decodes(host, tmp_path):
    viewer = tesk_vumo.SimpleImagePanel(host, (200, 200))
    image = np.random.default_rng(1).integers(0, 256, (2500, 2500, 3), np.uint8)
    png = wx.Image(2500, 2500, image.tobytes())
    png.SetOption(wx.IMAGE_OPTION_PNG_COMPRESSION_LEVEL, 1)  # a large PNG made in a moment
    assert png.SaveFile(str(tmp_path / "large.png"), wx.BITMAP_TYPE_PNG)
    ticks = []
    stop = threading.Event()

    def ticker():
        while not stop.wait(0.001):
            ticks.append(time.perf_counter())

    thread = threading.Thread(target=ticker)
    thread.start()
    try:
        start = time.perf_counter()
        viewer.source_image = str(tmp_path / "large.png")
        end = time.perf_counter()
    finally:
        stop.set()
        thread.join()
    assert viewer.source_image.shape == image.shape
    # Holding the interpreter's lock, the decode would let the ticker run at
    # most in a switch interval (5 ms) before it starts.
    during = [tick for tick in ticks if start + 0.02 < tick < end]
    assert len(during) >= 10, f"{len(during)} ticks in a decode of {end - start:.3f} s"
