#!/usr/bin/env python3
"""Draws the four HotSync action bitmaps of the conduit (a desktop computer on
the left, a handheld on the right, arrows between them) and writes them as XPM
arrays into ActionBitmaps.h beside this script.  Light grey (C0C0C0) is the
background: the dialog maps it to the current button-face colour.

Run it again after changing a drawing; the generated header is committed."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import xpm_canvas as canvas  # noqa: E402
from xpm_canvas import frame, rect  # noqa: E402

W, H = 48, 24
PALETTE = {
    '.': 'C0C0C0',  # background, mapped to the button face
    'k': '000000',  # outlines
    'd': '808080',  # shadow, stand
    'w': 'FFFFFF',  # highlight
    's': '008080',  # desktop screen
    'h': '404040',  # handheld body
    'l': '9CB48C',  # handheld screen
    'a': '000080',  # arrows
    'x': 'C00000',  # "nothing happens" cross
}


def blank():
    return canvas.blank(W, H, '.')


def desktop(img):
    # Monitor with a screen, a neck and a foot.
    rect(img, 1, 2, 16, 15, 'w')
    frame(img, 1, 2, 16, 15, 'k')
    rect(img, 3, 4, 14, 13, 's')
    rect(img, 7, 16, 10, 17, 'd')
    rect(img, 3, 18, 14, 20, 'd')
    frame(img, 3, 18, 14, 20, 'k')
    # A keyboard line under the foot.
    rect(img, 1, 22, 16, 22, 'k')


def handheld(img):
    rect(img, 35, 1, 45, 22, 'h')
    frame(img, 35, 1, 45, 22, 'k')
    rect(img, 37, 3, 43, 13, 'l')
    frame(img, 37, 3, 43, 13, 'k')
    # Buttons.
    for x in (37, 40, 43):
        img[17][x] = 'w'
        img[18][x] = 'w'
    img[20][40] = 'd'


def arrow_right(img, y):
    rect(img, 19, y - 1, 29, y + 1, 'a')
    for i in range(5):
        rect(img, 29 + i, y - 4 + i, 29 + i, y + 4 - i, 'a')


def arrow_left(img, y):
    rect(img, 22, y - 1, 32, y + 1, 'a')
    for i in range(5):
        rect(img, 22 - i, y - 4 + i, 22 - i, y + 4 - i, 'a')


def cross(img):
    for i in range(9):
        for t in (0, 1):
            img[7 + i][22 + i + t] = 'x'
            img[7 + i][30 - i + t] = 'x'


def drawing(kind):
    img = blank()
    desktop(img)
    handheld(img)
    if kind == 'sync':
        arrow_right(img, 7)
        arrow_left(img, 16)
    elif kind == 'desktop':
        arrow_right(img, 11)
    elif kind == 'handheld':
        arrow_left(img, 11)
    else:
        cross(img)
    return img


def xpm(name, img):
    return canvas.xpm(name, img, PALETTE, prefix='inline const')


def main():
    out = ['#pragma once',
           '// The HotSync action bitmaps (XPM), written by make_action_bitmaps.py.',
           '// C0C0C0 is the background that the dialog maps to the button face.',
           '']
    for name, kind in (('ACTION_SYNCHRONIZE_XPM', 'sync'),
                       ('ACTION_DESKTOP_OVERWRITES_XPM', 'desktop'),
                       ('ACTION_HANDHELD_OVERWRITES_XPM', 'handheld'),
                       ('ACTION_DO_NOTHING_XPM', 'nothing')):
        out.append('// %s' % {'sync': 'Synchronize the files: arrows both ways.',
                              'desktop': 'Desktop overwrites handheld: arrow to the handheld.',
                              'handheld': 'Handheld overwrites desktop: arrow to the desktop.',
                              'nothing': 'Do nothing: a cross between the two.'}[kind])
        out.append(xpm(name, drawing(kind)))
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'ActionBitmaps.h')
    with open(path, 'w') as f:
        f.write('\n'.join(out))


if __name__ == '__main__':
    main()
