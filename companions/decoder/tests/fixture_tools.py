#!/usr/bin/env python3
"""Writes the decoder module's test files that no installed tool writes.

  heif-geometry FILE [irot=N] [imir=N] [clap=W,H,X,Y] ...
      adds rotation, mirroring and clean aperture properties (whole numbers)
      to the primary picture of a HEIF file, in the order given, moving the
      media data they push along.
  dng OUT --stored PPM [--preview JPEG] [--thumbnail PPM] [--orientation N]
      writes a small DNG: sensor data in an RGGB pattern made from the stored
      picture, with a full-size JPEG preview and a small RGB thumbnail in the
      layout cameras and converters use, plus EXIF and GPS fields.
  icc OUT
      writes a small, well-formed RGB display profile.
  hevc-size FILE WIDTH HEIGHT
      sets the picture size the sequence parameter set of a HEIC file's
      HEVC configuration declares, leaving the size the container claims.
"""
import struct
import sys


# ---- HEIF boxes ----

def read_boxes(data, start, end):
    boxes = []
    at = start
    while at + 8 <= end:
        size, kind = struct.unpack(">I4s", data[at:at + 8])
        header = 8
        if size == 1:
            size = struct.unpack(">Q", data[at + 8:at + 16])[0]
            header = 16
        elif size == 0:
            size = end - at
        boxes.append((kind, at, header, size))
        at += size
    return boxes


def box(kind, payload):
    return struct.pack(">I4s", 8 + len(payload), kind) + payload


def heif_geometry(path, steps):
    data = bytearray(open(path, "rb").read())
    top = read_boxes(data, 0, len(data))
    meta = next(b for b in top if b[0] == b"meta")
    _, meta_at, meta_header, meta_size = meta
    children = read_boxes(data, meta_at + meta_header + 4, meta_at + meta_size)
    pitm = next(b for b in children if b[0] == b"pitm")
    pitm_payload = data[pitm[1] + pitm[2]:pitm[1] + pitm[3]]
    primary = (struct.unpack(">H", pitm_payload[4:6])[0] if pitm_payload[0] == 0
               else struct.unpack(">I", pitm_payload[4:8])[0])

    iprp = next(b for b in children if b[0] == b"iprp")
    iprp_children = read_boxes(data, iprp[1] + iprp[2], iprp[1] + iprp[3])
    ipco = next(b for b in iprp_children if b[0] == b"ipco")
    ipma = next(b for b in iprp_children if b[0] == b"ipma")
    properties = read_boxes(data, ipco[1] + ipco[2], ipco[1] + ipco[3])

    added = b""
    new_indices = []
    for step in steps:
        name, value = step.split("=")
        if name == "clap":
            width, height, x, y = (int(v) for v in value.split(","))
            payload = struct.pack(">IIIIiIiI", width, 1, height, 1, x, 1, y, 1)
        else:
            payload = bytes([int(value)])
        added += box(name.encode(), payload)
        new_indices.append(len(properties) + len(new_indices) + 1)
    new_ipco = data[ipco[1]:ipco[1] + ipco[3]] + added
    new_ipco[0:4] = struct.pack(">I", len(new_ipco))

    # The association list of the primary item gains the new indices.
    payload = data[ipma[1] + ipma[2]:ipma[1] + ipma[3]]
    version, flags = payload[0], payload[3]
    count = struct.unpack(">I", payload[4:8])[0]
    out = bytearray(payload[:8])
    at = 8
    for _ in range(count):
        id_size = 2 if version < 1 else 4
        item = int.from_bytes(payload[at:at + id_size], "big")
        n = payload[at + id_size]
        index_size = 2 if flags & 1 else 1
        entries = payload[at + id_size + 1:at + id_size + 1 + n * index_size]
        at += id_size + 1 + n * index_size
        if item == primary:
            for index in new_indices:
                entries += (index | 0x8000).to_bytes(2, "big") if flags & 1 else bytes([index | 0x80])
            n += len(new_indices)
        out += item.to_bytes(id_size, "big") + bytes([n]) + entries
    new_ipma = box(b"ipma", bytes(out))

    ipco_part = (ipco[1], ipco[1] + ipco[3], new_ipco)
    ipma_part = (ipma[1], ipma[1] + ipma[3], new_ipma)
    grown = len(new_ipco) - ipco[3] + len(new_ipma) - ipma[3]

    # Item locations are file offsets: everything after the meta box moves.
    iloc = next(b for b in children if b[0] == b"iloc")
    iloc_payload = bytearray(data[iloc[1] + iloc[2]:iloc[1] + iloc[3]])
    shift_iloc(iloc_payload, meta_at + meta_size, grown)
    iloc_part = (iloc[1] + iloc[2], iloc[1] + iloc[3], iloc_payload)

    result = bytearray()
    at = 0
    for start, end, replacement in sorted([ipco_part, ipma_part, iloc_part]):
        result += data[at:start] + replacement
        at = end
    result += data[at:]
    # The sizes of the boxes around the changed ones.
    for container_at in (meta_at, iprp[1]):
        size = struct.unpack(">I", result[container_at:container_at + 4])[0]
        result[container_at:container_at + 4] = struct.pack(">I", size + grown)
    open(path, "wb").write(result)


