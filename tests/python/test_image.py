"""Image: the viewer driven from its popup menu, with its own saving and source wording."""
import struct

import numpy as np
import pytest
import wx

import tesk_vumo
from conftest import load_ended, middle_line_shown, mouse, set_surface, solid, write_png
from tesk_vumo import Image, Rotation, ZoomMode

ORANGE = (200, 100, 50)
READ_FAILURE = "加载图片文件失败，请检查路径中是否有不受支持的字符。"
TYPE_PREFIX = "不受支持的参数类型。 Expect [str, numpy.ndarray], got "


@pytest.fixture
def viewer(host):
    viewer = Image(host)
    set_surface(viewer, 400, 400)
    return viewer


def png_colour_type(path):
    """The colour type of a PNG's header: 0 for one gray channel, 2 for RGB."""
    data = path.read_bytes()
    assert data[12:16] == b"IHDR"
    width, height, depth, colour_type = struct.unpack(">IIBB", data[16:26])
    return colour_type


def test_members_of_a_menu_driven_viewer():
    for name in ["middle_line_enabled", "following_line_enabled", "on_mouse_right_down", "on_popup_menu",
                 "on_zoom_none", "on_zoom_fit_width", "on_zoom_fit_height", "on_zoom_fit_page",
                 "on_rotation_none", "on_rotation_cw90", "on_rotation_180", "on_rotation_ccw90",
                 "on_show_middle_lines", "on_hide_middle_lines", "on_show_following_lines",
                 "on_hide_following_lines", "on_load_image", "on_save_current_view", "on_save_grayscale",
                 "ui_poup_menu", "source_image", "zoom_mode", "get_selection_image", "on_mouse_motion"]:
        assert hasattr(Image, name), name
    for name in ["on_save_image", "ZoomMode", "Rotation", "on_close_assist_bar", "on_assist_closed",
                 "on_going_to_destroy", "on_change_zoom_mode", "on_change_rotation", "enable_middle_lines",
                 "disable_middle_lines", "assist", "ui_zoom_mode", "ui_angle", "ui_panel_assist"]:
        assert not hasattr(Image, name), name


def test_new_viewer_has_no_guide_lines_and_a_menu(viewer):
    assert viewer.middle_line_enabled is False and viewer.following_line_enabled is False
    menu = viewer.ui_poup_menu
    assert isinstance(menu, wx.Menu) and menu is viewer.ui_poup_menu
    assert menu.GetMenuItemCount() > 0


@pytest.mark.parametrize("handler, name, value", [
    ("on_zoom_none", "zoom_mode", ZoomMode.NoZoom),
    ("on_zoom_fit_width", "zoom_mode", ZoomMode.FitWidth),
    ("on_zoom_fit_height", "zoom_mode", ZoomMode.FitHeight),
    ("on_zoom_fit_page", "zoom_mode", ZoomMode.FitPage),
    ("on_rotation_none", "rotation", Rotation.NoRotation),
    ("on_rotation_cw90", "rotation", Rotation.ClockWise90),
    ("on_rotation_180", "rotation", Rotation.Double90),
    ("on_rotation_ccw90", "rotation", Rotation.CounterClockWise90),
])
def test_menu_items_refit_like_the_properties(viewer, handler, name, value):
    image = np.zeros((300, 500, 3), np.uint8)
    image[:150, :250] = ORANGE
    viewer.source_image = image
    viewer.zoom_mode = ZoomMode.FitHeight
    viewer.rotation = Rotation.Double90
    viewer.ui_scroll_bar_horizontal.SetThumbPosition(20)
    viewer.set_selection_rect((1, 1, 5, 5))

    fittings = viewer.fitting_count
    getattr(viewer, handler)(wx.CommandEvent(wx.wxEVT_MENU))
    assert getattr(viewer, name) is value and viewer.fitting_count == fittings + 1
    assert viewer.ui_scroll_bar_horizontal.GetThumbPosition() == 0
    assert viewer.selection_rect == wx.Rect(-1, -1, 0, 0)
    by_menu = viewer.image_being_shown
    setattr(viewer, name, value)
    np.testing.assert_array_equal(viewer.image_being_shown, by_menu)


def test_guide_line_items_redraw_at_once(viewer):
    viewer.source_image = solid(300, 400, ORANGE)
    assert not middle_line_shown(viewer)
    viewer.on_show_middle_lines(wx.CommandEvent(wx.wxEVT_MENU))
    assert viewer.middle_line_enabled and middle_line_shown(viewer)
    viewer.on_hide_middle_lines(wx.CommandEvent(wx.wxEVT_MENU))
    assert not viewer.middle_line_enabled and not middle_line_shown(viewer)

    # Set from code, the flag shows at the next redraw.
    viewer.middle_line_enabled = True
    assert not middle_line_shown(viewer)
    viewer.draw_image()
    assert middle_line_shown(viewer)

    redraws = viewer.redraw_count
    viewer.on_show_following_lines(wx.CommandEvent(wx.wxEVT_MENU))
    assert viewer.following_line_enabled and viewer.redraw_count == redraws + 1
    mouse(viewer, wx.wxEVT_MOTION, 100, 100)
    assert viewer.redraw_count == redraws + 2
    viewer.on_hide_following_lines(wx.CommandEvent(wx.wxEVT_MENU))
    mouse(viewer, wx.wxEVT_MOTION, 101, 100)
    assert not viewer.following_line_enabled and viewer.redraw_count == redraws + 3


