"""ImagePanel's own members: its docked assist bar, the floating ImagePanelAssist, loading and saving."""
import gc

import numpy as np
import pytest
import wx

import tesk_vumo
from conftest import load_ended, middle_line_shown, mouse, pump_until, rgb, set_surface, solid, write_png
from tesk_vumo import ImagePanel, ImagePanelAssist, Rotation, ZoomMode

RED = (255, 0, 0)
WILDCARD = "Image files (*.png;*.jpg;*.jpeg;*.bmp)|*.png;*.jpg;*.jpeg;*.bmp"
SAVED = ("保存图片成功", "信息", wx.OK | wx.ICON_INFORMATION)
NOT_SAVED = ("保存图片失败", "错误", wx.OK | wx.ICON_ERROR)


@pytest.fixture
def panel(host):
    panel = ImagePanel(host)
    set_surface(panel, 400, 400)
    return panel


def choose(choice, item):
    """Picks item in a wx.Choice as the user would: the selection moves, then the event goes out."""
    choice.SetSelection(item)
    event = wx.CommandEvent(wx.wxEVT_CHOICE, choice.GetId())
    event.SetEventObject(choice)
    event.SetInt(item)
    choice.GetEventHandler().ProcessEvent(event)


def png_size(path):
    image = wx.Image(str(path))
    assert image.IsOk(), path
    return image.GetWidth(), image.GetHeight()


def test_enumerations_are_the_modules_own():
    assert ImagePanel.ZoomMode is tesk_vumo.ZoomMode
    assert ImagePanel.Rotation is tesk_vumo.Rotation
    assert ImagePanel.ZoomMode.FitPage is ZoomMode.FitPage


def test_zoom_mode_and_rotation_move_the_docked_choices(panel):
    panel.source_image = solid(600, 800, RED)
    panel.zoom_mode = ZoomMode.FitHeight
    assert panel.ui_zoom_mode.GetSelection() == 2
    panel.rotation = Rotation.Double90
    assert panel.ui_angle.GetSelection() == 2

    panel.zoom_rate = 2
    assert panel.ui_zoom_mode.GetSelection() == 4
    panel.rotation_degree = 10
    assert panel.ui_angle.GetSelection() == 4


def test_docked_choices_apply_the_picked_item(panel):
    panel.source_image = solid(600, 800, RED)
    choose(panel.ui_zoom_mode, 3)
    assert panel.zoom_mode is ZoomMode.NoZoom and panel.image_being_shown.shape == (600, 800, 3)
    choose(panel.ui_angle, 1)
    assert panel.rotation is Rotation.ClockWise90 and panel.image_being_shown.shape == (800, 600, 3)

    # ZoomAny picked by hand keeps the picture as it is.
    choose(panel.ui_zoom_mode, 4)
    assert panel.zoom_mode is ZoomMode.ZoomAny and panel.zoom_rate == 1
    assert panel.image_being_shown.shape == (800, 600, 3)


def test_middle_lines_follow_the_check_box(panel):
    panel.source_image = solid(300, 400, RED)
    redraws = panel.redraw_count
    panel.enable_middle_lines()
    assert panel.ui_checkbox_middle_lines.IsChecked() and panel.redraw_count == redraws
    assert not middle_line_shown(panel)
    panel.on_show_middle_lines(wx.CommandEvent(wx.wxEVT_CHECKBOX))
    assert middle_line_shown(panel)

    panel.disable_middle_lines()
    event = wx.CommandEvent(wx.wxEVT_CHECKBOX, panel.ui_checkbox_middle_lines.GetId())
    event.SetEventObject(panel.ui_checkbox_middle_lines)
    panel.ui_checkbox_middle_lines.GetEventHandler().ProcessEvent(event)
    assert not panel.ui_checkbox_middle_lines.IsChecked() and not middle_line_shown(panel)

    panel.ui_checkbox_follow_lines.SetValue(True)
    redraws = panel.redraw_count
    panel.on_show_following_lines(wx.CommandEvent(wx.wxEVT_CHECKBOX))
    assert panel.redraw_count == redraws + 1


def test_docked_controls(panel):
    for name, kind in [("ui_zoom_mode", wx.Choice), ("ui_angle", wx.Choice), ("ui_checkbox_middle_lines", wx.CheckBox),
                       ("ui_checkbox_follow_lines", wx.CheckBox), ("ui_panel_assist", wx.Panel),
                       ("ui_button_load", wx.Button), ("ui_button_save", wx.Button),
                       ("ui_button_close_assist", wx.Button)]:
        control = getattr(panel, name)
        assert isinstance(control, kind) and control is getattr(panel, name), name
    assert panel.ui_zoom_mode.GetCount() == 5 and panel.ui_angle.GetCount() == 5
    assert (panel.ui_zoom_mode.GetSelection(), panel.ui_angle.GetSelection()) == (0, 0)
    assert panel.ui_panel_assist.IsShown() and panel.assist is None


