"""The clipboard and dropped files, as a wxPython host meets them."""
import numpy as np
import pytest
import wx

import tesk_vumo
from conftest import load_ended, solid, write_png


@pytest.mark.parametrize("cls", [tesk_vumo.ImagePanel, tesk_vumo.Image], ids=lambda cls: cls.__name__)
def test_copy_and_paste_go_through_the_clipboard(host, cls):
    viewer, other = cls(host, size=(300, 200)), cls(host, size=(300, 200))
    source = np.random.default_rng(3).integers(0, 256, (30, 40, 3), np.uint8)
    viewer.source_image = source
    viewer.set_selection_rect([10, 10, 50, 40])
    assert viewer.copy_to_clipboard(source=True)
    assert other.paste_from_clipboard()
    np.testing.assert_array_equal(other.source_image, viewer.get_selection_image(source=True))
    assert viewer.copy_to_clipboard()
    assert other.paste_from_clipboard()
    np.testing.assert_array_equal(other.source_image, viewer.get_selection_image())


class Refusing(tesk_vumo.ImagePanel):
    """A host that takes over drops of text files."""

    def __init__(self, parent):
        super().__init__(parent)
        self.texts = []

    def on_drop_files(self, x, y, paths):
        if all(path.endswith(".txt") for path in paths):
            self.texts += paths
            return True
        return super().on_drop_files(x, y, paths)


def test_a_drop_loads_unless_the_host_takes_it(host, tmp_path):
    viewer = Refusing(host)
    vetoed = []

    def on_drop(event):
        if any("veto" in path for path in event.paths):
            vetoed.append(event.paths)
            event.veto()

    viewer.Bind(tesk_vumo.EVT_VIEWER_DROP, on_drop)
    red = str(write_png(tmp_path / "red.png", solid(9, 12, (255, 0, 0))))
    blue = str(write_png(tmp_path / "veto.png", solid(9, 12, (0, 0, 255))))
    note, note2 = str(tmp_path / "note.txt"), str(tmp_path / "other.txt")

    assert viewer.on_drop_files(3, 4, [red])
    load_ended(viewer)
    np.testing.assert_array_equal(viewer.source_image, solid(9, 12, (255, 0, 0)))
    assert not viewer.on_drop_files(3, 4, [blue]) and vetoed == [[blue]]
    assert viewer.on_drop_files(3, 4, [note]) and viewer.texts == [note]
    # The viewer's drop target hands real drops to the override.
    target = wx.siplib.cast(viewer.ui_image.GetDropTarget(), wx.FileDropTarget)
    assert target.OnDropFiles(5, 6, [note2]) and viewer.texts == [note, note2]
    np.testing.assert_array_equal(viewer.source_image, solid(9, 12, (255, 0, 0)))