def test_popup_menu_opens_at_the_right_press(viewer, interaction):
    right = wx.MouseEvent(wx.wxEVT_RIGHT_DOWN)
    right.SetPosition(wx.Point(30, 40))
    right.SetEventObject(viewer.ui_image)
    viewer.ui_image.GetEventHandler().ProcessEvent(right)
    request = wx.ContextMenuEvent(wx.wxEVT_CONTEXT_MENU, viewer.GetId(), wx.Point(500, 500))
    request.SetEventObject(viewer)
    viewer.GetEventHandler().ProcessEvent(request)

    # A request from the keyboard, with no press before it, opens at its own place.
    at = viewer.ClientToScreen(wx.Point(60, 70))
    viewer.on_popup_menu(wx.ContextMenuEvent(wx.wxEVT_CONTEXT_MENU, viewer.GetId(), at))
    viewer.on_mouse_right_down(right)
    viewer.on_popup_menu(wx.ContextMenuEvent(wx.wxEVT_CONTEXT_MENU, viewer.GetId(), at))

    assert [(window, menu) for window, menu, _ in interaction.menus] == [(viewer, viewer.ui_poup_menu)] * 3
    assert [position for _, _, position in interaction.menus] == [(30, 40), (60, 70), (30, 40)]


def test_source_messages_are_its_own(viewer, tmp_path):
    viewer.source_image = solid(30, 40, ORANGE)
    shown = viewer.image_being_shown
    missing = str(tmp_path / "missing.png")
    with pytest.raises(AssertionError) as raised:
        viewer.source_image = missing
    assert str(raised.value) == f"{READ_FAILURE}[{missing}]\n文件或文件夹不存在"
    for value, kind in [(5, "<class 'int'>"), ([1, 2], "<class 'list'>")]:
        with pytest.raises(TypeError) as raised:
            viewer.source_image = value
        assert str(raised.value) == TYPE_PREFIX + kind
    assert viewer.image_being_shown is shown

    path = write_png(tmp_path / "orange.png", solid(30, 40, ORANGE))
    viewer.source_image = path
    assert (viewer.source_image == ORANGE).all()


def test_load_from_the_menu(viewer, interaction, tmp_path):
    path = write_png(tmp_path / "orange.png", solid(30, 40, ORANGE))
    text = tmp_path / "notes.png"
    text.write_text("not an image")
    interaction.paths = [str(path), str(text), None]

    viewer.on_load_image(wx.CommandEvent(wx.wxEVT_MENU))
    load_ended(viewer)
    assert (viewer.source_image == ORANGE).all()
    request = interaction.requests[0]
    assert request.parent is viewer and request.style == wx.FD_OPEN

    # A file that cannot be read keeps the image and tells the user why.
    source = viewer.source_image
    viewer.on_load_image(wx.CommandEvent(wx.wxEVT_MENU))
    load_ended(viewer)
    assert viewer.source_image is source
    assert interaction.messages == [(f"{READ_FAILURE}[{text}]\n文件不是受支持格式的图片", "错误",
                                     wx.OK | wx.ICON_ERROR)]
    viewer.on_load_image(wx.CommandEvent(wx.wxEVT_MENU))
    assert viewer.source_image is source and len(interaction.messages) == 1


def test_save_current_view_in_colour_and_in_gray(viewer, interaction, tmp_path):
    viewer.source_image = solid(60, 80, ORANGE)
    viewer.rotation = Rotation.ClockWise90  # shown as 300 x 400
    colour, gray, part = tmp_path / "colour.png", tmp_path / "gray.png", tmp_path / "part.png"
    interaction.paths = [str(colour), str(gray), str(part)]

    viewer.on_save_current_view(wx.CommandEvent(wx.wxEVT_MENU))
    saved = wx.Image(str(colour))
    assert (saved.GetWidth(), saved.GetHeight()) == (300, 400) and png_colour_type(colour) == 2
    assert (saved.GetRed(5, 5), saved.GetGreen(5, 5), saved.GetBlue(5, 5)) == ORANGE
    assert interaction.requests[0].style == wx.FD_SAVE | wx.FD_OVERWRITE_PROMPT
    assert interaction.requests[0].default_file == "image.png"

    viewer.on_save_grayscale(wx.CommandEvent(wx.wxEVT_MENU))
    assert png_colour_type(gray) == 0
    saved = wx.Image(str(gray))
    assert (saved.GetWidth(), saved.GetHeight()) == (300, 400)
    red, green, blue = saved.GetRed(5, 5), saved.GetGreen(5, 5), saved.GetBlue(5, 5)
    assert red == green == blue and abs(red - (0.299 * 200 + 0.587 * 100 + 0.114 * 50)) <= 1

    viewer.set_selection_rect((290, 390, 20, 20))
    viewer.on_save_current_view(wx.CommandEvent(wx.wxEVT_MENU))
    assert wx.Image(str(part)).GetSize() == (10, 10)
    assert [text for text, _, _ in interaction.messages] == ["保存图片成功"] * 3
