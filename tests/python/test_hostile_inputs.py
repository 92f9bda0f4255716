"""Hostile values from Python: each is refused with an exception of a sensible kind and leaves the viewer as it
was, or does what the documentation says; none crashes the process."""
import functools
import gc
import mmap
import os
import re

import numpy as np
import pytest
import wx

import tesk_vumo
from conftest import installed, load_ended, pump_until, write_png
from tesk_vumo import Image, ImagePanel, ImagePanelAssist, Rotation, SimpleImagePanel, ZoomMode

VIEWERS = [SimpleImagePanel, ImagePanel, Image]
FULL_VIEWERS = [ImagePanel, Image]
INT_MIN, INT_MAX = -2**31, 2**31 - 1


@functools.lru_cache
def pattern(height, width):
    rows, columns = np.mgrid[0:height, 0:width]
    image = np.empty((height, width, 3), np.uint8)
    image[..., 0] = columns * 3
    image[..., 1] = rows * 4
    image[..., 2] = (rows * 7 + columns * 11) % 256
    return image


def picture(height=60, width=80):
    """A new image whose every pixel differs from its neighbours, so that any wrong layout shows."""
    return pattern(height, width).copy()


def blank(height=2000, width=2000):
    return np.zeros((height, width, 3), np.uint8)


def read_only(array):
    array = array.copy()
    array.flags.writeable = False
    return array


def make(cls, host, image=None):
    viewer = cls(host, (500, 400))
    viewer.source_image = picture() if image is None else image
    return viewer


def name_of(value):
    return getattr(value, "__name__", None)


@pytest.fixture(scope="module")
def shared(app):
    """Viewers kept for the whole module: refused values must leave them as they were, so each test checks what
    it needs and the next one starts from wherever they are."""
    frame = wx.Frame(None, size=(800, 600))
    frame.Show()
    host = wx.Panel(frame)
    shared = {"host": host,
              "kept": {cls: make(cls, host) for cls in VIEWERS},
              "pair": {cls: (make(cls, host), make(cls, host)) for cls in VIEWERS},
              "scrolled": {cls: make(cls, host, blank()) for cls in FULL_VIEWERS}}
    for viewer in shared["scrolled"].values():
        viewer.zoom_mode = ZoomMode.NoZoom
    panel = shared["kept"][ImagePanel]
    panel.on_close_assist_bar(wx.CommandEvent())
    shared["kept"][ImagePanelAssist] = panel.assist
    yield shared
    frame.Destroy()
    assert pump_until(app, lambda: not frame)


@pytest.fixture(params=VIEWERS, ids=name_of)
def viewer(request, shared):
    return shared["kept"][request.param]


@pytest.fixture(params=FULL_VIEWERS, ids=name_of)
def full_viewer(request, shared):
    return shared["kept"][request.param]


@pytest.fixture(params=FULL_VIEWERS, ids=name_of)
def scrolled(request, shared):
    """A full viewer showing a 2000 x 2000 image unscaled, scrolled to its top left corner."""
    viewer = shared["scrolled"][request.param]
    viewer.ui_scroll_bar_horizontal.SetThumbPosition(0)
    viewer.ui_scroll_bar_vertical.SetThumbPosition(0)
    return viewer


@pytest.fixture(params=VIEWERS, ids=name_of)
def fresh(request, host):
    return make(request.param, host)


def snapshot(viewer):
    """What a refused value must leave as it was."""
    taken = {"source_image": viewer.source_image, "image_being_shown": viewer.image_being_shown,
             "buffer": bytes(viewer.buffer.ConvertToImage().GetData())}
    if not isinstance(viewer, SimpleImagePanel):
        for name in ["zoom_mode", "rotation", "selection_rect", "middle_line_color", "following_line_color",
                     "fitting_count", "selecting_enabled"]:
            taken[name] = getattr(viewer, name)
        taken["scroll"] = (viewer.ui_scroll_bar_horizontal.GetThumbPosition(),
                           viewer.ui_scroll_bar_vertical.GetThumbPosition())
    return taken


def assert_unchanged(viewer, before):
    after = snapshot(viewer)
    for name in ["source_image", "image_being_shown"]:
        assert after.pop(name) is before[name], name
    assert after == {name: value for name, value in before.items() if name in after}


def refused(viewer, error, message, action):
    """Runs action, which must raise error with a message matching the regular expression message, and change
    nothing."""
    before = snapshot(viewer)
    with pytest.raises(error, match=message):
        action()
    assert_unchanged(viewer, before)


# ---- source_image: arrays

DTYPES = [bool, np.int8, np.uint32, np.int64, np.float16, np.complex64, np.complex128, object,
          np.dtype([("r", "u1"), ("g", "u1"), ("b", "u1")]), "V1", "S1", "U1", "datetime64[s]"]


@pytest.mark.parametrize("dtype", DTYPES, ids=str)
def test_arrays_of_other_sample_types_are_refused(viewer, dtype):
    array = np.zeros((4, 5, 3), dtype)
    refused(viewer, TypeError, re.escape(f"got numpy.ndarray of dtype {array.dtype} and shape (4, 5, 3)") + "$",
            lambda: setattr(viewer, "source_image", array))


