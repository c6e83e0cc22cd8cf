#!/usr/bin/env python3
"""Writes a small RGB display profile (ICC version 2) to argv[1]: Adobe RGB
(1998) primaries, a wider gamut than sRGB, and a plain 2.2 gamma curve.
Usage: make_icc_profile.py <out.icc> [description]"""
import struct
import sys


def s15f16(value):
    return struct.pack(">i", int(round(value * 65536)))


def xyz(x, y, z):
    return b"XYZ " + bytes(4) + s15f16(x) + s15f16(y) + s15f16(z)


def text_description(text):
    ascii_text = text.encode("ascii") + b"\0"
    return (b"desc" + bytes(4) + struct.pack(">I", len(ascii_text)) + ascii_text +
            bytes(4) + bytes(4) + bytes(2) + bytes(1) + bytes(67))


def main():
    out = sys.argv[1]
    description = sys.argv[2] if len(sys.argv) > 2 else "Lumora wide gamut"
    gamma = b"curv" + bytes(4) + struct.pack(">IH", 1, int(2.2 * 256)) + bytes(2)
    tags = [
        (b"desc", text_description(description)),
        (b"cprt", b"text" + bytes(4) + b"No copyright, test data\0"),
        (b"wtpt", xyz(0.9642, 1.0, 0.8249)),
        (b"rXYZ", xyz(0.60974, 0.31111, 0.01947)),
        (b"gXYZ", xyz(0.20528, 0.62567, 0.06087)),
        (b"bXYZ", xyz(0.14919, 0.06322, 0.74457)),
        (b"rTRC", gamma),
        (b"gTRC", gamma),
        (b"bTRC", gamma),
    ]
    offset = 128 + 4 + 12 * len(tags)
    table = struct.pack(">I", len(tags))
    data = b""
    for signature, body in tags:
        table += signature + struct.pack(">II", offset + len(data), len(body))
        data += body + bytes(-len(body) % 4)
    size = offset + len(data)
    header = (struct.pack(">I", size) + bytes(4) + struct.pack(">I", 0x02100000) + b"mntr" +
              b"RGB " + b"XYZ " + struct.pack(">6H", 2024, 1, 1, 0, 0, 0) + b"acsp" + bytes(4) +
              bytes(4) + bytes(4) + bytes(4) + bytes(8) + struct.pack(">I", 0) +
              s15f16(0.9642) + s15f16(1.0) + s15f16(0.8249) + bytes(4))
    header += bytes(128 - len(header))
    with open(out, "wb") as f:
        f.write(header + table + data)


if __name__ == "__main__":
    main()
