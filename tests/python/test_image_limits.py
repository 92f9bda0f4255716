import pytest
import wx

import tesk_vumo


def test_the_host_sets_the_pixel_limit_of_image_files(frame, tmp_path):
    path = tmp_path / "small.png"
    assert wx.Image(37, 23).SaveFile(str(path), wx.BITMAP_TYPE_PNG)
    panel = tesk_vumo.SimpleImagePanel(frame, (200, 150))
    default = tesk_vumo.max_image_pixels()
    try:
        tesk_vumo.set_max_image_pixels(37 * 23 - 1)
        with pytest.raises(AssertionError):
            panel.source_image = str(path)
        assert panel.source_image is None
        tesk_vumo.set_max_image_pixels(37 * 23)
        panel.source_image = str(path)
        assert panel.source_image.shape == (23, 37, 3)
        with pytest.raises(ValueError):
            tesk_vumo.set_max_image_pixels(0)
    finally:
        tesk_vumo.set_max_image_pixels(default)