SHAPES = [(), (5,), (2, 2, 2, 3), (1, 1, 1, 1), (0, 5), (5, 0), (0, 0), (0, 0, 3), (0, 5, 3), (5, 0, 3),
          (4, 5, 0), (4, 5, 2), (4, 5, 5)]


@pytest.mark.parametrize("shape", SHAPES, ids=str)
def test_arrays_of_other_shapes_are_refused(viewer, shape):
    array = np.zeros(shape, np.uint8)
    refused(viewer, TypeError, re.escape(f"got numpy.ndarray of dtype uint8 and shape {shape}") + "$",
            lambda: setattr(viewer, "source_image", array))


def claiming(shape, strides):
    """A few bytes seen through strides that claim all of shape: cheap, as long as nothing reads past them."""
    return np.lib.stride_tricks.as_strided(np.zeros(16, np.uint8), shape, strides)


# These used to wrap round to a few pixels, or to fail inside OpenCV. The refusal comes before any pixel is read.
@pytest.mark.parametrize("array", [
    claiming((1, 2**32 + 4), (0, 1)),
    claiming((2**32 + 2, 1), (1, 1)),
    claiming((1, 2**31), (0, 1)),
    claiming((1, 2**32 + 4, 3), (0, 3, 1)),
    claiming((2**31, 1, 1), (1, 1, 1)),
], ids=["columns past 2**32", "rows past 2**32", "columns at 2**31", "3 channels past 2**32", "rows at 2**31"])
def test_arrays_with_more_rows_or_columns_than_an_int_counts_are_refused(viewer, array):
    refused(viewer, TypeError, re.escape(f"and shape {array.shape}") + "$",
            lambda: setattr(viewer, "source_image", array))


class Subclass(np.ndarray):
    pass


LAYOUTS = {
    "every other row": lambda image: image[::2],
    "every other column": lambda image: image[:, ::2],
    "every other row and column": lambda image: image[::2, ::2],
    "rows flipped": lambda image: image[::-1],
    "columns flipped": lambda image: image[:, ::-1],
    "channels flipped": lambda image: image[:, :, ::-1],
    "all flipped": lambda image: image[::-1, ::-1, ::-1],
    "Fortran order": np.asfortranarray,
    "transposed": lambda image: image.transpose(1, 0, 2),
    "part of a larger array": lambda image: np.pad(image, ((3, 4), (5, 6), (0, 0)))[3:-4, 5:-6],
    "read-only": read_only,
    "read-only view": lambda image: read_only(image)[::2, ::-1],
    "bytes": lambda image: np.frombuffer(image.tobytes(), np.uint8).reshape(image.shape),
    "one pixel broadcast": lambda image: np.broadcast_to(image[7, 9], image.shape),
    "one row broadcast": lambda image: np.broadcast_to(image[:1], image.shape),
    "overlapping rows": lambda image: np.lib.stride_tricks.as_strided(image, (50, 70, 3), (3, 3, 1)),
    "uint8 marked big-endian": lambda image: image.astype(">u1"),
    "masked": lambda image: np.ma.masked_array(image, mask=image > 100),
    "ndarray subclass": lambda image: image.view(Subclass),
    "one row": lambda image: image[:1],
    "one column": lambda image: image[:, :1],
    "one pixel": lambda image: image[5:6, 5:6],
    "gray": lambda image: image[..., 1].copy(),
    "gray every other column": lambda image: image[:, ::2, 0],
    "gray Fortran order": lambda image: np.asfortranarray(image[..., 2]),
    "gray read-only": lambda image: read_only(image[..., 0]),
    "gray H x W x 1 flipped": lambda image: image[::-1, :, 1:2],
    "gray matrix": lambda image: np.matrix(image[..., 0]),
}


def as_rgb(array):
    """What a viewer stores for array: the pixels in a plain contiguous RGB array."""
    array = np.ascontiguousarray(np.asarray(array))
    if array.ndim == 2 or array.shape[2] == 1:
        array = np.repeat(array.reshape(array.shape[0], array.shape[1], 1), 3, axis=2)
    return array


@pytest.mark.filterwarnings("ignore:the matrix subclass:PendingDeprecationWarning")
@pytest.mark.parametrize("layout", LAYOUTS)
@pytest.mark.parametrize("cls", VIEWERS, ids=name_of)
def test_arrays_of_any_layout_show_what_a_contiguous_copy_shows(shared, cls, layout):
    viewer, reference = shared["pair"][cls]
    array = LAYOUTS[layout](picture())
    reference.source_image = as_rgb(array)
    viewer.source_image = array

    if np.ndim(array) == 3 and array.shape[2] == 3:
        assert viewer.source_image is array
    else:
        np.testing.assert_array_equal(viewer.source_image, as_rgb(array))
    np.testing.assert_array_equal(viewer.image_being_shown, reference.image_being_shown)
    assert viewer.buffer.ConvertToImage().GetData() == reference.buffer.ConvertToImage().GetData()


