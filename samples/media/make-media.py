#!/usr/bin/env python3
"""Draws the pictures, the tone and the little animation that samples/harbour-tour.flit names.

Everything is computed here from gradients and simple shapes, with nothing but the standard
library, so the files can be made again at any time:

    python3 samples/media/make-media.py

writes sky.png, chart.png, gull.png, horn.wav and ferry.gif next to this script.
"""

import math
import os
import struct
import wave
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
WIDTH, HEIGHT = 64, 48


def write_png(name, width, height, pixel):
    """pixel(x, y) -> (r, g, b); an 8-bit RGB PNG without interlacing."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # no filter
        for x in range(width):
            rows.extend(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", header))
        out.write(chunk(b"IDAT", zlib.compress(bytes(rows), 9)))
        out.write(chunk(b"IEND", b""))


def mix(a, b, t):
    return tuple(int(round(p + (q - p) * t)) for p, q in zip(a, b))


def sky(x, y):
    """Dawn: deep blue at the top to pale orange at the horizon, dark sea below it."""
    horizon = 34
    if y < horizon:
        return mix((24, 40, 92), (246, 190, 130), y / (horizon - 1))
    # A band of light on the water under the sun, fading towards the edges.
    glow = max(0.0, 1.0 - abs(x - 40) / 14.0) * (1.0 - (y - horizon) / (HEIGHT - horizon))
    return mix((18, 46, 70), (240, 170, 110), glow * 0.8)


def chart(x, y):
    """A harbour chart: sea with depth rings, a sand island and a red buoy."""
    dx, dy = x - 22, y - 24
    distance = math.hypot(dx, dy * 1.3)
    if distance < 9:
        return (222, 200, 140)
    if math.hypot(x - 50, y - 12) < 3:
        return (200, 40, 40)
    ring = int(distance) % 6 == 0
    depth = min(1.0, distance / 40.0)
    colour = mix((150, 200, 220), (40, 90, 150), depth)
    return mix(colour, (240, 250, 255), 0.5) if ring else colour


def gull(x, y):
    """A white gull, two wing strokes bent like an M, on a grey-blue sky."""
    background = mix((120, 140, 160), (180, 195, 210), y / (HEIGHT - 1))
    for side in (-1, 1):
        # Each wing rises from the body and droops again towards its tip.
        wing_x = x - 32
        if wing_x * side < 0 or abs(wing_x) > 20:
            continue
        t = abs(wing_x) / 20.0
        centre = 26 - 12 * math.sin(t * math.pi * 0.8)
        if abs(y - centre) < 1.6 - t * 0.6:
            return (250, 250, 250)
    return background


def write_tone(name, seconds=0.4, rate=8000):
    """A two-note horn: 220 Hz with its fifth, faded in and out to avoid clicks."""
    frames = bytearray()
    count = int(seconds * rate)
    fade = int(0.05 * rate)
    for i in range(count):
        t = i / rate
        level = min(1.0, i / fade, (count - 1 - i) / fade)
        sample = 0.6 * math.sin(2 * math.pi * 220 * t) + 0.3 * math.sin(2 * math.pi * 330 * t)
        frames.append(128 + int(round(110 * level * sample)))
    with wave.open(os.path.join(HERE, name), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(1)
        out.setframerate(rate)
        out.writeframes(bytes(frames))


def lzw(indices, min_code_size):
    """GIF's variable-width LZW, packed least significant bit first."""
    clear = 1 << min_code_size
    end = clear + 1
    bits = 0
    bit_count = 0
    out = bytearray()

    def emit(code, width):
        nonlocal bits, bit_count
        bits |= code << bit_count
        bit_count += width
        while bit_count >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            bit_count -= 8

    def fresh_table():
        return {(i,): i for i in range(clear)}, end + 1, min_code_size + 1

    table, next_code, width = fresh_table()
    emit(clear, width)
    prefix = (indices[0],)
    for index in indices[1:]:
        grown = prefix + (index,)
        if grown in table:
            prefix = grown
            continue
        emit(table[prefix], width)
        if next_code < 4096:
            table[grown] = next_code
            next_code += 1
            # The decoder adds each entry one code later, so it widens its codes when the
            # entry after this one is due.
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            emit(clear, width)
            table, next_code, width = fresh_table()
        prefix = (index,)
    emit(table[prefix], width)
    emit(end, width)
    if bit_count:
        out.append(bits & 0xFF)
    return bytes(out)


def write_animation(name, width=32, height=24, frames=6):
    """A ferry crossing the harbour mouth: a looping GIF with a four-colour palette."""
    palette = [(40, 90, 150), (200, 225, 240), (240, 240, 235), (190, 60, 40)]
    data = bytearray(b"GIF89a")
    data += struct.pack("<HHBBB", width, height, 0x80 | 0x01, 0, 0)  # 4-entry global table
    for colour in palette:
        data += bytes(colour)
    # Loop for ever.
    data += b"\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00"
    for frame in range(frames):
        left = 2 + frame * 4
        pixels = []
        for y in range(height):
            for x in range(width):
                if y < 10:
                    pixels.append(1)  # sky
                elif 12 <= y < 16 and left <= x < left + 10:
                    pixels.append(2)  # hull
                elif 9 <= y < 12 and left + 3 <= x < left + 6:
                    pixels.append(3)  # funnel
                else:
                    pixels.append(0)  # water
        data += b"\x21\xf9\x04\x00" + struct.pack("<H", 25) + b"\x00\x00"  # 0.25 s a frame
        data += b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0)
        packed = lzw(pixels, 2)
        data.append(2)
        for start in range(0, len(packed), 255):
            block = packed[start:start + 255]
            data.append(len(block))
            data += block
        data.append(0)
    data += b"\x3b"
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(bytes(data))


if __name__ == "__main__":
    write_png("sky.png", WIDTH, HEIGHT, sky)
    write_png("chart.png", WIDTH, HEIGHT, chart)
    write_png("gull.png", WIDTH, HEIGHT, gull)
    write_tone("horn.wav")
    write_animation("ferry.gif")
