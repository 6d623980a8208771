#!/usr/bin/env python3
"""Draws the extension's images and writes ExtensionImages.cpp beside this
script: the memo list's 32- and 16-pixel memo icons (magenta FF00FF is the
background, made transparent by the image lists), the memo editor's window
icon (a memo and a pen, on a transparent background), the cursor over the
side-by-side splitter (a bar with arrows to the left and right) and the
cursor over the maker link (a pointing hand).  The cursors' background is
transparent ("None").

Run it again after changing a drawing; the generated file is committed."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import xpm_canvas as canvas  # noqa: E402
from xpm_canvas import blank, frame, line, rect  # noqa: E402

PALETTE = {
    '.': 'FF00FF',  # background of the list images, the image lists' mask colour
    ' ': 'None',    # where the screen shows through a cursor
    'k': '000000',  # outlines
    'w': 'FFFFFF',  # white
    'p': 'FFF6B8',  # note paper
    'f': 'E2CF72',  # folded corner
    'g': '808080',  # shadow
    'b': '3A5BA8',  # written lines
    'o': 'F0A020',  # pencil
    'e': 'E88A9A',  # eraser
    'n': '404040',  # lead
    'd': '1E2B4F',  # pen barrel
    'y': 'D8B040',  # pen nib and clip
}


def note(size, with_pencil=True):
    """A sheet of note paper with a folded corner, written lines and, large, a pencil."""
    s = size / 32.0
    img = blank(size, size, '.')
    left, top, right, bottom = round(4 * s), round(2 * s), round(25 * s), round(29 * s)
    fold = max(3, round(7 * s))
    # Drop shadow, paper, outline.
    rect(img, left + 1, top + 1, right + 1, bottom + 1, 'g')
    rect(img, left, top, right, bottom, 'p')
    frame(img, left, top, right, bottom, 'k')
    # The folded top-right corner.
    for i in range(fold):
        for x in range(right - fold + 1 + i, right + 2):
            img[top + i][x] = '.'
        img[top + i][right - fold + 1 + i] = 'k'
        for x in range(right - fold + 1, right - fold + 1 + i):
            img[top + i][x] = 'f'
        if top + i + 1 <= bottom and right - fold + 1 + i + 1 <= right + 1:
            img[top + i + 1][right - fold + 1 + i + 1] = 'g'
    rect(img, right - fold + 1, top + fold - 1, right, top + fold - 1, 'k')
    img[top + fold - 1][right - fold + 1] = 'k'
    for y in range(top, top + fold):
        img[y][right - fold + 1] = 'k'
    # Written lines.
    step = max(2, round(4 * s))
    y = top + fold + (2 if size > 16 else 1)
    n = 0
    while y < bottom - 1:
        end = right - round(3 * s) - (round(5 * s) if n % 3 == 2 else 0)
        for x in range(left + round(3 * s), end + 1):
            img[y][x] = 'b'
        y += step
        n += 1
    if size >= 32 and with_pencil:
        pencil(img, 13, 28, 17)
    return img


def pencil(img, tipX, tipY, length):
    """A pencil lying from its tip at (tipX, tipY) up to the right."""
    across0 = tipX + tipY
    for y in range(len(img)):
        for x in range(len(img[0])):
            along = (x - tipX) - (y - tipY)  # 0 at the tip, 2 per pixel along
            across = x + y - across0
            if along < 0 or along > 2 * length or abs(across) > 2:
                continue
            if along < 10:  # the sharpened end
                if abs(across) * 5 > along * 2:
                    continue
                c = 'n' if along < 4 else ('k' if abs(across) * 5 >= along * 2 - 2 else 'f')
            elif abs(across) == 2:
                c = 'k'
            elif along > 2 * length - 4:
                c = 'e'
            elif along > 2 * length - 8:
                c = 'g'
            else:
                c = 'o'
            img[y][x] = c


def editor_icon():
    """The memo editor's window icon: a memo with a pen across it, on a
    transparent background."""
    img = note(32, with_pencil=False)
    pen(img, 12, 27, 18)
    return [[' ' if c == '.' else c for c in row] for row in img]


def pen(img, tipX, tipY, length):
    """A fountain pen lying from its nib at (tipX, tipY) up to the right."""
    across0 = tipX + tipY
    for y in range(len(img)):
        for x in range(len(img[0])):
            along = (x - tipX) - (y - tipY)  # 0 at the nib, 2 per pixel along
            across = x + y - across0
            if along < 0 or along > 2 * length or abs(across) > 3:
                continue
            if along < 8:  # the nib
                if abs(across) * 4 > along + 1:
                    continue
                c = 'n' if along < 2 else ('k' if abs(across) * 4 >= along - 2 else 'y')
            elif abs(across) == 3:
                c = 'k'
            elif along < 12:  # the grip
                c = 'n'
            elif along > 2 * length - 3:
                c = 'k'
            elif 16 <= along <= 18:  # the cap's ring
                c = 'y'
            else:
                c = 'w' if across == -2 else 'd'
            img[y][x] = c


def outlined(w, h, shape):
    """A cursor: the shape in black with a white outline, the rest transparent."""
    img = blank(w, h, ' ')
    for (x, y) in shape:
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                if 0 <= x + dx < w and 0 <= y + dy < h:
                    img[y + dy][x + dx] = 'w'
    for (x, y) in shape:
        img[y][x] = 'k'
    return img


def split_cursor():
    """A vertical bar with an arrow to each side; hot spot on the bar."""
    shape = set()
    for y in range(5, 27):
        shape.add((15, y))
        shape.add((16, y))
    for x in range(7, 14):
        shape.add((x, 15))
        shape.add((x, 16))
    for x in range(18, 25):
        shape.add((x, 15))
        shape.add((x, 16))
    for i in range(5):
        for y in range(15 - i, 17 + i):
            shape.add((3 + i, y))
            shape.add((28 - i, y))
    return outlined(32, 32, shape)


HAND = [
    "     kk           ",
    "    kwwk          ",
    "    kwwk          ",
    "    kwwk          ",
    "    kwwk          ",
    "    kwwkkk        ",
    "    kwwkwwkkk     ",
    "    kwwkwwkwwkkk  ",
    "    kwwkwwkwwkwwk ",
    " kk kwwkwwkwwkwwk ",
    "kwwkkwwkwwkwwkwwk ",
    "kwwwkwwwwwwwwwwwk ",
    " kwwkwwwwwwwwwwwk ",
    "  kwwwwwwwwwwwwwk ",
    "  kwwwwwwwwwwwwwk ",
    "   kwwwwwwwwwwwwk ",
    "   kwwwwwwwwwwwk  ",
    "    kwwwwwwwwwwk  ",
    "    kwwwwwwwwwk   ",
    "     kwwwwwwwwk   ",
    "     kkkkkkkkkk   ",
]


def hand_cursor():
    """A pointing hand; the hot spot is the tip of the index finger."""
    img = blank(32, 32, ' ')
    for y, row in enumerate(HAND):
        for x, c in enumerate(row):
            img[y + 1][x + 4] = c
    return img


HAND_HOT_SPOT = (9, 1)
SPLIT_HOT_SPOT = (16, 16)


def xpm(name, img):
    return canvas.xpm(name, img, PALETTE)


def main():
    out = [
        '// The QuilletExt module\'s bitmaps and cursors, written by make_ext_images.py.',
        '// FF00FF is the background of the list images (the image lists\' mask',
        '// colour); the cursors\' background is transparent.',
        '',
        '#include <iterator>',
        '',
        '#include "platform/resources/ResourceBitmaps.h"',
        '#include "platform/resources/ResourceCursors.h"',
        '#include "resources/extension/ExtensionModule.h"',
        '',
        'namespace {',
        '',
        '// The memo list\'s large image 0: a memo.',
        xpm('kLargeImages', note(32)),
        '// The memo list\'s small image 0: a memo.',
        xpm('kSmallImages', note(16)),
        '// The memo editor\'s window icon: a memo and a pen.',
        xpm('kMemoEditorIcon', editor_icon()),
        '// Over a side-by-side splitter bar.',
        xpm('kSplitSideCursor', split_cursor()),
        '// Over the maker link.',
        xpm('kLinkCursor', hand_cursor()),
        'const ResourceBitmap kBitmaps[] = {',
        '    {IDB_LARGE_IMAGES, kLargeImages},',
        '    {IDB_SMALL_IMAGES, kSmallImages},',
        '    {IDI_MEMO_EDITOR, kMemoEditorIcon},',
        '};',
        '',
        'const ResourceCursor kCursors[] = {',
        '    {IDCUR_SPLIT_SIDE, kSplitSideCursor, %d, %d},' % SPLIT_HOT_SPOT,
        '    {IDCUR_LINK, kLinkCursor, %d, %d},' % HAND_HOT_SPOT,
        '};',
        '',
        '}  // namespace',
        '',
        'bool AddExtensionImages(ResourceInstance module) {',
        '  return ResourceAddBitmaps(module, kBitmaps, std::size(kBitmaps)) >= 0 &&',
        '         ResourceAddCursors(module, kCursors, std::size(kCursors)) >= 0;',
        '}',
        '',
    ]
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'ExtensionImages.cpp')
    with open(path, 'w') as f:
        f.write('\n'.join(out))


if __name__ == '__main__':
    main()