def read_out(viewer, x, y):
    """The colour read-out after the pointer moved to (x, y) of the drawing surface."""
    event = wx.MouseEvent(wx.wxEVT_MOTION)
    event.SetPosition(wx.Point(x, y))
    viewer.on_mouse_motion(event)
    return tuple(int(part) for part in viewer.ui_rgb.GetValue().split(", "))


@pytest.mark.parametrize("layout", ["every other row and column", "all flipped", "Fortran order", "bytes",
                                    "part of a larger array", "gray", "gray every other column",
                                    "one pixel broadcast"])
def test_arrays_the_caller_let_go_of_stay_shown(fresh, layout):
    array = LAYOUTS[layout](picture(700, 520))
    expected = as_rgb(array)
    fresh.source_image = array
    shown = fresh.image_being_shown.copy()
    picture_before = fresh.buffer.ConvertToImage().GetData()
    del array
    gc.collect()

    assert np.array_equal(fresh.source_image, expected)
    fresh.fitting()
    assert np.array_equal(fresh.image_being_shown, shown)
    assert fresh.buffer.ConvertToImage().GetData() == picture_before
    if isinstance(fresh, SimpleImagePanel):
        return
    fresh.zoom_mode = ZoomMode.NoZoom
    fresh.rotation = Rotation.Double90
    assert np.array_equal(fresh.image_being_shown, expected[::-1, ::-1])
    fresh.do_scroll(fresh.ui_scroll_bar_vertical, -1, 1)
    rect = fresh.image_rect
    row = fresh.ui_scroll_bar_vertical.GetThumbPosition()
    assert read_out(fresh, rect.x, rect.y) == tuple(expected[::-1, ::-1][row, 0])


def test_memory_under_a_shown_array_cannot_be_taken_away(fresh):
    resizable = picture()
    fresh.source_image = resizable
    with pytest.raises(ValueError, match="cannot resize"):
        resizable.resize((2, 2, 3))
    np.testing.assert_array_equal(fresh.source_image, picture())

    mapped = mmap.mmap(-1, picture().nbytes)
    array = np.frombuffer(mapped, np.uint8).reshape(picture().shape)
    array[:] = picture()
    fresh.source_image = array
    del array
    with pytest.raises(BufferError):
        mapped.close()

    storage = bytearray(picture().tobytes())
    fresh.source_image = np.frombuffer(storage, np.uint8).reshape(picture().shape)
    with pytest.raises(BufferError):
        storage.extend(b"more")
    fresh.source_image = None
    gc.collect()
    storage.extend(b"more")
    mapped.close()


# ---- source_image: values that are no arrays, and paths

@pytest.mark.parametrize("value, kind", [
    (memoryview(b"\0" * 12), "memoryview"),
    (bytearray(12), "bytearray"),
    ([[1, 2], [3, 4]], "list"),
    ((1, 2, 3), "tuple"),
    ({"pixels": 1}, "dict"),
    ({1, 2}, "set"),
    (5, "int"),
    (2.5, "float"),
    (1j, "complex"),
    (True, "bool"),
    (np.uint8(7), "numpy.uint8"),
    (object(), "object"),
    (Ellipsis, "ellipsis"),
    (range(3), "range"),
], ids=lambda value: value if isinstance(value, str) else None)
def test_values_that_are_no_image_are_refused(viewer, value, kind):
    refused(viewer, TypeError, re.escape(f"got <class '{kind}'>") + "$",
            lambda: setattr(viewer, "source_image", value))


def test_toolkit_images_are_refused(viewer):
    for value in [wx.Image(4, 4), wx.Bitmap(4, 4)]:
        refused(viewer, TypeError, "got <class 'wx._core.", lambda: setattr(viewer, "source_image", value))


class RaisingPath:
    def __fspath__(self):
        raise KeyError("no path today")


class NumberPath:
    def __fspath__(self):
        return 5


class NonePath:
    def __fspath__(self):
        return None


@pytest.mark.parametrize("value, error, message", [
    ("pic\0ture.png", AssertionError, re.escape("[pic\\x00ture.png]")),
    (b"pic\0ture.png", AssertionError, re.escape("[pic\\x00ture.png]")),
    ("\0", AssertionError, re.escape("[\\x00]")),
    ("missing-\udcff.png", AssertionError, "missing-"),
    (b"missing-\xff\xfe.png", AssertionError, "missing-"),
    ("", AssertionError, re.escape("[]")),
    (RaisingPath(), KeyError, "no path today"),
    (NumberPath(), TypeError, "__fspath__"),
    (NonePath(), TypeError, "__fspath__"),
], ids=["NUL in str", "NUL in bytes", "only NUL", "surrogate-escaped str", "undecodable bytes", "empty",
        "__fspath__ raising", "__fspath__ giving int", "__fspath__ giving None"])
def test_paths_that_name_no_readable_file_are_refused(viewer, value, error, message):
    refused(viewer, error, message, lambda: setattr(viewer, "source_image", value))


def test_a_nul_never_opens_the_file_named_before_it(viewer, tmp_path):
    real = write_png(tmp_path / "real.png", picture(10, 10))
    refused(viewer, AssertionError, "real.png", lambda: setattr(viewer, "source_image", f"{real}\0.txt"))


# ---- properties and method arguments

