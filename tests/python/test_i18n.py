"""The host chooses the language of the library's texts."""
import pytest
import wx

import tesk_vumo
from conftest import set_surface, solid


@pytest.fixture
def english():
    assert tesk_vumo.set_language("en")
    yield
    assert tesk_vumo.set_language("")


def test_save_box_and_dialog_in_english(host, interaction, tmp_path, english):
    panel = tesk_vumo.ImagePanel(host)
    set_surface(panel, 200, 200)
    panel.source_image = solid(20, 20, (1, 2, 3))
    interaction.paths = [str(tmp_path / "saved.png")]
    panel.on_save_image(wx.CommandEvent())
    assert interaction.messages == [("The image was saved.", "Information", wx.OK | wx.ICON_INFORMATION)]
    assert interaction.requests[0].message == "Choose the path and name of the file to save"


def test_unknown_language_changes_nothing(host):
    assert not tesk_vumo.set_language("xx_YY")
    viewer = tesk_vumo.Image(host)
    with pytest.raises(AssertionError, match="^加载图片文件失败"):
        viewer.source_image = "/no/such/file.png"
