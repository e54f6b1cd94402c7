#!/usr/bin/env python3
"""Draws the program icon, a vertical dimension with its value, and writes sorea.ico.

The icon holds a 32x32 and a 16x16 image of 16 colours (4 bits a pixel, the VGA palette), as
Windows shows in the title bar, the task bar and Jw_cad users' folders. Run it again after
changing the drawing:  python3 scripts/make_icon.py src/win32/sorea.ico
"""
import struct
import sys

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, GREY, RED, BLUE, WHITE = 0, 4, 8, 9, 12, 15


def draw(size):
    """The picture on a size x size grid, as palette indices, row 0 at the top."""
    px = [[WHITE] * size for _ in range(size)]
    u = size / 32.0

    def put(x, y, c):
        if 0 <= x < size and 0 <= y < size:
            px[y][x] = c

    def hline(x0, x1, y, c):
        for x in range(int(x0 * u), int(x1 * u) + 1):
            put(x, int(y * u), c)

    def vline(x, y0, y1, c):
        for y in range(int(y0 * u), int(y1 * u) + 1):
            put(int(x * u), y, c)

    # The frame of the sheet.
    hline(0, 31, 0, GREY)
    hline(0, 31, 31, GREY)
    vline(0, 0, 31, GREY)
    vline(31, 0, 31, GREY)
    # Two extension lines from the measured points, and the dimension line between them.
    hline(4, 26, 5, BLACK)
    hline(4, 26, 26, BLACK)
    vline(22, 5, 26, BLUE)
    # Line arrows at both ends.
    for d in range(1, 5):
        put(int(22 * u) - int(d * u), int((5 + d) * u), BLUE)
        put(int(22 * u) + int(d * u), int((5 + d) * u), BLUE)
        put(int(22 * u) - int(d * u), int((26 - d) * u), BLUE)
        put(int(22 * u) + int(d * u), int((26 - d) * u), BLUE)
    # The value, written horizontally beside the line.
    for y in range(12, 19):
        hline(5, 16, y, RED if y in (12, 18) else WHITE)
    for x in (6, 9, 12, 15):
        vline(x, 13, 17, NAVY)
    return px


def image(size):
    rows = draw(size)
    xor_row = (size * 4 + 31) // 32 * 4
    and_row = (size + 31) // 32 * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         (xor_row + and_row) * size, 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    xor = b""
    for row in reversed(rows):
        packed = bytes((row[i] << 4) | row[i + 1] for i in range(0, size, 2))
        xor += packed + b"\0" * (xor_row - len(packed))
    mask = b"\0" * (and_row * size)  # every pixel opaque
    return header + palette + xor + mask


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "sorea.ico"
    images = [image(32), image(16)]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, img in zip((32, 16), images):
        data += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(img), offset)
        offset += len(img)
    with open(out, "wb") as f:
        f.write(data + b"".join(images))


if __name__ == "__main__":
    main()