@pytest.mark.parametrize("name", ["zoom_mode", "rotation"])
@pytest.mark.parametrize("value, error", [
    ("x", TypeError), ("FitPage", TypeError), (None, TypeError), (3.5, TypeError), (True, TypeError),
    ([0], TypeError), (7, ValueError), (-1, ValueError), (5, ValueError),
    (2**70, ValueError), (-2**70, ValueError), (wx.ID_OK, ValueError),
], ids=repr)
def test_zoom_mode_and_rotation_refuse_what_is_no_member(full_viewer, name, value, error):
    refused(full_viewer, error, "", lambda: setattr(full_viewer, name, value))


@pytest.mark.parametrize("name", ["zoom_mode", "rotation"])
def test_a_member_of_the_other_enumeration_is_refused(full_viewer, name):
    other = Rotation.Double90 if name == "zoom_mode" else ZoomMode.FitWidth
    refused(full_viewer, TypeError, "", lambda: setattr(full_viewer, name, other))


@pytest.mark.parametrize("name", ["middle_line_color", "following_line_color"])
@pytest.mark.parametrize("value, error, message", [
    ((256, 0, 0), ValueError, "0..255"), ((-1, 0, 0), ValueError, "0..255"), ((0, 0, 0, 256), ValueError, "0..255"),
    ((0, 2**40, 0), TypeError, ""), ((1, 2), TypeError, ""), ((1, 2, 3, 4, 5), TypeError, ""),
    ((1.5, 2, 3), TypeError, ""), ("no such colour", ValueError, "colour name"), (b"\1\2\3", TypeError, ""),
    (None, TypeError, ""), (0xff0000, TypeError, ""), ([], TypeError, ""),
    # It used to be stored: the lines then silently disappeared.
    (wx.Colour(), ValueError, "without one"),
], ids=repr)
def test_line_colours_refuse_what_is_no_colour(full_viewer, name, value, error, message):
    refused(full_viewer, error, message, lambda: setattr(full_viewer, name, value))


@pytest.mark.parametrize("rect", [
    (1, 2, 3), (1, 2, 3, 4, 5), (), "abcd", b"abcd", (1.5, 2, 3, 4), (2**31, 0, 1, 1), (0, 0, 1, -2**31 - 1),
    (2**70, 0, 0, 0), None, 5, {1: 2}, (wx.Point(1, 2), 3, 4, 5), ("1", 2, 3, 4),
], ids=repr)
def test_set_selection_rect_refuses_what_is_no_rectangle(full_viewer, rect):
    refused(full_viewer, TypeError, "", lambda: full_viewer.set_selection_rect(rect))


@pytest.mark.parametrize("rect", [
    (INT_MIN, INT_MIN, INT_MAX, INT_MAX), (INT_MAX, INT_MAX, INT_MAX, INT_MAX), (INT_MIN, INT_MIN, INT_MIN, INT_MIN),
    (0, 0, INT_MIN, INT_MIN), (INT_MAX, 0, INT_MIN, 1), (-1, -1, 5, 5), (10, 10, 0, 0),
], ids=repr)
def test_any_int_rectangle_is_stored_and_read_back_inside_the_image(scrolled, rect):
    scrolled.set_selection_rect(np.array(rect, np.int64))
    assert tuple(scrolled.selection_rect) == rect
    *_, width, height = scrolled.get_selection_rect()
    assert width >= 0 and height >= 0
    part = scrolled.get_selection_image()
    rows, columns, _ = scrolled.image_being_shown.shape
    assert part is None or (part.shape[0] <= rows and part.shape[1] <= columns)
    scrolled.draw_image()


def scroll_bar_of_a_destroyed_window(viewer):
    bar = wx.ScrollBar(viewer.GetParent())
    bar.Destroy()
    return bar


@pytest.mark.parametrize("make_args, error", [
    (lambda v: (v.ui_image, 1, 1), TypeError),
    (lambda v: (v, 1, 1), TypeError),
    (lambda v: (5, 1, 1), TypeError),
    (lambda v: ("bar", 1, 1), TypeError),
    (lambda v: (v.ui_scroll_bar_vertical, 2**31, 1), TypeError),
    (lambda v: (v.ui_scroll_bar_vertical, 1, 2**40), TypeError),
    (lambda v: (v.ui_scroll_bar_vertical, 1.0, 1), TypeError),
    (lambda v: (v.ui_scroll_bar_vertical, None, 1), TypeError),
    (lambda v: (v.ui_scroll_bar_vertical, 1), TypeError),
    (lambda v: (scroll_bar_of_a_destroyed_window(v), 1, 1), RuntimeError),
], ids=["drawing surface", "viewer", "int", "str", "sign past int", "count past int", "float sign",
        "None sign", "no count", "destroyed bar"])
def test_do_scroll_refuses_what_is_no_scroll_bar_or_count(scrolled, make_args, error):
    scrolled.do_scroll(scrolled.ui_scroll_bar_vertical, -1, 5)
    args = make_args(scrolled)
    refused(scrolled, error, "", lambda: scrolled.do_scroll(*args))


@pytest.mark.parametrize("sign, count", [(INT_MIN, INT_MAX), (INT_MAX, INT_MAX), (-1, INT_MIN), (INT_MIN, INT_MIN),
                                         (1, 0), (0, INT_MAX)])
