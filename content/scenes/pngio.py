"""PNG files written byte for byte the same for the same pixels: 8 bits a channel, no
timestamps or other chunks, fixed compression. Used for the textures and contact sheets."""

import struct
import zlib

import numpy as np


def write_png(path, pixels):
    """pixels: uint8 array of shape (height, width, channels), top row first; 3 or 4
    channels."""
    height, width, channels = pixels.shape
    color_type = {3: 2, 4: 6}[channels]
    raw = np.zeros((height, width * channels + 1), dtype=np.uint8)
    raw[:, 1:] = pixels.reshape(height, width * channels)
    data = zlib.compress(raw.tobytes(), 9)

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", width, height, 8, color_type, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", data)
                + chunk(b"IEND", b""))


def image_pixels(image):
    """A Blender image's pixels as a float array (height, width, 4), top row first."""
    width, height = image.size
    buf = np.empty(width * height * 4, dtype=np.float32)
    image.pixels.foreach_get(buf)
    return buf.reshape(height, width, 4)[::-1]


def to_bytes(values):
    return np.clip(np.rint(values * 255.0), 0, 255).astype(np.uint8)
