#!/usr/bin/env python3
"""Draws filecopy.gif, the clip the cache progress window plays while a walk
runs: a sheet travelling from one folder to another. Run it to make the
file again: python3 data/make_filecopy_gif.py data/filecopy.gif"""
import struct
import sys

WIDTH, HEIGHT, FRAMES = 64, 32, 12
PALETTE = [(255, 255, 255), (205, 170, 60), (60, 100, 170), (40, 40, 40)]  # bg, folder, sheet, ink


def frame(step):
    pixels = [[0] * WIDTH for _ in range(HEIGHT)]

    def box(x0, y0, x1, y1, color):
        for y in range(max(0, y0), min(HEIGHT, y1)):
            for x in range(max(0, x0), min(WIDTH, x1)):
                pixels[y][x] = color

    for left in (2, 46):  # two folders
        box(left, 14, left + 16, 28, 1)
        box(left, 12, left + 7, 14, 1)
    x = 8 + step * (40 // (FRAMES - 1))  # the sheet flies in an arc
    y = 16 - (6 - abs(step - FRAMES // 2))
    box(x, y, x + 8, y + 10, 2)
    for row in range(y + 2, y + 9, 2):
        box(x + 1, row, x + 7, row + 1, 3)
    return pixels


def lzw(indices, min_code_size):
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    table = {(i,): i for i in range(clear)}
    code_size, next_code = min_code_size + 1, end + 1
    out, bits, nbits = bytearray(), 0, 0

    def emit(code):
        nonlocal bits, nbits
        bits |= code << nbits
        nbits += code_size
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8

    emit(clear)
    current = ()
    for index in indices:
        candidate = current + (index,)
        if candidate in table:
            current = candidate
            continue
        emit(table[current])
        if next_code < 4096:
            table[candidate] = next_code
            next_code += 1
            if next_code > (1 << code_size) and code_size < 12:
                code_size += 1
        else:
            emit(clear)
            table = {(i,): i for i in range(clear)}
            code_size, next_code = min_code_size + 1, end + 1
        current = (index,)
    emit(table[current])
    emit(end)
    if nbits:
        out.append(bits & 0xFF)
    return bytes(out)


def main(path):
    data = bytearray(b"GIF89a" + struct.pack("<HHBBB", WIDTH, HEIGHT, 0xF1, 0, 0))
    for color in PALETTE:
        data += bytes(color)
    data += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"  # loop for ever
    for step in range(FRAMES):
        data += b"\x21\xF9\x04\x04" + struct.pack("<H", 8) + b"\x00\x00"  # 80 ms a frame
        data += b"\x2C" + struct.pack("<HHHHB", 0, 0, WIDTH, HEIGHT, 0)
        encoded = lzw([c for row in frame(step) for c in row], 2)
        data += b"\x02"
        for start in range(0, len(encoded), 255):
            chunk = encoded[start:start + 255]
            data += bytes([len(chunk)]) + chunk
        data += b"\x00"
    data += b"\x3B"
    with open(path, "wb") as out:
        out.write(data)


if __name__ == "__main__":
    main(sys.argv[1])