def test_do_scroll_by_any_int_stays_within_the_range(scrolled, sign, count):
    for bar in [scrolled.ui_scroll_bar_horizontal, scrolled.ui_scroll_bar_vertical]:
        scrolled.do_scroll(bar, sign, count)
        assert 0 <= bar.GetThumbPosition() <= bar.GetRange() - bar.GetThumbSize()
    before = snapshot(scrolled)
    scrolled.do_scroll(None, sign, count)  # no bar: nothing to move
    assert_unchanged(scrolled, before)


@pytest.mark.parametrize("call", [
    lambda v: v.fitting(keep_scroll_pos="yes"),
    lambda v: v.fitting(keep_scroll_pos=[]),
    lambda v: v.fitting(keep_scroll_pos=object()),
    lambda v: v.fitting(True, False),
    lambda v: v.fitting(scroll=True),
    lambda v: v.enable_selecting("no"),
    lambda v: v.enable_selecting([]),
    lambda v: v.set_selection_rect(),
    lambda v: v.get_selection_rect(1),
    lambda v: v.draw_image(None),
    lambda v: v.init_buffer(1),
], ids=["fitting str", "fitting list", "fitting object", "fitting two", "fitting unknown name",
        "enable_selecting str", "enable_selecting list", "set_selection_rect nothing",
        "get_selection_rect extra", "draw_image extra", "init_buffer extra"])
def test_methods_refuse_arguments_of_the_wrong_kind(full_viewer, call):
    refused(full_viewer, TypeError, "", lambda: call(full_viewer))


@pytest.mark.parametrize("call", [
    lambda v: v.fitting(1),
    lambda v: v.init_buffer(None),
    lambda v: v.on_size(None),
], ids=["fitting extra", "init_buffer extra", "on_size None"])
def test_simple_panel_methods_refuse_arguments_of_the_wrong_kind(shared, call):
    panel = shared["kept"][SimpleImagePanel]
    refused(panel, TypeError, "", lambda: call(panel))


@pytest.mark.parametrize("name", ["middle_line_enabled", "following_line_enabled"])
@pytest.mark.parametrize("value", ["yes", [], object()], ids=repr)
def test_image_line_switches_refuse_what_is_no_bool(shared, name, value):
    viewer = shared["kept"][Image]
    switched = getattr(viewer, name)
    refused(viewer, TypeError, "", lambda: setattr(viewer, name, value))
    assert getattr(viewer, name) is switched


@pytest.mark.parametrize("make_value", [object, lambda: np.zeros((1000, 1000, 3), np.uint8), lambda: Exception("x"),
                                        lambda: type, lambda: (lambda: 1), lambda: wx.Colour(1, 2, 3),
                                        lambda: None, lambda: float("nan")],
                         ids=["object", "array", "exception", "type", "function", "wx object", "None", "nan"])
def test_user_data_keeps_anything(viewer, make_value):
    value = make_value()
    before = snapshot(viewer)
    viewer.user_data = value
    assert viewer.user_data is value
    assert_unchanged(viewer, before)
    viewer.user_data = viewer
    assert viewer.user_data is viewer


# ---- handlers given events of the wrong kind

def accepted_event(function):
    """The wx event class a bound handler takes, from its signature."""
    found = re.search(r"event: wx\.(\w+)", function.__doc__.splitlines()[0])
    return getattr(wx, found.group(1)) if found else None


def handlers(cls):
    return [(cls, name) for name, member in vars(cls).items()
            if name.startswith("on_") and callable(member) and accepted_event(member)]


HANDLERS = [case for cls in VIEWERS + [ImagePanelAssist] for case in handlers(cls)]


def wrong_events(accepted, window):
    """What a handler must refuse; one that ignores its event (it takes wx.Event | None) takes any event and None."""
    candidates = [wx.CommandEvent(), wx.MouseEvent(wx.wxEVT_MOTION), wx.ScrollEvent(), wx.SizeEvent(wx.Size(5, 5)),
                  wx.CloseEvent(), wx.KeyEvent(), wx.ContextMenuEvent(), wx.IdleEvent(), wx.PyEvent(), None, 0, 5,
                  "event", window, wx.Rect()]
    return [event for event in candidates
            if not isinstance(event, accepted) and not (accepted is wx.Event and event is None)]


@pytest.mark.parametrize("cls, name", HANDLERS, ids=lambda value: name_of(value) or value)
def test_handlers_refuse_events_of_the_wrong_kind(shared, cls, name):
    target = shared["kept"][cls]
    watched = shared["kept"][ImagePanel] if cls is ImagePanelAssist else target
    handler = getattr(target, name)
    accepted = accepted_event(handler)
    for event in wrong_events(accepted, shared["host"]):
        before = snapshot(watched)
        with pytest.raises(TypeError, match=f"{accepted.__name__}|incompatible function arguments"):
            handler(event)
        assert_unchanged(watched, before)


# ---- events of the right kind with hostile contents