def shift_iloc(payload, after, grown):
    version = payload[0]
    offset_size = payload[4] >> 4
    length_size = payload[4] & 15
    base_size = payload[5] >> 4
    index_size = payload[5] & 15 if version in (1, 2) else 0
    at = 6
    if version < 2:
        count = struct.unpack(">H", payload[at:at + 2])[0]
        at += 2
    else:
        count = struct.unpack(">I", payload[at:at + 4])[0]
        at += 4

    def field(at, size):
        return int.from_bytes(payload[at:at + size], "big") if size else 0

    def put(at, size, value):
        if size:
            payload[at:at + size] = value.to_bytes(size, "big")

    for _ in range(count):
        at += 2 if version < 2 else 4
        method = 0
        if version in (1, 2):
            method = payload[at + 1] & 15
            at += 2
        at += 2  # data reference index
        base_at = at
        base = field(at, base_size)
        at += base_size
        extents = struct.unpack(">H", payload[at:at + 2])[0]
        at += 2
        if method == 0 and base_size and base >= after:
            put(base_at, base_size, base + grown)
        for _ in range(extents):
            at += index_size
            offset = field(at, offset_size)
            if method == 0 and not base_size and offset >= after:
                put(at, offset_size, offset + grown)
            at += offset_size + length_size


def unescape_nal(nal):
    """The payload bits of a NAL unit, its emulation prevention bytes left out."""
    out = bytearray()
    zeros = 0
    for byte in nal:
        if zeros >= 2 and byte == 3:
            zeros = 0
            continue
        out.append(byte)
        zeros = zeros + 1 if byte == 0 else 0
    return out


def escape_nal(rbsp):
    out = bytearray()
    zeros = 0
    for byte in rbsp:
        if zeros >= 2 and byte <= 3:
            out.append(3)
            zeros = 0
        out.append(byte)
        zeros = zeros + 1 if byte == 0 else 0
    return out


def sps_with_size(nal, width, height):
    bits = "".join(f"{byte:08b}" for byte in unescape_nal(nal))
    # NAL header, video parameter set id, sub-layers, nesting flag, then the
    # general profile, tier and level of a stream with one sub-layer.
    assert int(bits[20:23], 2) == 0, "one sub-layer only"
    at = 16 + 4 + 3 + 1 + 96

    def ue(at):
        zeros = 0
        while bits[at + zeros] == "0":
            zeros += 1
        return int(bits[at + zeros:at + 2 * zeros + 1], 2) - 1, at + 2 * zeros + 1

    def code(value):
        binary = bin(value + 1)[2:]
        return "0" * (len(binary) - 1) + binary

    _, at = ue(at)  # sps_seq_parameter_set_id
    chroma_format, at = ue(at)
    if chroma_format == 3:
        at += 1
    size_at = at
    _, at = ue(at)
    _, at = ue(at)
    bits = bits[:size_at] + code(width) + code(height) + bits[at:]
    # The old stop bit and padding stay at the end; pad to whole bytes.
    bits += "0" * (-len(bits) % 8)
    return escape_nal(bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8)))


def hevc_size(path, width, height):
    data = bytearray(open(path, "rb").read())
    top = read_boxes(data, 0, len(data))
    _, meta_at, meta_header, meta_size = next(b for b in top if b[0] == b"meta")
    children = read_boxes(data, meta_at + meta_header + 4, meta_at + meta_size)
    iprp = next(b for b in children if b[0] == b"iprp")
    ipco = next(b for b in read_boxes(data, iprp[1] + iprp[2], iprp[1] + iprp[3])
                if b[0] == b"ipco")
    hvcc = next(b for b in read_boxes(data, ipco[1] + ipco[2], ipco[1] + ipco[3])
                if b[0] == b"hvcC")
    payload = data[hvcc[1] + hvcc[2]:hvcc[1] + hvcc[3]]
    out = bytearray(payload[:23])
    at = 23
    for _ in range(payload[22]):
        nal_type = payload[at] & 0x3F
        count = struct.unpack(">H", payload[at + 1:at + 3])[0]
        out += payload[at:at + 3]
        at += 3
        for _ in range(count):
            length = struct.unpack(">H", payload[at:at + 2])[0]
            nal = payload[at + 2:at + 2 + length]
            at += 2 + length
            if nal_type == 33:
                nal = sps_with_size(nal, width, height)
            out += struct.pack(">H", len(nal)) + nal
    grown = len(out) - len(payload)

    iloc = next(b for b in children if b[0] == b"iloc")
    iloc_payload = bytearray(data[iloc[1] + iloc[2]:iloc[1] + iloc[3]])
    shift_iloc(iloc_payload, meta_at + meta_size, grown)
    parts = sorted([(hvcc[1] + hvcc[2], hvcc[1] + hvcc[3], out),
                    (iloc[1] + iloc[2], iloc[1] + iloc[3], iloc_payload)])
    result = bytearray()
    at = 0
    for start, end, replacement in parts:
        result += data[at:start] + replacement
        at = end
    result += data[at:]
    for container_at in (meta_at, iprp[1], ipco[1], hvcc[1]):
        size = struct.unpack(">I", result[container_at:container_at + 4])[0]
        result[container_at:container_at + 4] = struct.pack(">I", size + grown)
    open(path, "wb").write(result)


