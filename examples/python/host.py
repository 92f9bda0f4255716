"""A small wxPython host with the three tesk_vumo viewers side by side.

    python3 host.py [IMAGE] [--screenshot FILE]

The full viewers start at actual size and turned a quarter clockwise; the
status bar shows the selection of the middle viewer whenever the user
releases the mouse over it.
"""

import argparse
import sys

import wx

import tesk_vumo


class HostFrame(wx.Frame):
    def __init__(self, image_path):
        super().__init__(None, title="tesk_vumo example host (Python)", size=(1500, 560))
        self.CreateStatusBar()
        self.simple = tesk_vumo.SimpleImagePanel(self, wx.Size(300, 400))
        self.panel = tesk_vumo.ImagePanel(self, wx.Size(560, 480))
        self.menu_viewer = tesk_vumo.Image(self, wx.Size(560, 480))
        row = wx.BoxSizer(wx.HORIZONTAL)
        row.Add(self.simple, 0, wx.EXPAND | wx.ALL, 4)
        row.Add(self.panel, 1, wx.EXPAND | wx.ALL, 4)
        row.Add(self.menu_viewer, 1, wx.EXPAND | wx.ALL, 4)
        self.SetSizer(row)
        self.Layout()

        for viewer in (self.simple, self.panel, self.menu_viewer):
            viewer.source_image = image_path
        self.panel.zoom_mode = tesk_vumo.ZoomMode.NoZoom
        self.menu_viewer.rotation = tesk_vumo.Rotation.ClockWise90
        self.panel.ui_image.Bind(wx.EVT_LEFT_UP, self.show_selection)

    def show_selection(self, event):
        x, y, w, h = self.panel.get_selection_rect()
        self.SetStatusText(f"selection: {x}, {y}, {w} x {h}")
        event.Skip()


def save_screenshot(window, path):
    width, height = window.GetClientSize()
    shot = wx.Bitmap(width, height)
    memory = wx.MemoryDC(shot)
    memory.Blit(0, 0, width, height, wx.ClientDC(window), 0, 0)
    memory.SelectObject(wx.NullBitmap)
    return shot.SaveFile(path, wx.BITMAP_TYPE_PNG)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("image", nargs="?", default="sample.png")
    parser.add_argument("--screenshot", metavar="FILE")
    args = parser.parse_args(argv)

    app = wx.App(False)
    try:
        frame = HostFrame(args.image)
    except (AssertionError, TypeError) as error:
        print(error, file=sys.stderr)
        return 1
    frame.Show()
    result = {"code": 0}
    if args.screenshot:
        def take():
            for _ in range(20):
                wx.Yield()
                wx.MilliSleep(10)
            if not save_screenshot(frame, args.screenshot):
                result["code"] = 1
            frame.Destroy()
        wx.CallAfter(take)
    app.MainLoop()
    return result["code"]


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