def wheel(viewer, position, rotation=-120, source=None):
    event = wx.MouseEvent(wx.wxEVT_MOUSEWHEEL)
    event.SetPosition(wx.Point(*position))
    event.SetWheelRotation(rotation)
    event.SetWheelDelta(120)
    if source is not None:
        event.SetEventObject(source)
    return event


@pytest.mark.parametrize("position, horizontal", [
    ((0, INT_MIN), False), ((INT_MIN, 0), True), ((INT_MAX, 0), False), ((0, INT_MAX), True),
    ((INT_MIN, INT_MIN), True), ((INT_MAX, INT_MAX), True),
], ids=repr)
def test_wheel_far_off_the_surface_moves_the_bar_of_the_nearer_edge(scrolled, position, horizontal):
    # The edge distances used to wrap round in int and pick the other bar.
    client = scrolled.ui_image.GetClientSize()
    assert client.height < client.width
    moved = scrolled.ui_scroll_bar_horizontal if horizontal else scrolled.ui_scroll_bar_vertical
    kept = scrolled.ui_scroll_bar_vertical if horizontal else scrolled.ui_scroll_bar_horizontal
    scrolled.on_mouse_wheel(wheel(scrolled, position))
    assert (moved.GetThumbPosition(), kept.GetThumbPosition()) == (10, 0)


@pytest.mark.parametrize("rotation", [INT_MIN, INT_MAX, 0, 1])
def test_wheel_turns_of_any_size_scroll_one_step(scrolled, rotation):
    bar = scrolled.ui_scroll_bar_vertical
    bar.SetThumbPosition(500)
    scrolled.on_mouse_wheel(wheel(scrolled, (400, 0), rotation))
    assert bar.GetThumbPosition() == 500 - np.sign(rotation) * 10


def test_wheel_over_something_that_is_no_scroll_bar_moves_nothing(scrolled):
    menu = wx.Menu()
    for source in [None, menu, scrolled.ui_image, scrolled, scrolled.GetParent()]:
        before = snapshot(scrolled)
        scrolled.on_mouse_wheel_scroll(wheel(scrolled, (5, 5), source=source))
        assert_unchanged(scrolled, before)
    menu.Destroy()


@pytest.mark.parametrize("position", [(INT_MIN, INT_MIN), (INT_MAX, INT_MAX), (0, INT_MIN), (INT_MIN, 0), (-1, -1)],
                         ids=repr)
def test_pointer_anywhere_in_the_int_range_points_at_no_pixel(scrolled, position):
    scrolled.set_selection_rect((1, 2, 3, 4))
    shown = scrolled.image_being_shown
    for kind, handler in [(wx.wxEVT_MOTION, scrolled.on_mouse_motion), (wx.wxEVT_LEFT_DOWN, scrolled.on_start_dragging),
                          (wx.wxEVT_MOTION, scrolled.on_mouse_motion)]:
        event = wx.MouseEvent(kind)
        event.SetPosition(wx.Point(*position))
        event.SetLeftDown(True)
        handler(event)
        assert scrolled.get_mouse_image_position() == (-1, -1)
    assert scrolled.mouse_position_in_panel == position
    assert scrolled.selection_rect == wx.Rect(-1, -1, 0, 0)  # the press cleared it, no drag grew one
    assert scrolled.image_being_shown is shown


# ---- constructors

@pytest.mark.parametrize("cls", VIEWERS, ids=name_of)
@pytest.mark.parametrize("make_args, error", [
    (lambda host: (None, (50, 50)), TypeError),
    (lambda host: (5, (50, 50)), TypeError),
    (lambda host: ("frame", (50, 50)), TypeError),
    (lambda host: (wx.Rect(), (50, 50)), TypeError),
    (lambda host: (host, "size"), TypeError),
    (lambda host: (host, (1.5, 2)), TypeError),
    (lambda host: (host, (1, 2, 3)), TypeError),
    (lambda host: (host, (2**31, 1)), TypeError),
    (lambda host: (host, None), TypeError),
], ids=["None parent", "int parent", "str parent", "rect parent", "str size", "float size", "three sizes",
        "size past int", "None size"])
def test_construction_refuses_what_is_no_parent_or_size(shared, cls, make_args, error):
    host = shared["host"]
    children = len(host.GetChildren())
    with pytest.raises(error):
        cls(*make_args(host))
    assert len(host.GetChildren()) == children


@pytest.mark.parametrize("cls", VIEWERS + [ImagePanelAssist], ids=name_of)
def test_construction_in_a_destroyed_parent_raises_runtime_error(app, frame, cls):
    parent = wx.Panel(frame) if cls is not ImagePanelAssist else ImagePanel(frame)
    parent.Destroy()
    assert pump_until(app, lambda: not parent)
    with pytest.raises(RuntimeError):
        cls(parent) if cls is ImagePanelAssist else cls(parent, (50, 50))


@pytest.mark.parametrize("cls, other", [
    (cls, other) for cls in VIEWERS
    for other in [wx.Panel, wx.Frame, SimpleImagePanel, ImagePanel, Image, int, object, "not a class"]
    if other is not cls], ids=lambda value: name_of(value) or repr(value))