# ---- DNG ----

def read_ppm(path):
    data = open(path, "rb").read()
    tokens = []
    at = 0
    while len(tokens) < 4:
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b"#":
            at = data.index(b"\n", at)
            continue
        start = at
        while not data[at:at + 1].isspace():
            at += 1
        tokens.append(data[start:at])
    assert tokens[0] == b"P6" and tokens[3] == b"255"
    width, height = int(tokens[1]), int(tokens[2])
    # One whitespace byte ends the header; the pixels follow.
    pixels = data[at + 1:at + 1 + width * height * 3]
    assert len(pixels) == width * height * 3
    return width, height, pixels


class Tiff:
    """A little-endian TIFF file built directory by directory."""

    TYPES = {1: "B", 2: "s", 3: "H", 4: "I", 5: "II", 7: "B", 10: "ii"}

    def __init__(self):
        self.data = bytearray(b"II*\0\0\0\0\0")

    def blob(self, payload):
        if len(self.data) % 2:
            self.data += b"\0"
        at = len(self.data)
        self.data += payload
        return at

    def value_bytes(self, kind, values):
        if kind == 2:
            return values.encode() + b"\0"
        if kind in (5, 10):
            flat = [x for pair in values for x in pair]
            return struct.pack("<%d%s" % (len(flat), "I" if kind == 5 else "i"), *flat)
        return struct.pack("<%d%s" % (len(values), self.TYPES[kind]), *values)

    def directory(self, entries):
        """entries: (tag, type, values); returns the directory's offset."""
        encoded = []
        for tag, kind, values in sorted(entries):
            raw = self.value_bytes(kind, values)
            count = len(raw) if kind in (1, 2, 7) else len(raw) // (8 if kind in (5, 10) else
                                                                    struct.calcsize(self.TYPES[kind]))
            if len(raw) <= 4:
                field = raw.ljust(4, b"\0")
            else:
                field = struct.pack("<I", self.blob(raw))
            encoded.append(struct.pack("<HHI", tag, kind, count) + field)
        payload = struct.pack("<H", len(encoded)) + b"".join(encoded) + b"\0\0\0\0"
        return self.blob(payload)


