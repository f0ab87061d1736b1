#!/usr/bin/env python3
"""Draws ZK's own pictures: the toolbar strip (bitmap 107, 12 images of
24 x 23), the program icon (100, 32 x 32 and 16 x 16) and the About logo
(bitmap 200, 83 x 46), all in the 16-colour palette. Run it after changing
a picture; the outputs are kept in resources/."""
import os
import struct

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DRED, DGREEN, DYELLOW, DBLUE, DMAGENTA, DCYAN, GREY, DGREY = range(9)
RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, WHITE = range(9, 16)

# 5 x 7 letters, '#' is ink.
LETTERS = {
    'G': [" ### ", "#   #", "#    ", "# ###", "#   #", "#   #", " ### "],
    'B': ["#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "],
    '5': ["#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "],
    'J': ["  ###", "   # ", "   # ", "   # ", "#  # ", "#  # ", " ##  "],
    'I': ["###", " # ", " # ", " # ", " # ", " # ", "###"],
    'S': [" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "],
    'H': ["#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    'Z': ["#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"],
    'K': ["#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"],
    'A': ["  #  ", " # # ", "#   #", "#   #", "#####", "#   #", "#   #"],
    'i': [" # ", "   ", "## ", " # ", " # ", " # ", "###"],
    'U': ["#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    '8': [" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "],
}


def canvas(width, height, colour):
    return [[colour] * width for _ in range(height)]


def rect(img, x0, y0, x1, y1, colour):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            img[y][x] = colour


def frame(img, x0, y0, x1, y1, colour):
    for x in range(x0, x1 + 1):
        img[y0][x] = img[y1][x] = colour
    for y in range(y0, y1 + 1):
        img[y][x0] = img[y][x1] = colour


def text(img, x, y, word, colour, scale=1):
    for letter in word:
        rows = LETTERS[letter]
        for dy, row in enumerate(rows):
            for dx, cell in enumerate(row):
                if cell == '#':
                    rect(img, x + dx * scale, y + dy * scale, x + dx * scale + scale - 1, y + dy * scale + scale - 1, colour)
        x += (len(rows[0]) + 1) * scale


def page(img, x0, y0, x1, y1):
    rect(img, x0, y0, x1, y1, WHITE)
    frame(img, x0, y0, x1, y1, DGREY)


def folder():
    img = canvas(24, 23, GREY)
    # The back of the folder with its tab, a sheet inside, the open flap.
    rect(img, 2, 5, 8, 6, DYELLOW)
    rect(img, 2, 7, 18, 18, DYELLOW)
    frame(img, 2, 7, 18, 18, BLACK)
    page(img, 5, 3, 16, 12)
    for y in (5, 7, 9):
        rect(img, 7, y, 14, y, DGREY)
    for y in range(11, 19):
        shift = (y - 11) // 2
        rect(img, 5 - shift + 2, y, 21 - shift, y, YELLOW)
        img[y][5 - shift + 2] = BLACK
        img[y][21 - shift] = BLACK
    rect(img, 7, 11, 21, 11, BLACK)
    rect(img, 2, 18, 18, 18, BLACK)
    return img


def disk():
    img = canvas(24, 23, GREY)
    rect(img, 3, 2, 20, 20, DBLUE)
    frame(img, 3, 2, 20, 20, BLACK)
    page(img, 6, 3, 17, 10)
    for y in (5, 7):
        rect(img, 8, y, 15, y, BLUE)
    rect(img, 7, 14, 16, 20, GREY)
    frame(img, 7, 14, 16, 20, BLACK)
    rect(img, 12, 15, 14, 19, DBLUE)
    return img


def printer():
    img = canvas(24, 23, GREY)
    page(img, 6, 1, 17, 9)
    for y in (3, 5, 7):
        rect(img, 8, y, 15, y, DGREY)
    rect(img, 2, 9, 21, 17, DGREY)
    frame(img, 2, 9, 21, 17, BLACK)
    rect(img, 4, 11, 19, 11, WHITE)
    img[14][18] = GREEN
    img[14][19] = GREEN
    page(img, 5, 15, 18, 21)
    return img


def about():
    img = canvas(24, 23, GREY)
    for y in range(23):
        for x in range(24):
            dx, dy = x - 11.5, y - 11
            d = dx * dx + dy * dy
            if d <= 81:
                img[y][x] = BLUE
            elif d <= 100:
                img[y][x] = DBLUE
    text(img, 10, 8, 'i', WHITE)
    rect(img, 10, 4, 12, 5, WHITE)
    return img


def code_page(word, colour):
    img = canvas(24, 23, GREY)
    page(img, 2, 2, 21, 20)
    width = sum(len(LETTERS[c][0]) + 1 for c in word) - 1
    text(img, 2 + (20 - width) // 2, 8, word, colour)
    rect(img, 5, 5, 18, 5, DGREY)
    rect(img, 5, 17, 18, 17, DGREY)
    return img


def convert(left, right, colour):
    img = canvas(24, 23, GREY)
    page(img, 0, 4, 8, 18)
    page(img, 15, 4, 23, 18)
    text(img, 2, 8, left, RED)
    text(img, 17, 8, right, colour)
    # A two-headed arrow between the pages.
    rect(img, 9, 11, 14, 11, BLACK)
    for x, y in ((10, 10), (10, 12), (13, 10), (13, 12)):
        img[y][x] = BLACK
    return img


def toolbar_strip():
    images = [
        folder(), disk(), printer(), about(),
        code_page('GB', RED), code_page('B5', DGREEN), code_page('A', DGREY), code_page('JIS', BLUE),
        convert('G', 'B', DGREEN), convert('G', 'J', BLUE), convert('G', 'H', DMAGENTA),
        code_page('U8', DMAGENTA),
    ]
    strip = canvas(24 * len(images), 23, GREY)
    for n, img in enumerate(images):
        for y in range(23):
            for x in range(24):
                strip[y][24 * n + x] = img[y][x]
    return strip


def icon(size):
    img = canvas(size, size, DBLUE)
    frame(img, 0, 0, size - 1, size - 1, BLUE)
    if size >= 32:
        text(img, 4, 6, 'ZK', WHITE, 2)
        rect(img, 4, 25, 27, 26, YELLOW)
    else:
        text(img, 2, 3, 'ZK', WHITE)
        rect(img, 2, 12, 13, 12, YELLOW)
    return img


def logo():
    img = canvas(83, 46, GREY)
    # A sheet of text in the double-byte codes: blocks of two cells, the
    # way ZK draws them, beside the program's name.
    page(img, 2, 3, 30, 42)
    for row, y in enumerate(range(7, 40, 6)):
        for col, x in enumerate(range(5, 27, 7)):
            if (row + col) % 4 == 3:
                continue
            colour = (DBLUE, DRED, DGREEN)[(row * 3 + col) % 3]
            frame(img, x, y, x + 4, y + 3, colour)
            rect(img, x + 2, y, x + 2, y + 3, colour)
    text(img, 36, 6, 'ZK', DBLUE, 3)
    rect(img, 36, 31, 80, 32, RED)
    text(img, 36, 36, 'GB', RED)
    text(img, 50, 36, 'B5', DGREEN)
    text(img, 64, 36, 'JIS', BLUE)
    return img


def palette_bytes():
    return b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE)


def pixel_rows(img):
    """4-bit rows, bottom row first, each padded to 4 bytes."""
    out = b''
    for row in reversed(img):
        line = bytearray()
        for x in range(0, len(row), 2):
            second = row[x + 1] if x + 1 < len(row) else 0
            line.append((row[x] << 4) | second)
        while len(line) % 4:
            line.append(0)
        out += bytes(line)
    return out


def write_bmp(path, img):
    width, height = len(img[0]), len(img)
    bits = pixel_rows(img)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 4, 0, len(bits), 2835, 2835, 16, 0)
    offset = 14 + len(info) + 64
    header = struct.pack('<2sIHHI', b'BM', offset + len(bits), 0, 0, offset)
    with open(path, 'wb') as f:
        f.write(header + info + palette_bytes() + bits)


def icon_image(img):
    size = len(img)
    bits = pixel_rows(img)
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)  # every pixel opaque
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, len(bits) + len(mask), 0, 0, 16, 0)
    return info + palette_bytes() + bits + mask


def write_ico(path, images):
    data = [icon_image(img) for img in images]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for img, blob in zip(images, data):
        size = len(img)
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
    with open(path, 'wb') as f:
        f.write(out + b''.join(data))


if __name__ == '__main__':
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'resources')
    write_bmp(os.path.join(here, 'toolbar.bmp'), toolbar_strip())
    write_ico(os.path.join(here, 'zk.ico'), [icon(32), icon(16)])
    write_bmp(os.path.join(here, 'logo.bmp'), logo())
