"""The dialog seam answered from Python."""
import pytest
import wx

import tesk_vumo
from conftest import Interaction, load_ended, pump_until, set_surface, solid, write_png

RED = (255, 0, 0)


@pytest.fixture
def panel(host):
    panel = tesk_vumo.ImagePanel(host)
    set_surface(panel, 200, 200)
    return panel


def test_providers_replace_each_other(interaction):
    other = Interaction()
    assert tesk_vumo.set_user_interaction(other) is interaction
    assert tesk_vumo.set_user_interaction(None) is other
    assert tesk_vumo.set_user_interaction(interaction) is None

    class Incomplete:
        def ask_path(self, request):
            return None

        def show_message(self, text, caption, style):
            return wx.OK

    with pytest.raises(TypeError, match="popup_menu"):
        tesk_vumo.set_user_interaction(Incomplete())
    assert tesk_vumo.set_user_interaction(interaction) is interaction


def test_answers_of_any_path_kind(panel, interaction, tmp_path):
    red_png = write_png(tmp_path / "图片.png", solid(20, 30, RED))
    for answer in [red_png, str(red_png), bytes(red_png)]:
        panel.source_image = None
        interaction.paths = [answer]
        panel.on_load_image(wx.CommandEvent())
        load_ended(panel)
        assert panel.source_image is not None and (panel.source_image == RED).all(), answer

    panel.source_image = solid(20, 30, RED)
    saved = tmp_path / "保存.png"
    interaction.paths = [saved]
    panel.on_save_image(wx.CommandEvent())
    assert saved.exists() and interaction.messages[-1][0] == "保存图片成功"


def test_a_failing_provider_counts_as_cancelled(panel, interaction, tmp_path, capsys):
    panel.source_image = solid(20, 30, RED)
    source = panel.source_image

    class Failing(Interaction):
        def ask_path(self, request):
            raise KeyError("no dialog today")

    tesk_vumo.set_user_interaction(Failing())
    panel.on_load_image(wx.CommandEvent())
    panel.on_save_image(wx.CommandEvent())
    assert panel.source_image is source
    printed = capsys.readouterr().err
    assert printed.count("KeyError: 'no dialog today'") == 2 and "Traceback" in printed

    # Wrong answers are failures too.
    for answer in [5, object()]:
        interaction.paths = [answer]
        tesk_vumo.set_user_interaction(interaction)
        panel.on_load_image(wx.CommandEvent())
        assert panel.source_image is source
        assert "TypeError" in capsys.readouterr().err

    class Grumpy(Interaction):
        def show_message(self, text, caption, style):
            raise RuntimeError("no boxes")

    grumpy = Grumpy()
    grumpy.paths = [tmp_path / "saved.png"]
    tesk_vumo.set_user_interaction(grumpy)
    panel.on_save_image(wx.CommandEvent())
    assert (tmp_path / "saved.png").exists()
    assert "RuntimeError: no boxes" in capsys.readouterr().err


def test_provider_is_asked_from_the_toolkits_event_loop(app, panel, interaction, tmp_path):
    """A click handled by wx (not a call from Python) still reaches the Python provider."""
    red_png = write_png(tmp_path / "red.png", solid(20, 30, RED))
    interaction.paths = [str(red_png)]
    button = panel.ui_button_load
    event = wx.CommandEvent(wx.wxEVT_BUTTON, button.GetId())
    event.SetEventObject(button)
    wx.PostEvent(button, event)
    assert pump_until(app, lambda: panel.source_image is not None)
    assert (panel.source_image == RED).all()
    assert interaction.requests[0].parent is panel