def dng(out, stored, preview=None, thumbnail=None, orientation=1):
    width, height, rgb = read_ppm(stored)
    tiff = Tiff()
    # RGGB: each sensor site keeps its own colour of the stored picture, 12 bits.
    sensor = bytearray()
    for y in range(height):
        for x in range(width):
            channel = (0 if x % 2 == 0 else 1) if y % 2 == 0 else (1 if x % 2 == 0 else 2)
            sensor += struct.pack("<H", rgb[(y * width + x) * 3 + channel] * 16)
    sensor_at = tiff.blob(bytes(sensor))

    exif = tiff.directory([
        (33434, 5, [(1, 250)]),          # ExposureTime
        (33437, 5, [(28, 10)]),          # FNumber
        (34855, 3, [400]),               # ISOSpeedRatings
        (36867, 2, "2021:09:18 17:45:03"),  # DateTimeOriginal
        (37386, 5, [(50, 1)]),           # FocalLength
        (42036, 2, "Test Lens 50mm"),    # LensModel
    ])
    gps = tiff.directory([
        (0, 1, [2, 3, 0, 0]),
        (1, 2, "N"), (2, 5, [(30, 1), (30, 1), (0, 1)]),
        (3, 2, "W"), (4, 5, [(120, 1), (15, 1), (0, 1)]),
    ])
    camera = [
        (271, 2, "Lumora"), (272, 2, "Test Camera"), (274, 3, [orientation]),
        (34665, 4, [exif]), (34853, 4, [gps]),
        (50706, 1, [1, 4, 0, 0]),        # DNGVersion
        (50708, 2, "Lumora Test Camera"),
        (50721, 10, [(1, 1), (0, 1), (0, 1), (0, 1), (1, 1), (0, 1), (0, 1), (0, 1), (1, 1)]),
        (50728, 5, [(1, 1), (1, 1), (1, 1)]),  # AsShotNeutral
    ]
    raw = [
        (254, 4, [0]), (256, 4, [width]), (257, 4, [height]), (258, 3, [16]), (259, 3, [1]),
        (262, 3, [32803]), (273, 4, [sensor_at]), (277, 3, [1]), (278, 4, [height]),
        (279, 4, [len(sensor)]), (284, 3, [1]),
        (33421, 3, [2, 2]), (33422, 1, [0, 1, 1, 2]),  # CFA repeat and pattern
        (50714, 3, [0]), (50717, 3, [4095]),            # black and white levels
    ]
    if preview is None and thumbnail is None:
        first = tiff.directory(raw + camera)
    else:
        sub_ifds = [tiff.directory(raw)]
        if preview is not None:
            jpeg = open(preview, "rb").read()
            jpeg_at = tiff.blob(jpeg)
            sub_ifds.append(tiff.directory([
                (254, 4, [1]), (256, 4, [width]), (257, 4, [height]), (258, 3, [8, 8, 8]),
                (259, 3, [7]), (262, 3, [6]), (273, 4, [jpeg_at]), (277, 3, [3]),
                (278, 4, [height]), (279, 4, [len(jpeg)]), (284, 3, [1]),
            ]))
        small = []
        if thumbnail is not None:
            t_width, t_height, t_rgb = read_ppm(thumbnail)
            t_at = tiff.blob(t_rgb)
            small = [(256, 4, [t_width]), (257, 4, [t_height]), (258, 3, [8, 8, 8]),
                     (259, 3, [1]), (262, 3, [2]), (273, 4, [t_at]), (277, 3, [3]),
                     (278, 4, [t_height]), (279, 4, [len(t_rgb)]), (284, 3, [1])]
        first = tiff.directory([(254, 4, [1]), (330, 4, sub_ifds)] + small + camera)
    tiff.data[4:8] = struct.pack("<I", first)
    open(out, "wb").write(tiff.data)


# ---- ICC ----

def icc(out):
    def xyz(x, y, z):
        return b"XYZ \0\0\0\0" + struct.pack(">3i", *(round(v * 65536) for v in (x, y, z)))

    def curve(gamma):
        return b"curv\0\0\0\0" + struct.pack(">IH", 1, round(gamma * 256)) + b"\0\0"

    text = b"Lumora test RGB"
    tags = [
        (b"desc", b"desc\0\0\0\0" + struct.pack(">I", len(text) + 1) + text + b"\0" +
         b"\0" * 12 + b"\0" * 67),
        (b"wtpt", xyz(0.9642, 1.0, 0.8249)),
        (b"rXYZ", xyz(0.4361, 0.2225, 0.0139)),
        (b"gXYZ", xyz(0.3851, 0.7169, 0.0971)),
        (b"bXYZ", xyz(0.1431, 0.0606, 0.7141)),
        (b"rTRC", curve(2.2)), (b"gTRC", curve(2.2)), (b"bTRC", curve(2.2)),
        (b"cprt", b"text\0\0\0\0" + b"No copyright\0"),
    ]
    table = b""
    body = b""
    at = 128 + 4 + 12 * len(tags)
    for name, data in tags:
        while (at + len(body)) % 4:
            body += b"\0"
        table += name + struct.pack(">II", at + len(body), len(data))
        body += data
    profile = bytearray(128) + struct.pack(">I", len(tags)) + table + body
    header = struct.pack(">I4sI4s4s4s", len(profile), b"none", 0x02100000, b"mntr", b"RGB ",
                         b"XYZ ")
    profile[0:len(header)] = header
    profile[24:36] = struct.pack(">6H", 2021, 1, 1, 0, 0, 0)
    profile[36:40] = b"acsp"
    profile[68:80] = struct.pack(">3i", 63190, 65536, 54061)  # D50
    open(out, "wb").write(profile)


def main(argv):
    command = argv[1]
    if command == "heif-geometry":
        heif_geometry(argv[2], argv[3:])
    elif command == "dng":
        args = argv[3:]
        options = dict(zip(args[0::2], args[1::2]))
        dng(argv[2], options["--stored"], options.get("--preview"), options.get("--thumbnail"),
            int(options.get("--orientation", "1")))
    elif command == "icc":
        icc(argv[2])
    elif command == "hevc-size":
        hevc_size(argv[2], int(argv[3]), int(argv[4]))
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
