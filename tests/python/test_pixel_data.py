"""Arrays of every sample type and channel count, shown through levels and read back with their true values."""
import numpy as np
import pytest
import wx

import tesk_vumo
from conftest import mouse, set_surface
from tesk_vumo import ZoomMode

KINDS = [np.uint8, np.uint16, np.int16, np.int32, np.float32, np.float64]


@pytest.mark.parametrize("cls", [tesk_vumo.ImagePanel, tesk_vumo.Image], ids=lambda cls: cls.__name__)
def test_array_kinds_are_shared_shown_through_levels_and_read_back(host, cls):
    viewer = cls(host)
    set_surface(viewer, 200, 200)
    viewer.zoom_mode = ZoomMode.NoZoom  # a 4 x 3 image drawn at (98, 98)
    values = []
    viewer.Bind(tesk_vumo.EVT_VIEWER_POINTER, lambda event: values.append(event.value))
    for dtype in KINDS:
        for channels in (1, 3, 4):
            array = (np.arange(12 * channels).reshape(3, 4, channels) * 3).astype(dtype)
            array = array[:, :, 0] if channels == 1 else array
            viewer.source_image = array
            if dtype is np.uint8 and channels == 1:
                assert viewer.source_image.shape == (3, 4, 3)  # 8-bit gray becomes R, G, B
                continue
            assert viewer.source_image is array  # shared, not copied
            want = tuple(array[2, 1].tolist()) if channels > 1 else array[2, 1].item()
            got = viewer.get_source_value(1, 2)
            assert got == want and type(got) is type(want)
            mouse(viewer, wx.wxEVT_MOTION, 98 + 1, 98 + 2)
            assert values[-1] == want and type(values[-1]) is type(want)
            mouse(viewer, wx.wxEVT_MOTION, 5, 5)
            assert values[-1] is None
            if channels != 3 or dtype is not np.uint8:
                assert viewer.display_levels == (0.0, 255.0 if dtype is np.uint8 else float(array.reshape(3, 4, -1)[..., :3].max()))

    # A 12-bit image in 16 bits, levelled to the screen: 4095 white, 1000 black, 2000 a quarter grey.
    viewer.source_image = np.array([[1000, 2000, 4095]], np.uint16)
    assert viewer.display_levels == (1000.0, 4095.0) and viewer.levels is None
    assert viewer.image_being_shown[0].tolist() == [[0, 0, 0], [82, 82, 82], [255, 255, 255]]
    viewer.levels = (0, 4095)
    assert viewer.levels == viewer.display_levels == (0.0, 4095.0)
    viewer.colormap = "hot"
    assert viewer.image_being_shown[0, 2].tolist() == [255, 255, 255]
    for name, bad in [("levels", (5, 5)), ("levels", (0, float("nan"))), ("colormap", "grey"),
                      ("interpolation", "cubic")]:
        with pytest.raises(ValueError):
            setattr(viewer, name, bad)
    assert (viewer.levels, viewer.colormap, viewer.interpolation) == ((0.0, 4095.0), "hot", "linear")
    viewer.native_depth = True
    assert viewer.native_depth
    with pytest.raises(ValueError):
        viewer.get_source_value(3, 1)
