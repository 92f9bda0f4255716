import gc
import os
import pathlib
import weakref

import numpy as np
import pytest
import wx

import tesk_vumo
from conftest import pump_until, rgb, solid, write_png
from tesk_vumo import SimpleImagePanel

GREEN = (10, 200, 30)
RED = (255, 0, 0)
BLUE = (0, 0, 255)
TYPE_PREFIX = "Unsupported image type. Expect [str, numpy.ndarray], got "


def background(panel):
    colour = panel.GetBackgroundColour()
    return colour.Red(), colour.Green(), colour.Blue()


@pytest.fixture
def red_png(tmp_path):
    return write_png(tmp_path / "red.png", solid(30, 40, RED))


@pytest.mark.parametrize("panel_size, image_size, shown_size, origin", [
    ((400, 300), (1000, 1000), (300, 300), (50, 0)),
    ((300, 400), (1000, 1000), (300, 300), (0, 50)),
    ((333, 200), (640, 480), (266, 200), (33, 0)),
    ((400, 300), (800, 600), (400, 300), (0, 0)),  # same aspect ratio: fills the panel
])
def test_image_is_scaled_to_fit_and_centred(host, panel_size, image_size, shown_size, origin):
    panel = SimpleImagePanel(host, panel_size)
    assert panel.GetSize() == panel_size and panel.GetClientSize() == panel_size
    panel.source_image = solid(image_size[1], image_size[0], GREEN)

    (w, h), (x, y) = shown_size, origin
    assert panel.image_being_shown.shape == (h, w, 3)
    buffer = panel.buffer
    assert buffer.GetSize() == panel_size
    for inside in [(x, y), (x + w - 1, y + h - 1), (x, y + h // 2), (x + w - 1, y + h // 2)]:
        assert rgb(buffer, *inside) == GREEN, inside
    outside = [(x - 1, y + h // 2), (x + w, y + h // 2), (x + w // 2, y - 1), (x + w // 2, y + h)]
    for point in outside:
        if 0 <= point[0] < panel_size[0] and 0 <= point[1] < panel_size[1]:
            assert rgb(buffer, *point) == background(panel), point


def test_resizing_refits_and_redraws(app, host):
    panel = SimpleImagePanel(host, wx.Size(400, 300))
    panel.source_image = solid(1000, 1000, GREEN)
    panel.SetSize(300, 400)
    assert pump_until(app, lambda: panel.buffer.GetSize() == (300, 400))
    assert panel.image_being_shown.shape == (300, 300, 3)
    assert rgb(panel.buffer, 150, 49) == background(panel)
    assert rgb(panel.buffer, 150, 50) == GREEN


@pytest.mark.parametrize("shape", [(48, 64), (48, 64, 1)])
def test_gray_array_becomes_rgb_with_equal_channels(host, shape):
    panel = SimpleImagePanel(host, (64, 48))
    gray = np.arange(48 * 64, dtype=np.uint32).reshape(48, 64).astype(np.uint8).reshape(shape)
    panel.source_image = gray

    stored = panel.source_image
    assert stored is not gray and stored.shape == (48, 64, 3) and stored.dtype == np.uint8
    for channel in range(3):
        np.testing.assert_array_equal(stored[:, :, channel], gray.reshape(48, 64))
    assert panel.source_image is stored
    assert rgb(panel.buffer, 5, 7) == (gray.flat[7 * 64 + 5],) * 3


def test_three_channel_array_is_shared_and_kept_alive(host):
    panel = SimpleImagePanel(host, (40, 30))
    image = solid(30, 40, GREEN)
    panel.source_image = image
    assert panel.source_image is image

    alive = weakref.ref(image)
    del image
    gc.collect()
    assert alive() is not None and panel.source_image is alive()
    panel.fitting()
    assert rgb(panel.buffer, 20, 15) == GREEN

    panel.source_image = None
    gc.collect()
    assert alive() is None


@pytest.mark.parametrize("make_view, top, bottom", [
    (lambda image: image[:, ::2], RED, BLUE),        # columns not adjacent
    (lambda image: image[::-1], BLUE, RED),          # rows upside down
    (lambda image: image[:, :, ::-1], BLUE, RED),    # channels reversed
])
def test_arrays_of_any_layout_show_their_own_pixels(host, make_view, top, bottom):
    image = np.empty((40, 80, 3), np.uint8)
    image[:20] = RED
    image[20:] = BLUE
    image[:, 1::2] = GREEN
    view = make_view(image)
    panel = SimpleImagePanel(host, (view.shape[1], view.shape[0]))
    panel.source_image = view

    assert panel.source_image is view
    x = 0
    assert rgb(panel.buffer, x, 2) == top
    assert rgb(panel.buffer, x, view.shape[0] - 3) == bottom


def test_none_clears_without_fitting(app, host):
    panel = SimpleImagePanel(host, (400, 300))
    panel.source_image = None  # on an empty panel: nothing to do, nothing raised
    assert panel.source_image is None and panel.image_being_shown is None

    panel.source_image = solid(100, 100, GREEN)
    shown = panel.image_being_shown
    panel.source_image = None
    assert panel.source_image is None
    assert panel.image_being_shown is shown

    panel.SetSize(200, 100)
    assert pump_until(app, lambda: panel.buffer.GetSize() == (200, 100))
    assert panel.image_being_shown is shown and shown.shape == (300, 300, 3)


def rejected_values(tmp_path):
    text_file = tmp_path / "notes.png"
    text_file.write_text("not an image")
    whole = write_png(tmp_path / "whole.png", solid(64, 64, RED)).read_bytes()
    truncated = tmp_path / "truncated.png"
    truncated.write_bytes(whole[:len(whole) // 2])
    missing = str(tmp_path / "missing.png")
    return [
        (missing, AssertionError, f"Load Image File [{missing}] Failed."),
        (str(text_file), AssertionError, f"Load Image File [{text_file}] Failed."),
        (str(truncated), AssertionError, f"Load Image File [{truncated}] Failed."),
        (str(tmp_path), AssertionError, f"Load Image File [{tmp_path}] Failed."),
        ("", AssertionError, "Load Image File [] Failed."),
        (np.zeros((4, 4, 3), np.float16), TypeError, TYPE_PREFIX + "numpy.ndarray of dtype float16 and shape (4, 4, 3)"),
        (np.zeros(5, np.uint8), TypeError, TYPE_PREFIX + "numpy.ndarray of dtype uint8 and shape (5,)"),
        (np.zeros((2, 2, 2, 3), np.uint8), TypeError,
         TYPE_PREFIX + "numpy.ndarray of dtype uint8 and shape (2, 2, 2, 3)"),
        (np.zeros((4, 4, 5), np.uint8), TypeError, TYPE_PREFIX + "numpy.ndarray of dtype uint8 and shape (4, 4, 5)"),
        (np.zeros((0, 4, 3), np.uint8), TypeError, TYPE_PREFIX + "numpy.ndarray of dtype uint8 and shape (0, 4, 3)"),
        (5, TypeError, TYPE_PREFIX + "<class 'int'>"),
        ([[1, 2], [3, 4]], TypeError, TYPE_PREFIX + "<class 'list'>"),
    ]


def test_rejected_values_raise_and_leave_the_panel_unchanged(host, tmp_path):
    panel = SimpleImagePanel(host, (400, 300))
    image = solid(1000, 1000, GREEN)
    panel.source_image = image
    shown = panel.image_being_shown

    for value, error, message in rejected_values(tmp_path):
        with pytest.raises(error) as raised:
            panel.source_image = value
        # A read failure gives its cause on a second line.
        assert str(raised.value).split("\n")[0] == message
        assert panel.source_image is image and panel.image_being_shown is shown
        assert rgb(panel.buffer, 50, 150) == GREEN


def test_image_files_load_in_rgb_through_every_kind_of_path(host, tmp_path, red_png):
    chinese = write_png(tmp_path / "图片.png", solid(30, 40, RED))
    undecodable = os.fsencode(str(tmp_path)) + b"/\xff.png"
    with open(undecodable, "wb") as file:
        file.write(red_png.read_bytes())

    panel = SimpleImagePanel(host, (40, 30))
    for path in [str(red_png), os.fsencode(str(red_png)), red_png, str(chinese), chinese, undecodable]:
        panel.source_image = None
        panel.source_image = path
        stored = panel.source_image
        assert stored.shape == (30, 40, 3), path
        assert (stored == RED).all(), path
        assert rgb(panel.buffer, 20, 15) == RED, path

    missing = os.fsencode(str(tmp_path)) + b"/\xfe.png"
    with pytest.raises(AssertionError) as raised:
        panel.source_image = missing
    assert str(raised.value) == f"Load Image File [{os.fsdecode(missing)}] Failed.\n文件或文件夹不存在"


def test_panel_is_a_wx_panel_in_the_window_tree(app, frame, host):
    panel = SimpleImagePanel(host, (100, 80))
    assert isinstance(panel, wx.Panel)
    sizer = wx.BoxSizer(wx.VERTICAL)
    sizer.Add(panel, 1, wx.EXPAND)
    host.SetSizer(sizer)
    host.Layout()
    assert pump_until(app, lambda: panel.GetSize() == host.GetClientSize())

    data = object()
    panel.user_data = data
    assert host.GetChildren()[0] is panel
    del panel
    gc.collect()
    child = host.GetChildren()[0]
    assert type(child) is SimpleImagePanel and child.user_data is data


def test_user_data_returns_what_was_set(host):
    panel = SimpleImagePanel(host, (100, 80))
    assert panel.user_data is None
    for value in [object(), [1, 2], None, panel]:
        panel.user_data = value
        assert panel.user_data is value


def test_destroyed_panel_raises_runtime_error(app, host):
    panel = SimpleImagePanel(host, (100, 80))
    panel.source_image = solid(10, 10, GREEN)
    image = weakref.ref(panel.source_image)
    host.Destroy()
    assert pump_until(app, lambda: not host)

    for use in [lambda: panel.source_image, lambda: panel.fitting(), lambda: panel.user_data,
                lambda: panel.buffer, lambda: panel.GetSize()]:
        with pytest.raises(RuntimeError):
            use()
    gc.collect()
    assert image() is None
    wrapper = weakref.ref(panel)
    del panel
    gc.collect()
    assert wrapper() is None


def test_construction_needs_a_parent_and_a_size(host):
    assert SimpleImagePanel(host, wx.Size(120, 90)).GetSize() == (120, 90)
    with pytest.raises(TypeError):
        SimpleImagePanel(host)
    with pytest.raises(TypeError):
        SimpleImagePanel(None, (10, 10))

    class Subclass(SimpleImagePanel):
        def __init__(self, parent, size):
            super().__init__(parent, size)
            self.extra = 1

    panel = Subclass(host, (50, 40))
    assert panel.extra == 1 and host.GetChildren()[-1] is panel and panel.GetSize() == (50, 40)


def test_handlers_take_wxpython_events(app, host):
    panel = SimpleImagePanel(host, (100, 80))
    event = wx.SizeEvent(wx.Size(100, 80))
    panel.on_size(event)
    assert event.GetSkipped()
    with pytest.raises(TypeError):
        panel.on_size(wx.CommandEvent())

    painted = []

    def on_paint(event):
        panel.on_paint(event)
        painted.append(True)

    panel.Bind(wx.EVT_PAINT, on_paint)
    panel.Refresh()
    assert pump_until(app, lambda: painted)


def test_module_exports():
    assert tesk_vumo.__version__
    assert tesk_vumo.SimpleImagePanel.__module__ == "tesk_vumo"