def test_init_makes_a_window_only_for_its_own_class_once(shared, cls, other):
    host = shared["host"]
    children = len(host.GetChildren())
    # A wrapper of another class would pass the widget off as a window it is not.
    stranger = other.__new__(other) if isinstance(other, type) else other
    with pytest.raises(TypeError, match="needs an instance of"):
        cls.__init__(stranger, host, (50, 50))
    with pytest.raises(RuntimeError, match="called twice"):
        cls.__init__(shared["kept"][cls], host, (50, 50))
    assert len(host.GetChildren()) == children


# ---- a user-interaction provider that misbehaves

class Provider:
    """Answers ask_path with the scripted answers and records messages."""

    def __init__(self, *answers):
        self.answers = list(answers)
        self.messages = []

    def ask_path(self, request):
        answer = self.answers.pop(0)
        return answer(request) if callable(answer) and not isinstance(answer, type) else answer

    def show_message(self, text, caption, style):
        self.messages.append(text)
        return wx.OK

    def popup_menu(self, window, menu, position):
        pass


@pytest.fixture
def provider():
    with installed(Provider()) as scripted:
        yield scripted


def broken_files(tmp_path):
    whole = write_png(tmp_path / "whole.png", picture(40, 40)).read_bytes()
    files = {"truncated": whole[:len(whole) // 2], "empty": b"", "random": bytes(range(256)) * 8,
             "header only": whole[:33]}
    paths = {}
    for name, data in files.items():
        paths[name] = tmp_path / f"{name}.png"
        paths[name].write_bytes(data)
    paths["directory"] = tmp_path
    paths["missing"] = tmp_path / "missing.png"
    return paths


LOADERS = [(ImagePanel, "on_load_image"), (Image, "on_load_image"), (ImagePanelAssist, "on_load_image")]


def loader(host, cls):
    """A new viewer, and the window whose commands drive it."""
    if cls is ImagePanelAssist:
        panel = make(ImagePanel, host)
        panel.on_close_assist_bar(wx.CommandEvent())
        return panel, panel.assist
    viewer = make(cls, host)
    return viewer, viewer


@pytest.mark.parametrize("cls, name", LOADERS, ids=lambda value: name_of(value) or value)
@pytest.mark.parametrize("answer, printed", [
    (lambda real: 5, "TypeError"), (lambda real: 2.5, "TypeError"), (lambda real: [], "TypeError"),
    (lambda real: {}, "TypeError"), (lambda real: object(), "TypeError"),
    (lambda real: lambda request: request, "TypeError"), (lambda real: RaisingPath(), "KeyError"),
    (lambda real: NumberPath(), "TypeError"),
    # These used to open the file named before the NUL.
    (lambda real: f"{real}\0.txt", "ValueError"), (lambda real: os.fsencode(real) + b"\0", "ValueError"),
], ids=["int", "float", "list", "dict", "object", "the request", "__fspath__ raising", "__fspath__ giving int",
        "NUL after a real file", "NUL in bytes"])
def test_load_answers_that_are_no_path_change_nothing(shared, provider, capsys, tmp_path, cls, name, answer,
                                                      printed):
    real = write_png(tmp_path / "real.png", picture(10, 10))
    target = shared["kept"][cls]
    viewer = shared["kept"][ImagePanel] if cls is ImagePanelAssist else target
    provider.answers = [answer(real)]
    before = snapshot(viewer)
    getattr(target, name)(wx.CommandEvent())
    assert_unchanged(viewer, before)
    assert provider.messages == []
    assert printed in capsys.readouterr().err


@pytest.mark.parametrize("cls", FULL_VIEWERS, ids=name_of)
@pytest.mark.parametrize("broken", ["truncated", "empty", "random", "header only", "directory", "missing"])
def test_load_answers_naming_broken_files(host, provider, tmp_path, cls, broken):
    viewer = make(cls, host)
    source = viewer.source_image
    path = broken_files(tmp_path)[broken]
    provider.answers = [path]
    viewer.on_load_image(wx.CommandEvent())
    load_ended(viewer)
    # Both viewers keep their image and name the file and the cause.
    assert viewer.source_image is source
    assert len(provider.messages) == 1 and f"[{path}]\n" in provider.messages[0]


@pytest.mark.parametrize("cls, name", [(ImagePanel, "on_save_image"), (Image, "on_save_current_view"),
                                       (Image, "on_save_grayscale")], ids=lambda value: name_of(value) or value)
def test_save_answers_with_a_nul_write_nothing(host, provider, capsys, tmp_path, cls, name):
    viewer = make(cls, host)
    provider.answers = [f"{tmp_path / 'saved.png'}\0.txt"]
    getattr(viewer, name)(wx.CommandEvent())
    assert os.listdir(tmp_path) == [] and provider.messages == []
    assert "ValueError" in capsys.readouterr().err


@pytest.mark.parametrize("reply, printed", [
    ("ok", "TypeError: show_message must return an int or None, got str"),
    (1.5, "TypeError: show_message must return an int or None, got float"),
    (object(), "TypeError: show_message must return an int or None, got object"),
    (2**70, "RuntimeError: Unable to cast"),
    (KeyError("no box"), "KeyError: 'no box'"),
], ids=["str", "float", "object", "int past C", "raising"])
def test_message_answers_of_any_kind_are_survived(host, provider, capsys, tmp_path, reply, printed):
    # Errors raised by the module itself, not by the provider, used to go unprinted.
    viewer = make(ImagePanel, host)
    saved = tmp_path / "saved.png"

    def show_message(text, caption, style):
        if isinstance(reply, Exception):
            raise reply
        return reply

    provider.show_message = show_message
    provider.answers = [saved]
    viewer.on_save_image(wx.CommandEvent())
    assert saved.exists()
    assert printed in capsys.readouterr().err


@pytest.mark.parametrize("cls, action", [(ImagePanel, "load"), (ImagePanel, "save"), (ImagePanel, "assist load"),
                                         (Image, "load"), (Image, "save"), (Image, "popup")],
                         ids=lambda value: name_of(value) or value)
def test_a_provider_that_destroys_the_viewer_is_survived(app, host, provider, tmp_path, cls, action):
    viewer, target = loader(host, ImagePanelAssist if action == "assist load" else cls)
    real = write_png(tmp_path / "real.png", picture(10, 10))

    def destroy(*args):
        viewer.Destroy()
        return str(real) if action != "save" else str(tmp_path / "saved.png")

    provider.ask_path = destroy
    provider.popup_menu = destroy
    # It used to load into the freed viewer, or clear the popup position in freed memory.
    if action == "popup":
        viewer.on_popup_menu(wx.ContextMenuEvent(wx.wxEVT_CONTEXT_MENU, 0, wx.Point(5, 5)))
    elif action == "save":
        getattr(viewer, "on_save_image" if cls is ImagePanel else "on_save_current_view")(wx.CommandEvent())
        assert (tmp_path / "saved.png").exists()
    else:
        target.on_load_image(wx.CommandEvent())
    assert pump_until(app, lambda: not viewer and not target)
    with pytest.raises(RuntimeError):
        viewer.source_image


# ---- every member after the window is destroyed

VALUES = {"source_image": lambda: picture(), "zoom_mode": lambda: ZoomMode.FitWidth,
          "rotation": lambda: Rotation.Double90, "middle_line_color": lambda: (1, 2, 3),
          "following_line_color": lambda: (1, 2, 3), "user_data": object, "middle_line_enabled": lambda: True,
          "following_line_enabled": lambda: True, "zoom_rate": lambda: 2.0, "rotation_degree": lambda: 30.0,
          "native_depth": lambda: True, "levels": lambda: (1.0, 2.0), "colormap": lambda: "jet",
          "interpolation": lambda: "nearest"}
ARGUMENTS = {"do_scroll": (None, 1, 1), "set_selection_rect": ((1, 2, 3, 4),), "enable_selecting": (True,),
             "fitting": (), "enable_middle_lines": (True,), "display_to_source": (1.0, 2.0),
             "source_to_display": (1.0, 2.0), "load_source_image": ("image.png",), "get_source_value": (0, 0),
             "add_rect": (1, 2, 3, 4, "red"), "add_polygon": ([(1, 2)], "red"), "add_points": ([(1, 2)], "red"),
             "add_text": (1, 2, "a", "red"), "add_mask": (np.zeros((2, 2), bool), "red"), "hit_test": (1, 2),
             "overlay_rect": (1,), "remove_overlay": (1,), "set_overlay_visible": (1, True),
             "on_drop_files": (1, 2, ["image.png"])}


def arguments(name, function):
    if name in ARGUMENTS:
        return ARGUMENTS[name]
    accepted = accepted_event(function)
    if accepted is None:
        return ()
    if accepted is wx.Event:
        return (None,)
    return (wx.SizeEvent(wx.Size(5, 5)) if accepted is wx.SizeEvent else accepted(),)


def uses(cls):
    """Every public use of cls's own members: reading and setting each property, calling each method."""
    found = []
    for name, member in sorted(vars(cls).items()):
        if name.startswith("_") or isinstance(member, type):
            continue
        if isinstance(member, property):
            found.append((f"get {name}", lambda w, name=name: getattr(w, name)))
            if member.fset and name in VALUES:
                found.append((f"set {name}", lambda w, name=name: setattr(w, name, VALUES[name]())))
        elif accepted_event(member) is wx.PaintEvent:
            continue  # wxPython cannot make a paint event outside a paint
        else:
            found.append((name, lambda w, name=name, member=member: getattr(w, name)(*arguments(name, member))))
    return found


@pytest.mark.parametrize("cls", VIEWERS + [ImagePanelAssist], ids=name_of)
def test_every_member_raises_runtime_error_after_the_window_is_destroyed(app, host, provider, cls):
    _, window = loader(host, cls)
    host.Destroy()
    assert pump_until(app, lambda: not host and not window)
    tried = uses(cls) + [("GetSize", lambda w: w.GetSize()), ("Refresh", lambda w: w.Refresh())]
    assert len(tried) > 5
    wrong = {}
    for name, use in tried:
        try:
            use(window)
            wrong[name] = "nothing raised"
        except RuntimeError as error:
            if not re.search("deleted|destroyed", str(error)):
                wrong[name] = repr(error)
        except Exception as error:
            wrong[name] = repr(error)
    assert wrong == {}
