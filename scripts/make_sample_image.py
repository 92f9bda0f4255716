#!/usr/bin/python3
"""Draws the demo's sample picture (demo/sample.png by default).

Colour bars, a hue/lightness field, a grey wedge, fine checkerboards, a thin
line grid and a few circles: enough to see at a glance whether a viewer swaps
channels, turns, scales or crops the image, and what its scaling does to fine
detail. Uses wx.Image only to write the PNG, so no application object (and no
display) is needed.

    /usr/bin/python3 scripts/make_sample_image.py [OUTPUT]
"""

import os
import sys

import numpy as np
import wx

WIDTH, HEIGHT = 1600, 1200


def colour_bars(img, top, bottom):
    bars = [(255, 255, 255), (255, 255, 0), (0, 255, 255), (0, 255, 0),
            (255, 0, 255), (255, 0, 0), (0, 0, 255), (0, 0, 0)]
    edges = np.linspace(0, WIDTH, len(bars) + 1).astype(int)
    for (left, right), rgb in zip(zip(edges[:-1], edges[1:]), bars):
        img[top:bottom, left:right] = rgb


def hue_lightness(img, top, bottom):
    # HSL with full saturation: hue runs left to right, lightness from 0.95
    # at the top to 0.05 at the bottom.
    hue = np.linspace(0.0, 6.0, WIDTH, endpoint=False)[None, :]
    light = np.linspace(0.95, 0.05, bottom - top)[:, None]
    chroma = 1.0 - np.abs(2.0 * light - 1.0)
    x = chroma * (1.0 - np.abs(np.mod(hue, 2.0) - 1.0))
    zero = np.zeros_like(x)
    c = np.broadcast_to(chroma, x.shape)
    sector = np.broadcast_to(np.floor(hue).astype(int), x.shape)
    choices = [
        (c, x, zero), (x, c, zero), (zero, c, x),
        (zero, x, c), (x, zero, c), (c, zero, x),
    ]
    rgb = np.zeros(x.shape + (3,))
    for i, (r, g, b) in enumerate(choices):
        mask = sector == i
        rgb[mask] = np.stack([r[mask], g[mask], b[mask]], axis=-1)
    rgb += (light - chroma / 2.0)[..., None]
    img[top:bottom] = np.clip(np.round(rgb * 255.0), 0, 255).astype(np.uint8)


def grey_wedge(img, top, bottom):
    steps = 16
    edges = np.linspace(0, WIDTH, steps + 1).astype(int)
    for i in range(steps):
        img[top:bottom, edges[i]:edges[i + 1]] = round(i * 255 / (steps - 1))


def checkerboards(img, top, bottom, left, right):
    # Squares of 1, 2 and 4 pixels side by side.
    rows = np.arange(bottom - top)[:, None]
    width = (right - left) // 3
    for i, cell in enumerate((1, 2, 4)):
        cols = np.arange(width)[None, :]
        on = ((rows // cell) + (cols // cell)) % 2 == 0
        img[top:bottom, left + i * width:left + (i + 1) * width] = np.where(on[..., None], 255, 0)


def line_grid(img, top, bottom, left, right):
    img[top:bottom, left:right] = (245, 240, 225)
    area = img[top:bottom, left:right]
    area[::10, :] = (120, 120, 120)
    area[:, ::10] = (120, 120, 120)
    area[::50, :] = (200, 0, 0)
    area[:, ::50] = (0, 0, 200)


def circles(img, top, bottom, left, right):
    area = img[top:bottom, left:right]
    area[:] = (64, 64, 64)
    yy, xx = np.mgrid[0:bottom - top, 0:right - left]
    height, width = bottom - top, right - left
    for cx, rgb in ((width * 0.2, (255, 0, 0)), (width * 0.5, (0, 255, 0)), (width * 0.8, (0, 0, 255))):
        cy = height * 0.5
        d = np.hypot(xx - cx, yy - cy)
        area[d <= height * 0.3] = rgb
        # A thin white ring around each disc.
        area[np.abs(d - height * 0.4) < 0.8] = (255, 255, 255)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    output = argv[1] if len(argv) > 1 else os.path.join(here, "..", "demo", "sample.png")

    img = np.zeros((HEIGHT, WIDTH, 3), np.uint8)
    colour_bars(img, 0, 240)
    hue_lightness(img, 240, 600)
    grey_wedge(img, 600, 680)
    checkerboards(img, 680, 900, 0, 780)
    line_grid(img, 680, 900, 780, WIDTH)
    circles(img, 900, HEIGHT, 0, WIDTH)
    # One pixel of each corner marked, so a turn or a flip shows up exactly.
    img[0, 0] = (255, 0, 0)
    img[0, -1] = (0, 255, 0)
    img[-1, 0] = (0, 0, 255)
    img[-1, -1] = (255, 255, 255)

    image = wx.Image(WIDTH, HEIGHT)
    image.SetData(img.tobytes())
    if not image.SaveFile(output, wx.BITMAP_TYPE_PNG):
        sys.exit("cannot write " + output)
    print("wrote", os.path.normpath(output))


if __name__ == "__main__":
    main(sys.argv)
