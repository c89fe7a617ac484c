#!/usr/bin/env python3
"""Writes data folders of hostile pictures for measuring the viewer's first paint and peak memory.

    bench/hostile_pictures.py ROOT

makes ROOT/CASE/tolvane/quintar/ for each case below: a catalogue of one vehicle, "Hostile X 2000", whose
sixteen part codes name the case's pictures. The measuring commands are in docs/robustness.md.
"""
import os
import struct
import subprocess
import sys
import zlib


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png(width, height, extra_chunks=b""):
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    row = b"\0" + b"\x40" * (width * 3)
    pixels = zlib.compressobj(9)
    data = b"".join(pixels.compress(row) for _ in range(height)) + pixels.flush()
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) + extra_chunks + png_chunk(b"IDAT", data) +
            png_chunk(b"IEND", b""))


def compressed_text_png():
    # 50 zTXt chunks of 7.9 MB of text each, about 7.7 KB each in the file.
    text = zlib.compress(b"x" * 7_900_000, 9)
    return png(16, 16, png_chunk(b"zTXt", b"Comment\0\0" + text) * 50)


def rle_bmp(width, height):
    # 8 bits a pixel, run-length coded: each row a run of 255 pixels and delta escapes across the rest.
    rows = []
    for _ in range(height):
        row = bytearray(b"\xff\x01")
        left = width - 255
        while left > 0:
            step = min(255, left)
            row += bytes([0, 2, step, 0])
            left -= step
        row += b"\x00\x00"
        rows.append(bytes(row))
    data = b"".join(rows) + b"\x00\x01"
    palette = b"".join(bytes([i, i, i, 0]) for i in range(256))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 1, len(data), 2835, 2835, 256, 0)
    offset = 14 + len(info) + len(palette)
    return b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset) + info + palette + data


def progressive_jpeg(side):
    ppm = subprocess.run(["ppmmake", "rgb:40/80/c0", str(side), str(side)], check=True,
                         capture_output=True).stdout
    return subprocess.run(["pnmtojpeg", "--progressive", "--quality=90"], input=ppm, check=True,
                          capture_output=True).stdout


def camera_photo(width, height, seed):
    # Fine grain everywhere, as a sensor gives it: 12 megapixels make a file of about 6 MB, more than a
    # phone's photograph of the same size.
    pgm = subprocess.run(["pgmnoise", f"-randomseed={seed}", str(width), str(height)], check=True,
                         capture_output=True).stdout
    return subprocess.run(["pnmtojpeg", "--quality=70"], input=pgm, check=True, capture_output=True).stdout


def svg():
    circles = "".join(f"<circle cx='{i % 200}' cy='{i // 200}' r='50'/>" for i in range(20000))
    return ("<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' "
            "width='4096' height='4096'><image xlink:href='/etc/hostname' width='99' height='99'/>"
            + circles + "</svg>").encode()


CASES = {
    # case: (how many slots, the picture's bytes; given the slot's number, each slot's own picture)
    "compressed-text-1": (1, compressed_text_png),
    "compressed-text-16": (16, compressed_text_png),
    "png-4096-16": (16, lambda: png(4096, 4096)),
    "bmp-rle-4096-16": (16, lambda: rle_bmp(4096, 4096)),
    "jpeg-progressive-3000-16": (16, lambda: progressive_jpeg(3000)),
    "svg-16": (16, svg),
    "camera-12mp-16": (16, lambda n: camera_photo(4000, 3000, n)),
    "camera-48mp-1": (1, lambda n: camera_photo(8000, 6000, n)),
}


def record(codes):
    parts = codes + [""] * (16 - len(codes))
    return "1,,Hostile,X,,2000,2000," + ",".join(parts) + "\r\n" + "0,,,,,,," + "," * 15 + "\r\n"


def main():
    root = sys.argv[1]
    for case, (slots, make) in CASES.items():
        folder = os.path.join(root, case, "tolvane", "quintar")
        os.makedirs(folder, exist_ok=True)
        own = make.__code__.co_argcount == 1
        picture = None if own else make()
        codes = [f"H{n}" for n in range(1, slots + 1)]
        for n, code in enumerate(codes, 1):
            with open(os.path.join(folder, code + "ill.jpg"), "wb") as out:
                out.write(make(n) if own else picture)
        with open(os.path.join(folder, "specialty.txt"), "w", newline="") as out:
            out.write(record(codes))


if __name__ == "__main__":
    main()
