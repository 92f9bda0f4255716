"""The host chooses the language of the library's texts."""
import os
import subprocess
import sys

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


def test_set_language_relabels_existing_viewers_menus_and_windows(host, english):
    assert tesk_vumo.set_language("")
    panel = tesk_vumo.ImagePanel(host)
    viewer = tesk_vumo.Image(host)
    panel.ui_angle.SetSelection(1)
    panel.on_close_assist_bar(wx.CommandEvent())
    floating = panel.assist

    assert tesk_vumo.set_language("en")
    assert (panel.ui_checkbox_middle_lines.GetLabel(), panel.ui_zoom_mode.GetString(0)) == ("Centre", "Fit page")
    assert panel.ui_angle.GetSelection() == 1, "relabelling keeps the choice"
    assert panel.ui_button_save.GetToolTipText() == "Save the shown image (or the selection) to a file"
    assert (floating.GetTitle(), floating.ui_angle.GetString(1)) == ("Image assistant", "90° CW")
    labels = [item.GetItemLabelText() for item in viewer.ui_poup_menu.GetMenuItems()]
    assert labels[:2] == ["Zoom", "Rotation"] and "Save as grayscale..." in labels


LABEL_OF_A_NEW_PANEL = """
import wx, tesk_vumo
app = wx.App(False)
frame = wx.Frame(None)
print(tesk_vumo.ImagePanel(frame).ui_checkbox_middle_lines.GetLabel())
frame.Destroy()
"""


@pytest.mark.parametrize("before, lang, label", [
    # Choosing before wx.App existed used to end the process.
    ("import tesk_vumo; assert tesk_vumo.set_language('en')\n", "C.UTF-8", "Centre"),
    ("", "en_US.UTF-8", "Centre"), ("", "C", "中心线"),
    ("", "de_DE.UTF-8", "中心线"),  # no catalogue: texts as written
])
def test_language_chosen_before_the_app_or_by_the_system_locale(before, lang, label):
    env = dict(os.environ, LANGUAGE="", LC_ALL="", LC_MESSAGES="", LANG=lang)
    result = subprocess.run([sys.executable, "-c", before + LABEL_OF_A_NEW_PANEL], env=env, capture_output=True,
                            text=True, timeout=60)
    assert result.returncode == 0 and result.stdout.strip() == label, result.stderr
