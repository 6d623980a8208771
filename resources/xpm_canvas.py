"""Drawing on character grids and writing them as XPM arrays, shared by the
scripts that draw the resource images.  An image is a list of rows, each a
list of one-character colour keys; a palette maps each key to an RRGGBB
colour or to 'None' (transparent)."""


def blank(w, h, c):
    return [[c] * w for _ in range(h)]


def rect(img, x0, y0, x1, y1, c):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            img[y][x] = c


def frame(img, x0, y0, x1, y1, c):
    for x in range(x0, x1 + 1):
        img[y0][x] = c
        img[y1][x] = c
    for y in range(y0, y1 + 1):
        img[y][x0] = c
        img[y][x1] = c


def line(img, x0, y0, x1, y1, c):
    n = max(abs(x1 - x0), abs(y1 - y0))
    for i in range(n + 1):
        img[y0 + round(i * (y1 - y0) / n)][x0 + round(i * (x1 - x0) / n)] = c


def xpm(name, img, palette, prefix='const'):
    """The C array `name` holding the image in XPM form."""
    h, w = len(img), len(img[0])
    used = sorted({c for row in img for c in row})
    lines = ['"%d %d %d 1",' % (w, h, len(used))]
    for c in used:
        colour = palette[c]
        lines.append('"%s c %s",' % (c, colour if colour == 'None' else '#' + colour))
    lines += ['"%s",' % ''.join(row) for row in img]
    lines[-1] = lines[-1].rstrip(',')
    return '%s char* const %s[] = {\n    %s};\n' % (prefix, name, '\n    '.join(lines))
