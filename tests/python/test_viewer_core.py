"""The viewing core that ImagePanel and Image share, exercised through both classes."""
import gc
import weakref

import numpy as np
import pytest
import wx

import tesk_vumo
from conftest import mouse, pump_until, rgb, set_surface, solid, write_png
from tesk_vumo import Rotation, ZoomMode

GREEN = (10, 200, 30)


@pytest.fixture(params=[tesk_vumo.ImagePanel, tesk_vumo.Image], ids=lambda cls: cls.__name__)
def viewer(request, host):
    return request.param(host)


def show_following_lines(viewer, shown):
    if isinstance(viewer, tesk_vumo.ImagePanel):
        viewer.ui_checkbox_follow_lines.SetValue(shown)
    else:
        viewer.following_line_enabled = shown


def quadrants(height, width):
    """An image whose four quadrants have different colours."""
    image = np.empty((height, width, 3), np.uint8)
    image[:height // 2, :width // 2] = (255, 0, 0)
    image[:height // 2, width // 2:] = (0, 255, 0)
    image[height // 2:, :width // 2] = (0, 0, 255)
    image[height // 2:, width // 2:] = (255, 255, 0)
    return image


def pixels(image):
    return np.frombuffer(bytes(image.GetData()), np.uint8).reshape(image.GetHeight(), image.GetWidth(), 3)


def test_new_viewer_is_empty_with_default_state(viewer):
    assert isinstance(viewer, wx.Panel)
    assert viewer.GetSize() == (640, 480)
    assert viewer.zoom_mode is ZoomMode.FitPage and viewer.rotation is Rotation.NoRotation
    assert viewer.source_image is None and viewer.image_being_shown is None and viewer.user_data is None
    assert viewer.selecting_enabled is True
    assert viewer.middle_line_color == wx.Colour(0, 0, 255)
    assert viewer.following_line_color == wx.Colour(128, 128, 128)
    assert isinstance(viewer.middle_line_color, wx.Colour)
    assert viewer.selection_rect == wx.Rect(0, 0, 0, 0) and viewer.image_rect == wx.Rect(0, 0, 0, 0)
    assert isinstance(viewer.selection_rect, wx.Rect)
    assert viewer.mouse_position_in_panel == (0, 0)
    assert viewer.get_mouse_image_position() == (-1, -1)
    assert viewer.get_selection_rect() == [0, 0, 0, 0]
    assert viewer.get_selection_image() is None
    assert viewer.get_sub_image_to_draw() == (None, -1, -1, 0, 0)
    assert viewer.fitting_count == 0
    assert isinstance(viewer.buffer, wx.Bitmap) and viewer.buffer.GetSize() == viewer.ui_image.GetClientSize()

    controls = {"ui_image": wx.Panel, "ui_scroll_bar_horizontal": wx.ScrollBar,
                "ui_scroll_bar_vertical": wx.ScrollBar, "ui_x": wx.TextCtrl, "ui_y": wx.TextCtrl,
                "ui_rgb": wx.TextCtrl, "ui_width": wx.TextCtrl, "ui_height": wx.TextCtrl}
    for name, kind in controls.items():
        control = getattr(viewer, name)
        assert isinstance(control, kind), name
        assert control is getattr(viewer, name) and viewer.IsDescendant(control), name
    assert viewer.ui_image.GetParent() is viewer


def test_size_argument_and_missing_parent(host):
    for cls in (tesk_vumo.ImagePanel, tesk_vumo.Image):
        assert cls(host, wx.Size(500, 420)).GetSize() == (500, 420)
        assert cls(host, size=(450, 400)).GetSize() == (450, 400)
        with pytest.raises(TypeError):
            cls(None)


def test_properties_store_what_is_set(viewer):
    viewer.following_line_color = (255, 0, 0)
    assert viewer.following_line_color == wx.Colour(255, 0, 0)
    assert viewer.middle_line_color == wx.Colour(0, 0, 255)
    viewer.middle_line_color = wx.Colour(1, 2, 3)
    assert viewer.middle_line_color == wx.Colour(1, 2, 3)
    with pytest.raises(ValueError):
        viewer.middle_line_color = (256, 0, 0)

    for value in [object(), [1, 2], viewer]:
        viewer.user_data = value
        assert viewer.user_data is value

    viewer.zoom_mode = 3
    assert viewer.zoom_mode is ZoomMode.NoZoom
    viewer.rotation = 2
    assert viewer.rotation is Rotation.Double90
    with pytest.raises(ValueError):
        viewer.zoom_mode = 7
    with pytest.raises(TypeError):
        viewer.zoom_mode = Rotation.ClockWise90
    with pytest.raises(TypeError):
        viewer.rotation = "Double90"
    with pytest.raises(AttributeError):
        viewer.selecting_enabled = False

    assert viewer.keep_selection is False
    viewer.keep_selection = True
    assert viewer.keep_selection is True


@pytest.mark.parametrize("zoom, rotation, shown, horizontal, vertical, origin", [
    (ZoomMode.FitPage, Rotation.NoRotation, (400, 300), (400, 400), (300, 300), (0, 50)),
    (ZoomMode.FitWidth, Rotation.NoRotation, (400, 300), (400, 400), (300, 300), (0, 50)),
    (ZoomMode.FitHeight, Rotation.NoRotation, (533, 400), (400, 533), (400, 400), (0, 0)),
    (ZoomMode.NoZoom, Rotation.NoRotation, (800, 600), (400, 800), (400, 600), (0, 0)),
    (ZoomMode.FitPage, Rotation.ClockWise90, (300, 400), (300, 300), (400, 400), (50, 0)),
    (ZoomMode.FitPage, Rotation.DegreeAny, (400, 300), (400, 400), (300, 300), (0, 50)),
])
def test_800x600_on_a_400x400_surface(viewer, zoom, rotation, shown, horizontal, vertical, origin):
    set_surface(viewer, 400, 400)
    viewer.source_image = solid(600, 800, GREEN)
    viewer.zoom_mode = zoom
    viewer.rotation = rotation

    width, height = shown
    assert viewer.image_being_shown.shape == (height, width, 3)
    for bar, (thumb, extent) in [(viewer.ui_scroll_bar_horizontal, horizontal),
                                 (viewer.ui_scroll_bar_vertical, vertical)]:
        assert (bar.GetThumbPosition(), bar.GetThumbSize(), bar.GetRange(), bar.GetPageSize()) == \
            (0, thumb, extent, thumb - 1)
    sub, x, y, w, h = viewer.get_sub_image_to_draw()
    assert (x, y) == origin and (w, h) == (min(width, 400), min(height, 400))
    assert sub.shape == (h, w, 3)
    assert viewer.image_rect == wx.Rect(x, y, w, h)

    # The picture sits at its place on the background.
    background = viewer.ui_image.GetBackgroundColour()
    buffer = viewer.buffer
    assert rgb(buffer, x + 3, y + 3) == GREEN and rgb(buffer, x + w - 1, y + h - 1) == GREEN
    if x > 0:
        assert rgb(buffer, x - 1, y + 3) == background[:3]
    if y > 0:
        assert rgb(buffer, x + 3, y - 1) == background[:3]


def test_scrolling_clamps_and_shows_the_scrolled_part(app, viewer):
    set_surface(viewer, 400, 400)
    viewer.zoom_mode = ZoomMode.NoZoom
    viewer.source_image = quadrants(600, 800)
    horizontal, vertical = viewer.ui_scroll_bar_horizontal, viewer.ui_scroll_bar_vertical

    redraws = viewer.redraw_count
    viewer.do_scroll(horizontal, -1, 1000)
    assert horizontal.GetThumbPosition() == 400 and viewer.redraw_count == redraws + 1
    viewer.do_scroll(horizontal, -1, 10)
    assert horizontal.GetThumbPosition() == 400 and viewer.redraw_count == redraws + 1
    viewer.do_scroll(vertical, -1, 250)
    assert vertical.GetThumbPosition() == 200
    viewer.do_scroll(vertical, 1, 5)
    assert vertical.GetThumbPosition() == 195

    shown = viewer.image_being_shown
    sub, x, y, w, h = viewer.get_sub_image_to_draw()
    assert (x, y, w, h) == (0, 0, 400, 400)
    assert np.shares_memory(sub, shown)
    np.testing.assert_array_equal(sub, shown[195:595, 400:800])
    assert rgb(viewer.buffer, 0, 0) == (0, 255, 0)       # top-right quadrant
    assert rgb(viewer.buffer, 0, 399) == (255, 255, 0)   # bottom-right quadrant

    # A wheel turned away from the user over the right part of the surface
    # scrolls the vertical bar 10 rows up; near the bottom edge, the horizontal one.
    wheel = wx.MouseEvent(wx.wxEVT_MOUSEWHEEL)
    wheel.SetWheelRotation(120)
    wheel.SetWheelDelta(120)
    wheel.SetPosition(wx.Point(300, 100))
    wheel.SetEventObject(viewer.ui_image)
    viewer.ui_image.GetEventHandler().ProcessEvent(wheel)
    assert vertical.GetThumbPosition() == 185 and horizontal.GetThumbPosition() == 400
    wheel.SetPosition(wx.Point(100, 390))
    viewer.on_mouse_wheel(wheel)
    assert horizontal.GetThumbPosition() == 390

    # Over a scroll bar the wheel moves that bar by one position.
    wheel.SetEventObject(vertical)
    viewer.on_mouse_wheel_scroll(wheel)
    assert vertical.GetThumbPosition() == 184
    wheel.SetEventObject(viewer.ui_image)
    viewer.on_mouse_wheel_scroll(wheel)
    assert vertical.GetThumbPosition() == 184

    # A scroll-bar event redraws at the bar's position.
    vertical.SetThumbPosition(0)
    event = wx.ScrollEvent(wx.wxEVT_SCROLL_THUMBTRACK, vertical.GetId(), 0, wx.VERTICAL)
    event.SetEventObject(vertical)
    redraws = viewer.redraw_count
    vertical.GetEventHandler().ProcessEvent(event)
    assert viewer.redraw_count == redraws + 1
    assert rgb(viewer.buffer, 50, 299) == (0, 255, 0) and rgb(viewer.buffer, 50, 300) == (255, 255, 0)

    # With pointer navigation switched on, Ctrl+wheel zooms.
    viewer.pointer_navigation = True
    wheel.SetControlDown(True)
    viewer.on_mouse_wheel(wheel)
    assert viewer.zoom_mode is ZoomMode.ZoomAny and viewer.zoom_rate == pytest.approx(2 ** 0.25)


def test_image_being_shown_outlives_refits_with_its_pixels(viewer):
    set_surface(viewer, 400, 400)
    viewer.source_image = quadrants(600, 800)
    shown = viewer.image_being_shown
    assert viewer.image_being_shown is shown
    sub = viewer.get_sub_image_to_draw()[0]
    before = shown.copy()

    # A half turn gives a new image of the same size: it must not be written
    # into the array the caller holds.
    viewer.rotation = Rotation.Double90
    turned = viewer.image_being_shown
    assert turned is not shown and turned.shape == shown.shape
    assert not np.shares_memory(turned, shown)
    viewer.zoom_mode = ZoomMode.NoZoom
    viewer.source_image = None
    gc.collect()
    np.testing.assert_array_equal(shown, before)
    np.testing.assert_array_equal(sub, before)
    assert tuple(turned[0, 0]) == (255, 255, 0)


def test_a_write_into_the_displayed_image_is_drawn_and_leaves_the_source(viewer, tmp_path):
    set_surface(viewer, 400, 400)
    image = quadrants(300, 500)
    viewer.zoom_mode = ZoomMode.NoZoom
    viewer.source_image = write_png(tmp_path / "own.png", image)
    source = viewer.source_image
    source[0, 0] = (1, 2, 3)  # the decoded image is the host's to write into, too
    source[0, 0] = image[0, 0]
    shown = viewer.image_being_shown
    assert not np.shares_memory(source, shown)
    shown[:, :] = GREEN
    viewer.draw_image()
    assert rgb(viewer.buffer, 100, 120) == GREEN
    np.testing.assert_array_equal(viewer.source_image, image)
    # A caller's array is drawn where it lies: what the caller writes is shown
    # at the next fitting. The displayed image handed out is the viewer's copy, writable.
    viewer.source_image = image
    image[:, :] = (9, 8, 7)
    viewer.fitting(True)
    assert rgb(viewer.buffer, 100, 120) == (9, 8, 7)
    assert viewer.source_image is image and not np.shares_memory(image, viewer.image_being_shown)
    assert viewer.image_being_shown.flags.writeable
    # Once the viewer holds it only as the picture on show, it is still never
    # written over by a later displayed image.
    viewer.source_image = image
    viewer.source_image = None
    viewer.rotation = Rotation.Double90
    viewer.source_image = quadrants(300, 500)
    assert (image == (9, 8, 7)).all()


def test_pointer_read_outs(viewer):
    set_surface(viewer, 400, 400)
    viewer.zoom_mode = ZoomMode.NoZoom
    image = solid(30, 40, GREEN)
    image[3, 7] = (12, 34, 56)
    viewer.source_image = image
    rect = viewer.image_rect
    assert rect == wx.Rect(180, 185, 40, 30)

    mouse(viewer, wx.wxEVT_MOTION, rect.x + 7, rect.y + 3)
    assert viewer.mouse_position_in_panel == (rect.x + 7, rect.y + 3)
    assert viewer.get_mouse_image_position() == (7, 3)
    assert (viewer.ui_x.GetValue(), viewer.ui_y.GetValue(), viewer.ui_rgb.GetValue()) == ("7", "3", "12, 34, 56")

    # The last column and row are inside; one more is outside and leaves the texts.
    mouse(viewer, wx.wxEVT_MOTION, rect.x + 39, rect.y + 29)
    assert (viewer.ui_x.GetValue(), viewer.ui_y.GetValue()) == ("39", "29")
    mouse(viewer, wx.wxEVT_MOTION, rect.x + 40, rect.y + 29)
    assert viewer.get_mouse_image_position() == (-1, -1)
    assert (viewer.ui_x.GetValue(), viewer.ui_y.GetValue(), viewer.ui_rgb.GetValue()) == ("39", "29", "10, 200, 30")


def test_motion_redraws_only_for_following_lines_or_a_drag(viewer):
    set_surface(viewer, 400, 400)
    viewer.source_image = solid(300, 400, GREEN)
    redraws = viewer.redraw_count
    mouse(viewer, wx.wxEVT_MOTION, 100, 100)
    assert viewer.redraw_count == redraws
    show_following_lines(viewer, True)
    mouse(viewer, wx.wxEVT_MOTION, 101, 100)
    assert viewer.redraw_count == redraws + 1
    show_following_lines(viewer, False)
    mouse(viewer, wx.wxEVT_LEFT_DOWN, 100, 100)
    mouse(viewer, wx.wxEVT_MOTION, 110, 100, left_down=True)
    assert viewer.redraw_count == redraws + 3
    assert viewer.fitting_count == 1


def drag(viewer, start, end):
    rect = viewer.image_rect
    mouse(viewer, wx.wxEVT_LEFT_DOWN, rect.x + start[0], rect.y + start[1])
    mouse(viewer, wx.wxEVT_MOTION, rect.x + end[0], rect.y + end[1], left_down=True)


def test_drag_selections(viewer):
    set_surface(viewer, 400, 400)
    viewer.zoom_mode = ZoomMode.NoZoom
    viewer.source_image = quadrants(60, 80)
    shown = viewer.image_being_shown

    drag(viewer, (10, 10), (14, 12))
    assert viewer.selection_rect == wx.Rect(10, 10, 5, 3)
    assert (viewer.ui_width.GetValue(), viewer.ui_height.GetValue()) == ("5", "3")
    assert viewer.get_selection_rect() == [10, 10, 5, 3]
    selected = viewer.get_selection_image()
    assert selected.shape == (3, 5, 3) and np.shares_memory(selected, shown)
    np.testing.assert_array_equal(selected, shown[10:13, 10:15])

    drag(viewer, (10, 10), (6, 10))
    assert viewer.ui_width.GetValue() == "-5"
    assert viewer.get_selection_rect() == [6, 10, 5, 1]
    np.testing.assert_array_equal(viewer.get_selection_image(), shown[10:11, 6:11])

    drag(viewer, (10, 10), (9, 10))
    assert viewer.get_selection_rect() == [9, 10, 2, 1]
    assert viewer.get_selection_image().shape == (1, 2, 3)

    mouse(viewer, wx.wxEVT_LEFT_DOWN, viewer.image_rect.x + 20, viewer.image_rect.y + 20)
    assert viewer.selection_rect == wx.Rect(20, 20, 0, 0)
    assert viewer.get_selection_image() is None

    # A drag that starts outside the image selects nothing.
    mouse(viewer, wx.wxEVT_LEFT_DOWN, 5, 5)
    mouse(viewer, wx.wxEVT_MOTION, viewer.image_rect.x + 30, viewer.image_rect.y + 30, left_down=True)
    assert viewer.selection_rect.GetPosition() == (-1, -1) and viewer.get_selection_image() is None


def test_selection_set_by_code_and_cleared_by_refits(viewer):
    set_surface(viewer, 400, 400)
    viewer.zoom_mode = ZoomMode.NoZoom
    viewer.source_image = quadrants(60, 80)
    drag(viewer, (10, 10), (14, 12))

    redraws = viewer.redraw_count
    viewer.set_selection_rect((5, 5, 20, 10))
    assert viewer.selection_rect == wx.Rect(5, 5, 20, 10) and viewer.redraw_count == redraws + 1
    assert (viewer.ui_width.GetValue(), viewer.ui_height.GetValue()) == ("5", "3")
    viewer.set_selection_rect(wx.Rect(70, 50, 30, 30))
    assert viewer.get_selection_image().shape == (10, 10, 3)
    viewer.set_selection_rect([-5, -5, 10, 10])
    assert viewer.get_selection_image().shape == (5, 5, 3)
    with pytest.raises(TypeError):
        viewer.set_selection_rect((1, 2, 3))

    viewer.rotation = Rotation.ClockWise90
    assert viewer.selection_rect == wx.Rect(-1, -1, 0, 0)
    assert (viewer.ui_width.GetValue(), viewer.ui_height.GetValue()) == ("0", "0")
    assert viewer.get_selection_image() is None

    viewer.set_selection_rect((5, 5, 20, 10))
    redraws = viewer.redraw_count
    viewer.enable_selecting()
    assert viewer.selecting_enabled and viewer.redraw_count == redraws
    viewer.disable_selecting()
    assert not viewer.selecting_enabled and viewer.redraw_count == redraws + 1
    assert viewer.selection_rect == wx.Rect(0, 0, 0, 0)
    viewer.enable_selecting(enable=True)
    assert viewer.selecting_enabled


def test_a_kept_selection_follows_its_source_pixels_and_shift_arrows_resize_it(viewer):
    set_surface(viewer, 400, 400)
    viewer.zoom_mode = ZoomMode.NoZoom
    viewer.source_image = quadrants(60, 80)
    viewer.keep_selection = True
    viewer.set_selection_rect((10, 10, 20, 10))

    viewer.rotation = Rotation.ClockWise90  # source (x, y) shows at (60 - y, x)
    assert viewer.selection_rect == wx.Rect(40, 10, 10, 20)
    assert viewer.get_selection_source_rect() == [10, 10, 20, 10]

    key = wx.KeyEvent(wx.wxEVT_KEY_DOWN)
    key.SetKeyCode(wx.WXK_RIGHT)
    key.SetShiftDown(True)
    viewer.ui_image.GetEventHandler().ProcessEvent(key)
    assert viewer.selection_rect == wx.Rect(40, 10, 11, 20)
    assert viewer.get_selection_source_rect() == [10, 9, 20, 11]


def test_fitting_and_init_buffer(app, viewer):
    viewer.fitting()  # nothing to fit yet
    assert viewer.fitting_count == 0 and viewer.image_being_shown is None
    set_surface(viewer, 400, 400)
    viewer.zoom_mode = ZoomMode.NoZoom
    viewer.source_image = solid(600, 800, GREEN)
    viewer.ui_scroll_bar_horizontal.SetThumbPosition(50)
    viewer.fitting(keep_scroll_pos=True)
    assert viewer.ui_scroll_bar_horizontal.GetThumbPosition() == 50
    viewer.fitting()
    assert viewer.ui_scroll_bar_horizontal.GetThumbPosition() == 0

    fittings = viewer.fitting_count
    viewer.init_buffer()  # same client size, an image stored: nothing to do
    assert viewer.fitting_count == fittings
    set_surface(viewer, 300, 200)
    assert viewer.buffer.GetSize() == (300, 200) and viewer.fitting_count > fittings
    assert viewer.ui_scroll_bar_horizontal.GetThumbSize() == 300

    fittings = viewer.fitting_count
    event = wx.SizeEvent(wx.Size(300, 200))
    viewer.on_size(event)
    assert event.GetSkipped() and viewer.fitting_count == fittings
    with pytest.raises(TypeError):
        viewer.on_size(wx.CommandEvent())

    painted = []

    def on_paint(event):
        viewer.on_paint(event)
        painted.append(True)

    viewer.ui_image.Bind(wx.EVT_PAINT, on_paint)
    viewer.ui_image.Refresh()
    assert pump_until(app, lambda: painted)


def test_zoom_rate_and_rotation_degree_refuse_values_out_of_range_with_a_value_error(viewer):
    viewer.source_image = solid(600, 800, GREEN)
    viewer.zoom_rate, viewer.rotation_degree = 0.25, 30
    assert (viewer.zoom_mode, viewer.rotation) == (ZoomMode.ZoomAny, Rotation.DegreeAny)
    for name, value, text in [("zoom_rate", 0.001, "Zoom Rate: 0.001"), ("rotation_degree", float("nan"),
                                                                            "Rotation Degree: nan")]:
        with pytest.raises(ValueError, match=f"^Unsupported {text}$"):
            setattr(viewer, name, value)
    assert (viewer.zoom_rate, viewer.rotation_degree) == (0.25, 30)


def test_destroyed_viewer_raises_runtime_error(app, host):
    for cls in (tesk_vumo.ImagePanel, tesk_vumo.Image):
        viewer = cls(host)
        viewer.source_image = solid(30, 40, GREEN)
        shown = viewer.image_being_shown
        scroll_bar = viewer.ui_scroll_bar_horizontal
        viewer.Destroy()
        for use in [lambda: viewer.zoom_mode, lambda: viewer.draw_image(), lambda: viewer.get_selection_rect(),
                    lambda: viewer.image_being_shown, lambda: scroll_bar.GetThumbPosition()]:
            with pytest.raises(RuntimeError):
                use()
        # The displayed image the caller kept stays readable.
        assert (shown == GREEN).all()
        wrapper = weakref.ref(viewer)
        del viewer, use
        gc.collect()
        assert wrapper() is None


def test_window_tree_gives_back_the_same_object(host):
    viewer = tesk_vumo.Image(host)
    data = object()
    viewer.user_data = data
    del viewer
    gc.collect()
    child = host.GetChildren()[0]
    assert type(child) is tesk_vumo.Image and child.user_data is data
    assert child.ui_image.GetParent() is child


def show_numbered(viewer):
    """Shows a 300x200 image whose pixels tell their column and row apart, and returns it."""
    set_surface(viewer, 400, 400)
    rows, columns = np.mgrid[0:200, 0:300]
    viewer.source_image = np.dstack([columns % 256, rows, columns // 256]).astype(np.uint8)
    return viewer.source_image


def saved(interaction, tmp_path, save):
    """Runs save with the file dialog answering a new PNG, and returns the pixels written."""
    path = tmp_path / "part.png"
    interaction.paths = [str(path)]
    save()
    return pixels(wx.Image(str(path)))


def test_source_mappings_and_selections_at_the_source_resolution_or_a_large_free_zoom(viewer, interaction, tmp_path):
    source = show_numbered(viewer)
    assert viewer.get_selection_source_rect() is None and viewer.get_selection_image(source=True) is None
    viewer.zoom_mode = ZoomMode.NoZoom
    viewer.rotation = Rotation.ClockWise90
    assert viewer.display_to_source(*viewer.source_to_display(123.5, 77.5)) == pytest.approx((123.5, 77.5), abs=1e-9)
    mouse(viewer, wx.wxEVT_MOTION, 150, 120)
    assert viewer.get_mouse_source_position() == (70, 149)  # displayed (50, 70) of the 200x300 turned image

    viewer.selection_rect = wx.Rect(10, 20, 30, 40)
    # Displayed columns 10-39 are source rows 189-160, displayed rows 20-59 source columns 20-59.
    assert viewer.get_selection_source_rect() == [20, 160, 40, 30]
    assert (viewer.get_selection_image(source=True) == source[160:190, 20:60]).all()
    viewer.zoom_mode = ZoomMode.FitPage  # three displayed rows cover 2.25 source columns: all three count
    viewer.selection_rect = wx.Rect(0, 0, 300, 3)
    assert viewer.get_selection_source_rect() == [0, 0, 3, 200]

    # Saved at the source's resolution, in its own orientation.
    viewer.rotation = Rotation.NoRotation
    viewer.zoom_rate = 0.5
    viewer.selection_rect = wx.Rect(10, 5, 40, 20)
    if isinstance(viewer, tesk_vumo.Image):  # its menu's item
        item = viewer.ui_poup_menu.FindItem("按原图分辨率保存选区...")
        save = lambda: viewer.GetEventHandler().ProcessEvent(wx.CommandEvent(wx.wxEVT_MENU, item))
    else:
        save = viewer.save_source_selection
    assert (saved(interaction, tmp_path, save) == source[10:50, 20:100]).all()

    # A large free zoom is never made whole; its selection is read and saved for itself.
    viewer.zoom_rate = 64
    limit = tesk_vumo.max_image_pixels()
    tesk_vumo.set_max_image_pixels(1_000_000)
    try:
        with pytest.raises(ValueError, match="^Cannot make a 19200x12800 displayed image: more than 1000000 pixels$"):
            viewer.image_being_shown
        column, row = viewer.source_to_display(150, 100)  # the corner of source pixel (150, 100)
        viewer.selection_rect = wx.Rect(int(column) - 64, int(row), 128, 64)
        part = viewer.get_selection_image()
        assert part.shape == (64, 128, 3)
        assert (part[:, :64] == source[100, 149]).all() and (part[:, 64:] == source[100, 150]).all()
        save = viewer.on_save_current_view if isinstance(viewer, tesk_vumo.Image) else viewer.on_save_image
        assert (saved(interaction, tmp_path, lambda: save(None)) == part).all()
    finally:
        tesk_vumo.set_max_image_pixels(limit)
