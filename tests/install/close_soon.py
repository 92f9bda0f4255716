"""Runs a Python program as written and, once its main loop has run for a
moment, closes its windows as a user would (the Python twin of
hosts/close_soon.cpp).

    close_soon.py PROGRAM.py
"""

import runpy
import sys

import wx

main_loop = wx.App.MainLoop


def MainLoop(self):
    wx.CallLater(500, lambda: [window.Close() for window in list(wx.GetTopLevelWindows())])
    return main_loop(self)


wx.App.MainLoop = MainLoop
runpy.run_path(sys.argv[1], run_name="__main__")
