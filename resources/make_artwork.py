#!/usr/bin/env python3
"""Draws the launcher's icon and the main window's three pictures.

Writes, beside this script:
  tolv.ico     32x32, 16 colours (4 bits per pixel), one image
  maker.jpg    352x22  the maker's name in Japanese, on the window's light green
  emblem.jpg   51x47   the maker's small green emblem on white
  product.jpg  128x69  a frame under load, drawn undeformed and deformed

The icon is written byte by byte; the pictures are drawn with ImageMagick's `convert`
and need a Japanese font (fonts-noto-cjk).
"""
import os
import struct
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))
MAKER_JA = "株式会社 曇橋構造研究所"
JA_FONT = "Noto-Sans-CJK-JP-Bold"
FORM_GREEN = "rgb(224,255,208)"


def convert(*args):
    subprocess.run(["convert", *args], check=True)


def maker():
    convert("-size", "352x22", "xc:" + FORM_GREEN,
            "-font", JA_FONT, "-pointsize", "15", "-fill", "rgb(40,96,40)",
            "-gravity", "west", "-annotate", "+4+0", MAKER_JA,
            "-strip", "-quality", "95", os.path.join(HERE, "maker.jpg"))


def emblem():
    convert("-size", "51x47", "xc:white",
            # ring
            "-fill", "none", "-stroke", "rgb(0,128,0)", "-strokewidth", "3",
            "-draw", "circle 25.5,23.5 25.5,4",
            # arch bridge inside the ring
            "-strokewidth", "2", "-draw", "arc 10,14 41,44 180,360",
            "-draw", "line 9,29 42,29",
            "-strokewidth", "1",
            "-draw", "line 17,29 17,20", "-draw", "line 25,29 25,15", "-draw", "line 34,29 34,20",
            # cloud above the arch
            "-stroke", "none", "-fill", "rgb(96,176,64)",
            "-draw", "circle 20,12 20,9", "-draw", "circle 26,11 26,7", "-draw", "circle 31,12 31,9",
            "-strip", "-quality", "95", os.path.join(HERE, "emblem.jpg"))


def product():
    convert("-size", "128x69", "gradient:rgb(236,246,255)-rgb(200,224,244)",
            # ground
            "-fill", "rgb(120,120,120)", "-stroke", "none", "-draw", "rectangle 0,60 127,68",
            "-fill", "none", "-stroke", "rgb(60,60,60)", "-strokewidth", "1",
            "-draw", "line 0,60 127,60",
            # undeformed two-bay portal frame, dashed grey
            "-stroke", "rgb(110,110,140)", "-strokewidth", "1",
            "-draw", "stroke-dasharray 3 2 polyline 12,60 12,20 104,20 104,60",
            "-draw", "stroke-dasharray 3 2 line 58,20 58,60",
            # deformed frame under lateral load, solid red
            "-stroke", "rgb(200,30,30)", "-strokewidth", "2",
            "-draw", "path 'M 12,60 C 13,45 17,30 23,18 L 69,16 L 115,18 C 111,30 106,45 104,60'",
            "-draw", "path 'M 58,60 C 59,45 63,30 69,16'",
            # plastic hinges
            "-stroke", "none", "-fill", "rgb(0,128,0)",
            "-draw", "circle 23,18 23,15", "-draw", "circle 69,16 69,13", "-draw", "circle 115,18 115,15",
            # load arrow
            "-stroke", "rgb(0,0,0)", "-strokewidth", "2", "-draw", "line 2,9 12,9",
            "-stroke", "none", "-fill", "rgb(0,0,0)", "-draw", "polygon 17,9 11,5 11,13",
            "-strip", "-quality", "95", os.path.join(HERE, "product.jpg"))


# The sixteen colours of the classic 4-bit palette.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREEN, SILVER, GREY, RED, LIME, WHITE = 0, 2, 7, 8, 9, 10, 15


def line(img, x0, y0, x1, y1, c):
    dx, dy = abs(x1 - x0), -abs(y1 - y0)
    sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
    err = dx + dy
    while True:
        img[y0][x0] = c
        if x0 == x1 and y0 == y1:
            return
        e2 = 2 * err
        if e2 >= dy:
            err += dy
            x0 += sx
        if e2 <= dx:
            err += dx
            y0 += sy


def icon_pixels():
    img = [[WHITE] * 32 for _ in range(32)]
    # green rounded frame
    for i in range(32):
        for j in (0, 1, 30, 31):
            img[i][j] = GREEN
            img[j][i] = GREEN
    for x, y in ((2, 2), (29, 2), (2, 29), (29, 29)):
        img[y][x] = GREEN
    # ground
    for y in range(26, 30):
        for x in range(2, 30):
            img[y][x] = GREY
    # truss: chords, posts and diagonals
    line(img, 4, 25, 27, 25, BLACK)
    line(img, 8, 14, 23, 14, BLACK)
    line(img, 4, 25, 8, 14, BLACK)
    line(img, 27, 25, 23, 14, BLACK)
    for x in (13, 18):
        line(img, x, 14, x, 25, BLACK)
    line(img, 8, 14, 13, 25, BLACK)
    line(img, 13, 14, 18, 25, BLACK)
    line(img, 23, 14, 18, 25, BLACK)
    # load arrow in red
    line(img, 15, 4, 15, 11, RED)
    line(img, 13, 9, 15, 11, RED)
    line(img, 17, 9, 15, 11, RED)
    return img


def write_ico(path, img):
    w = h = 32
    xor_row = w // 2                     # 4 bits per pixel, rows already 4-byte aligned
    and_row = 4                          # 1 bit per pixel, padded to 32 bits
    xor = bytearray()
    for y in reversed(range(h)):         # bottom-up
        row = img[y]
        for x in range(0, w, 2):
            xor.append((row[x] << 4) | row[x + 1])
    mask = bytes(and_row * h)            # every pixel opaque
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    image = header + palette + bytes(xor) + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", w, h, 16, 0, 1, 4, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + entry + image)


if __name__ == "__main__":
    write_ico(os.path.join(HERE, "tolv.ico"), icon_pixels())
    maker()
    emblem()
    product()