def test_load_a_chosen_png(panel, interaction, tmp_path):
    red_png = write_png(tmp_path / "red.png", solid(30, 40, RED))
    interaction.paths = [None, str(red_png)]
    panel.on_load_image(wx.CommandEvent())
    assert panel.source_image is None and panel.fitting_count == 0

    # The docked button reaches the same handler.
    button = panel.ui_button_load
    event = wx.CommandEvent(wx.wxEVT_BUTTON, button.GetId())
    event.SetEventObject(button)
    button.GetEventHandler().ProcessEvent(event)
    load_ended(panel)
    assert panel.source_image.shape == (30, 40, 3) and (panel.source_image == RED).all()
    rect = panel.image_rect
    mouse(panel, wx.wxEVT_MOTION, rect.x + 5, rect.y + 5)
    assert panel.ui_rgb.GetValue() == "255, 0, 0"

    request = interaction.requests[0]
    assert request.parent is panel
    assert (request.message, request.default_dir, request.wildcard, request.style) == \
        ("请选择需要加载的图片文件名", "", WILDCARD, wx.FD_OPEN)
    assert interaction.messages == []


def test_loading_a_file_that_is_no_image_keeps_the_picture_and_says_why(panel, interaction, tmp_path):
    panel.source_image = source = solid(30, 40, RED)
    text = tmp_path / "notes.png"
    text.write_text("not an image")
    interaction.paths = [str(text)]
    panel.on_load_image(wx.CommandEvent())
    load_ended(panel)
    assert panel.source_image is source
    assert interaction.messages == [(f"加载图片文件失败，请检查路径中是否有不受支持的字符。[{text}]\n"
                                     "文件不是受支持格式的图片", "错误", wx.OK | wx.ICON_ERROR)]


def test_save_writes_the_displayed_image_or_the_selection(panel, interaction, tmp_path):
    panel.source_image = solid(60, 80, RED)  # shown as 400 x 300
    whole, part, nowhere = tmp_path / "whole.png", tmp_path / "part.png", tmp_path / "missing" / "x.png"
    interaction.paths = [str(whole), str(part), str(nowhere), None]

    panel.on_save_image(wx.CommandEvent())
    assert png_size(whole) == (400, 300)
    saved = wx.Image(str(whole))
    assert (saved.GetRed(10, 10), saved.GetGreen(10, 10), saved.GetBlue(10, 10)) == RED
    request = interaction.requests[0]
    assert request.parent is panel and request.default_file == "image.png"
    assert request.style == wx.FD_SAVE | wx.FD_OVERWRITE_PROMPT
    assert request.message == "请给保存的文件指定路径、名称" and request.wildcard == WILDCARD

    panel.set_selection_rect((100, 50, 200, 100))
    panel.on_save_image(wx.CommandEvent())
    assert png_size(part) == (200, 100)
    panel.on_save_image(wx.CommandEvent())
    assert not nowhere.exists()
    assert interaction.messages == [SAVED, SAVED, (f"{NOT_SAVED[0]}\n[{nowhere}]\n文件或文件夹不存在", *NOT_SAVED[1:])]

    # Cancelling writes nothing and says nothing.
    panel.on_save_image(wx.CommandEvent())
    assert len(interaction.messages) == 3


def test_save_without_an_image_asks_nothing(panel, interaction):
    panel.on_save_image(wx.CommandEvent())
    assert interaction.requests == [] and interaction.messages == []


