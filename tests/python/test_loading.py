"""Loads that leave the event loop and the host's other threads running."""
import struct
import threading
import time
import zlib

import numpy as np
import pytest

import tesk_vumo
from conftest import pump_until, set_surface, solid, write_png


def quick_png(path, image):
    """A PNG written at zlib's fastest level: large ones are made in a moment."""
    height, width, _ = image.shape
    rows = np.zeros((height, width * 3 + 1), np.uint8)
    rows[:, 1:] = image.reshape(height, width * 3)

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data))

    path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                     + chunk(b"IDAT", zlib.compress(rows.tobytes(), 1)) + chunk(b"IEND", b""))
    return path


@pytest.mark.parametrize("cls", [tesk_vumo.ImagePanel, tesk_vumo.Image], ids=lambda cls: cls.__name__)
def test_load_source_image_ends_with_its_event(app, host, tmp_path, cls):
    viewer = cls(host)
    set_surface(viewer, 200, 200)
    previous = solid(10, 10, (0, 255, 0))
    viewer.source_image = previous
    loaded = []
    viewer.Bind(tesk_vumo.EVT_VIEWER_LOADED,
                lambda event: loaded.append((event.path, event.success, event.cancelled, event.failure)))
    red = str(write_png(tmp_path / "red.png", solid(30, 40, (255, 0, 0))))
    missing = str(tmp_path / "missing.png")

    viewer.load_source_image(missing)
    assert viewer.loading
    viewer.load_source_image(red)
    assert pump_until(app, lambda: len(loaded) == 2, timeout=10)
    assert loaded == [(missing, False, True, ""), (red, True, False, "")]
    assert viewer.source_image.shape == (30, 40, 3) and (viewer.source_image == (255, 0, 0)).all()

    viewer.source_image = previous
    viewer.load_source_image(missing)
    assert pump_until(app, lambda: len(loaded) == 3, timeout=10)
    path, success, cancelled, failure = loaded[2]
    assert (path, success, cancelled) == (missing, False, False) and "文件或文件夹不存在" in failure
    assert viewer.source_image is previous

    with pytest.raises(TypeError, match="file path"):
        viewer.load_source_image(previous)


def test_other_threads_run_while_a_file_decodes(host, tmp_path):
    viewer = tesk_vumo.SimpleImagePanel(host, (200, 200))
    y, x = np.mgrid[0:2500, 0:2500]
    image = np.dstack([x % 251, y % 241, (x + y) % 256]).astype(np.uint8)
    path = quick_png(tmp_path / "large.png", image)
    ticks = []
    stop = threading.Event()

    def ticker():
        while not stop.is_set():
            ticks.append(time.perf_counter())
            time.sleep(0.001)

    thread = threading.Thread(target=ticker)
    thread.start()
    try:
        start = time.perf_counter()
        viewer.source_image = str(path)
        end = time.perf_counter()
    finally:
        stop.set()
        thread.join()
    assert viewer.source_image.shape == image.shape
    # Holding the interpreter's lock, the decode would let the ticker run at
    # most in a switch interval (5 ms) before it starts.
    during = [tick for tick in ticks if start + 0.02 < tick < end]
    assert len(during) >= 10, f"{len(during)} ticks in a decode of {end - start:.3f} s"
