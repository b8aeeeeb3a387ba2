#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets (tests/fuzz/corpus/<target>/):
small, valid examples of what each target reads, made from the project's own
formats, so that fuzzing starts from inputs that get deep into the readers. (The
JPEG seed, ImageFuzz/jpeg, was written by the program's own JPEG writer and
is kept as it is.)

    python3 tools/make_fuzz_seeds.py [OUT]      (default: tests/fuzz/corpus)
"""

import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import io  # noqa: E402
import zipfile  # noqa: E402
import make_decks  # noqa: E402  (pattern_png, the test decks' picture)


def frame(message):
    return struct.pack("<I", len(message)) + message


def u32(v):
    return struct.pack("<I", v)


def i64(v):
    return struct.pack("<q", v)


def string(s):
    b = s.encode()
    return u32(len(b)) + b


def job_frames():
    hello = frame(bytes([47]) + u32(0x424A4D51) + u32(4) + u32(4242))
    ready = frame(bytes([40]))
    # ... then the request: two slide ranges (1-1, 3-end) and padded numbers.
    task = (u32(1) + string("/in/deck.pptx") + string("/out/") + u32(1) + i64(0) + i64(0) + u32(150) +
            u32(2) + u32(1) + u32(1) + u32(3) + u32(0) + u32(1) +
            u32(96) + u32(0) + u32(0) + u32(0) + u32(1) + u32(85) + u32(1) + u32(1) +
            u32(3) + u32(0) + u32(10) + u32(0xFF0000))
    tasks = frame(bytes([60]) + u32(1) + task)
    started = frame(bytes([41]) + u32(1) + string("/in/deck.pptx"))
    slide = frame(bytes([42]) + u32(1) + u32(1) + u32(3))
    report = frame(bytes([43]) + u32(1) + string("Cannot write the image /out/deck_Slide1.png"))
    written = frame(bytes([48]) + u32(1) + u32(2) + string("/out/deck_Slide1.png") + string("/out/deck_Slide2.png"))
    done = frame(bytes([46]) + u32(1) + u32(4))
    render_replies = (frame(bytes([1]) + u32(0x57524D51) + u32(2) + u32(99)) +
                      frame(bytes([8]) + u32(2) + u32(0) + u32(4)) +
                      frame(bytes([3]) + u32(3) + i64(14401) + i64(8101)) +
                      frame(bytes([4]) + u32(960) + u32(540)) +
                      frame(bytes([6]) + u32(7) + string("slide index 9 of 3")) +
                      frame(bytes([5])) + frame(bytes([7])))
    render_requests = (frame(bytes([20]) + string("/in/deck.pptx")) +
                       frame(bytes([21]) + u32(0) + string("/out/.x.bmp") + u32(0) + u32(0)) +
                       frame(bytes([24])) + frame(bytes([22])) + frame(bytes([23])))
    return {"job-run": hello + ready + started + slide + report + written + done,
            "tasks": tasks, "render-replies": render_replies, "render-requests": render_requests}


def compound_file():
    """A minimal OLE compound file with a "Current User" stream in the mini stream."""
    header = bytearray(512)
    header[0:8] = bytes([0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1])
    struct.pack_into("<HH", header, 0x1E, 9, 6)
    struct.pack_into("<IIIIIIII", header, 0x2C, 1, 1, 0, 4096, 3, 1, 0xFFFFFFFE, 0)
    struct.pack_into("<I", header, 0x4C, 0)
    for i in range(1, 109):
        struct.pack_into("<I", header, 0x4C + 4 * i, 0xFFFFFFFF)
    fat = bytearray(b"\xff" * 512)
    struct.pack_into("<IIII", fat, 0, 0xFFFFFFFD, 0xFFFFFFFE, 0xFFFFFFFE, 0xFFFFFFFE)
    directory = bytearray(512)

    def entry(index, name, kind, start, size):
        at = 128 * index
        encoded = name.encode("utf-16-le")
        directory[at:at + len(encoded)] = encoded
        struct.pack_into("<HB", directory, at + 0x40, len(encoded) + 2, kind)
        struct.pack_into("<II", directory, at + 0x74, start, size)

    entry(0, "Root Entry", 5, 2, 64)
    entry(1, "Current User", 2, 0, 16)
    mini_stream = bytearray(512)
    # The CurrentUserAtom: record header (type 0x0FF6, length), its size, the encrypted token.
    struct.pack_into("<HHIII", mini_stream, 0, 0, 0x0FF6, 20, 20, 0xF3D1C4DF)
    mini_fat = bytearray(b"\xff" * 512)
    struct.pack_into("<I", mini_fat, 0, 0xFFFFFFFE)
    return bytes(header + fat + directory + mini_stream + mini_fat)


def slide_zip():
    """The parts list of a one-slide presentation, stored: what the slide count probe reads."""
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_STORED) as z:
        for name in ("[Content_Types].xml", "ppt/presentation.xml", "ppt/slides/slide1.xml"):
            z.writestr(zipfile.ZipInfo(name, date_time=(1980, 1, 1, 0, 0, 0)), b"<x/>")
    return buffer.getvalue()


def bmp(width, height, bits):
    stride = (width * bits // 8 + 3) & ~3
    pixels = bytes((x * 40 + y * 90) % 256 for y in range(height) for x in range(stride))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(pixels), 3780, 3780, 0, 0)
    return b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54) + info + pixels


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "tests", "fuzz", "corpus")
    seeds = {
        "FramesFuzz": job_frames(),
        "ContainerFuzz": {"current-user.ppt": compound_file(), "one-slide.pptx": slide_zip()},
        # The first byte picks the reader: 0 BMP, 1 PNG, 2 JPEG.
        "ImageFuzz": {"bmp24": b"\x00" + bmp(3, 2, 24), "bmp32": b"\x00" + bmp(2, 2, 32),
                      "png": b"\x01" + make_decks.pattern_png(4, 3)},
        "NameFuzz": {"plain": b"Quarterly review.pptx", "accents": "Präsentation – été".encode(),
                     "control": b"deck\x07.pptx", "broken-utf8": b"deck\xc3(.pptx"},
    }
    for target, files in seeds.items():
        folder = os.path.join(out, target)
        os.makedirs(folder, exist_ok=True)
        for name, data in files.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