def test_assist_window_replaces_the_docked_bar(app, panel):
    panel.zoom_mode = ZoomMode.FitWidth
    panel.ui_angle.SetSelection(1)
    panel.on_close_assist_bar(wx.CommandEvent())

    assist = panel.assist
    assert type(assist) is ImagePanelAssist and isinstance(assist, wx.Frame)
    assert panel.assist is assist and assist.IsShown() and not panel.ui_panel_assist.IsShown()
    assert (assist.ui_zoom_mode.GetSelection(), assist.ui_angle.GetSelection()) == (1, 1)
    assert not assist.ui_zoom_rate.IsEnabled() and not assist.ui_angle_degree.IsEnabled()
    assert isinstance(assist.ui_zoom_rate, wx.TextCtrl) and isinstance(assist.ui_button_load, wx.Button)
    panel.on_close_assist_bar(wx.CommandEvent())
    assert panel.assist is assist

    del assist
    gc.collect()
    assert type(panel.assist) is ImagePanelAssist

    panel.source_image = solid(600, 800, RED)
    assist = panel.assist
    choose(assist.ui_zoom_mode, 2)
    assert panel.zoom_mode is ZoomMode.FitHeight and panel.ui_zoom_mode.GetSelection() == 2
    choose(assist.ui_zoom_mode, 4)
    assert panel.zoom_mode is ZoomMode.ZoomAny and panel.ui_zoom_mode.GetSelection() == 4
    assert assist.ui_zoom_rate.IsEnabled() and panel.ui_zoom_rate.IsShown()
    choose(assist.ui_angle, 3)
    assert panel.rotation is Rotation.CounterClockWise90 and panel.ui_angle.GetSelection() == 3
    choose(assist.ui_angle, 4)
    assert panel.rotation is Rotation.DegreeAny and assist.ui_angle_degree.IsEnabled()

    # Closing the window docks the bar again once the close has been handled.
    assist.Close()
    assert pump_until(app, lambda: panel.assist is None and panel.ui_panel_assist.IsShown())
    with pytest.raises(RuntimeError):
        assist.GetTitle()
    panel.on_close_assist_bar(wx.CommandEvent())
    again = panel.assist
    assert again is not None and again is not assist
    assert again.ui_zoom_mode.GetSelection() == 4 and again.ui_zoom_rate.IsEnabled()


def test_assist_handlers_reach_the_panel(app, panel, interaction, tmp_path):
    panel.on_close_assist_bar(wx.CommandEvent())
    assist = panel.assist
    red_png = write_png(tmp_path / "red.png", solid(30, 40, RED))
    saved = tmp_path / "saved.png"
    interaction.paths = [str(red_png), str(saved)]
    assist.on_load_image(wx.CommandEvent())
    load_ended(panel)
    assert (panel.source_image == RED).all()
    assist.on_save_image(wx.CommandEvent())
    assert saved.exists() and interaction.messages == [SAVED]

    assist.ui_zoom_mode.SetSelection(3)
    assist.on_change_zoom_mode(wx.CommandEvent())
    assert panel.zoom_mode is ZoomMode.NoZoom
    assist.ui_angle.SetSelection(2)
    assist.on_change_rotation(wx.CommandEvent())
    assert panel.rotation is Rotation.Double90

    assist.on_close(wx.CloseEvent(wx.wxEVT_CLOSE_WINDOW))
    assert pump_until(app, lambda: panel.assist is None and panel.ui_panel_assist.IsShown())


def test_assist_needs_an_image_panel(app, host, panel):
    with pytest.raises(TypeError, match="ImagePanel"):
        ImagePanelAssist(host)
    with pytest.raises(TypeError, match="ImagePanel"):
        ImagePanelAssist(tesk_vumo.Image(host))
    with pytest.raises(TypeError):
        ImagePanelAssist(None)

    panel.zoom_mode = ZoomMode.NoZoom
    own = ImagePanelAssist(panel)
    assert type(own) is ImagePanelAssist and own.GetParent() is panel
    assert own.ui_zoom_mode.GetSelection() == 3 and panel.assist is None
    own.Destroy()
    assert pump_until(app, lambda: not own)


def test_destroying_the_panel_destroys_its_assist_window(app, panel):
    panel.on_close_assist_bar(wx.CommandEvent())
    assist = panel.assist
    zoom_choice = assist.ui_zoom_mode
    panel.Destroy()
    assert pump_until(app, lambda: not assist)
    for use in [lambda: assist.ui_zoom_mode, lambda: assist.on_close(wx.CloseEvent()),
                lambda: zoom_choice.GetSelection(), lambda: panel.assist, lambda: panel.on_assist_closed()]:
        with pytest.raises(RuntimeError):
            use()


def test_panel_destroyed_while_the_assist_close_is_queued(app, panel):
    panel.on_close_assist_bar(wx.CommandEvent())
    panel.assist.Close()
    panel.Destroy()
    pump_until(app, lambda: False, timeout=0.2)
    with pytest.raises(RuntimeError):
        panel.assist



def test_levels_controls_of_both_bars(panel):
    panel.SetSize(800, 500)  # room for the levels beside the read-outs
    panel.source_image = np.array([[1000, 4990]], np.uint16)
    assert (panel.ui_levels_low.GetValue(), panel.ui_levels_high.GetValue()) == ("1000", "4990")
    panel.ui_levels_high.ChangeValue("2020")
    panel.on_change_levels(wx.CommandEvent())
    assert panel.levels == (1000, 2020)
    panel.on_close_assist_bar(wx.CommandEvent())
    assert panel.assist.ui_levels_high.GetValue() == "2020" and isinstance(panel.assist.ui_levels_auto, wx.Button)
    panel.assist.on_auto_levels(wx.CommandEvent())
    assert panel.levels is None and panel.ui_levels_high.GetValue() == "4990"

