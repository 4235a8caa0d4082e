#!/usr/bin/env python3
"""Writes the generated part of the seed corpora: fuzz/corpus/<name>/gen_*.

The same files every run (one fixed seed), so the corpus can be made again and
reviewed: PCX images well formed and not (headers at the edges of the window,
planes and bytes per line, claims just within and just beyond what the data
expands to, lines cut short), Texture.bin files (databases of a few sets,
then cut, with a count at an edge or header counts that disagree) and
recovery journals of every layout (every record kind, well framed, with bodies
too short, too long, of unknown kinds, with checks that fail and records cut
short; feet that are not finite in the fourth).

usage: fuzz/make_corpus.py
"""

import pathlib
import random
import struct

CORPUS = pathlib.Path(__file__).resolve().parent / "corpus"
MASK = (1 << 64) - 1
random_ = random.Random(27)


def write(name, files):
    folder = CORPUS / name
    for old in folder.glob("gen_*"):
        old.unlink()
    for i, data in enumerate(files):
        (folder / f"gen_{i:03d}").write_bytes(data)
    print(f"{name}: {len(files)} files, {sum(len(f) for f in files)} bytes")


# ---- PCX ----

PCX_ALLOWANCE = 1 << 20  # bytes of lines a damaged file need not back


def int16(value):
    return (value + 32768) % 65536 - 32768


def pcx_header(x_min, y_min, x_max, y_max, line, planes=1, bits=8):
    x_min, y_min, x_max, y_max, line = map(int16, (x_min, y_min, x_max, y_max, line))
    h = bytearray(128)
    h[0:3] = bytes([10, 5, 1])
    h[3] = bits & 0xFF
    h[4:12] = struct.pack("<4h", x_min, y_min, x_max, y_max)
    h[65] = planes & 0xFF
    h[66:68] = struct.pack("<h", line)
    return bytes(h)


def rle_line(values):
    out = bytearray()
    i = 0
    while i < len(values):
        run = 1
        while i + run < len(values) and run < 63 and values[i + run] == values[i]:
            run += 1
        if run > 1 or values[i] > 0xBF:
            out += bytes([0xC0 + run, values[i]])
        else:
            out.append(values[i])
        i += run
    return bytes(out)


def palette():
    return bytes([12]) + bytes(random_.randrange(256) for _ in range(768))


def pcx_image(width, height, line, with_palette=True):
    colours = random_.randrange(1, 256)
    data = bytearray()
    for _ in range(height):
        values = [random_.randrange(colours) for _ in range(line)]
        if random_.random() < 0.5:  # long runs
            values = sorted(values)
        data += rle_line(values)
    header = pcx_header(0, 0, width - 1, height - 1, line)
    return header + bytes(data) + (palette() if with_palette else b"")


def random_data(size):
    run_share = random_.random()
    return bytes(
        0xC0 + random_.randrange(64) if random_.random() < run_share else random_.randrange(193)
        for _ in range(size)
    )


def pcx_files():
    files = []
    for _ in range(90):  # well formed, a few cut short or without a palette
        width = random_.randrange(1, 48)
        line = width + random_.choice([0, 0, 1, 2])
        image = pcx_image(width, random_.randrange(1, 24), line, random_.random() < 0.8)
        if random_.random() < 0.25:
            image = image[: random_.randrange(128, len(image))]
        files.append(image)
    edges = [-32768, -16384, -1, 0, 1, 62, 63, 64, 16383, 16384, 32767]
    for _ in range(110):  # headers at the edges over a little data
        x_min, y_min = random_.choice(edges), random_.choice(edges)
        x_max = random_.choice(edges + [x_min, x_min + 1])
        y_max = random_.choice(edges + [y_min, y_min + 1])
        header = pcx_header(
            x_min, y_min, x_max, y_max,
            random_.choice(edges + [x_max - x_min + 1]),
            random_.choice([0, 1, 1, 2, 3, 4, 5, 255]),
            random_.choice([1, 8, 8, 24, 0]),
        )
        files.append(header + random_data(random_.randrange(0, 160)))
    for _ in range(60):  # claims about what the data expands to
        data = random_data(random_.randrange(16, 400))
        expanded, i = 0, 0
        while i < len(data):
            if data[i] <= 192:
                expanded, i = expanded + 1, i + 1
            else:
                expanded += data[i] - 192 if i + 1 < len(data) else 0
                i += 2
        line = random_.choice([1, 2, 3, 64, 1000, 4096, 16384])
        planes = random_.randrange(1, 5)
        width = random_.choice([line, line + 1, 16384])
        lines = max(1, (expanded + PCX_ALLOWANCE) // max(width, line * planes))
        height = min(16384, lines + random_.choice([-1, 0, 1]))
        files.append(pcx_header(0, 0, width - 1, max(height, 1) - 1, line, planes) + data)
    for _ in range(40):  # lines whose runs cross the line end or stop early
        width = random_.randrange(1, 40)
        height = random_.randrange(1, 10)
        data = bytes(
            b for _ in range(height * 2) for b in (0xC0 + random_.randrange(1, 64), random_.randrange(256))
        )
        files.append(pcx_header(0, 0, width - 1, height - 1, width) + data + palette()[: random_.randrange(770)])
    return files


# ---- Texture.bin ----


def tile_record(rng):
    name = f"H{rng.randrange(0x1000):03X}.PCX".encode()
    if rng.random() < 0.1:
        name = bytes(rng.randrange(256) for _ in range(20))
    name = name[:20].ljust(20, b"\0")
    areas = [
        struct.pack("<i3f", rng.randrange(-2, 16), *(rng.uniform(-10, 3500) for _ in range(3)))
        for _ in range(rng.randrange(4))
    ]
    paths = [
        struct.pack("<i5f", rng.randrange(-2, 16), *(rng.uniform(-10, 3500) for _ in range(5)))
        for _ in range(rng.randrange(4))
    ]
    return name + struct.pack("<ii", len(areas), len(paths)) + b"".join(areas) + b"".join(paths)


def texture_bin(rng):
    sets = []
    tiles = 0
    for _ in range(rng.randrange(5)):
        count = rng.randrange(6)
        tiles += count
        body = b"".join(tile_record(rng) for _ in range(count))
        sets.append(struct.pack("<iB", count, rng.randrange(17)) + body)
    return struct.pack("<ii", len(sets), tiles) + b"".join(sets)


def count_offsets(data):
    """Offsets of every count field of a well-formed file."""
    offsets, at = [0, 4], 8
    (sets,) = struct.unpack_from("<i", data, 0)
    for _ in range(sets):
        offsets.append(at)
        (tiles,) = struct.unpack_from("<i", data, at)
        at += 5
        for _ in range(tiles):
            offsets += [at + 20, at + 24]
            areas, paths = struct.unpack_from("<ii", data, at + 20)
            at += 28 + 16 * areas + 24 * paths
    return offsets


def texture_files():
    files = []
    edges = [0, 1, -1, 2**31 - 1, -(2**31), 16, 17, 0x10000000]
    for i in range(300):
        data = bytearray(texture_bin(random_))
        kind = i % 5
        if kind == 1:  # cut anywhere
            data = data[: random_.randrange(len(data) + 1)]
        elif kind == 2:  # a count at an edge
            offset = random_.choice(count_offsets(data))
            (current,) = struct.unpack_from("<i", data, offset)
            value = random_.choice(edges + [current + 1, current - 1])
            struct.pack_into("<I", data, offset, value & 0xFFFFFFFF)
        elif kind == 3:  # header counts that disagree with the sets
            struct.pack_into("<i", data, random_.choice([0, 4]), random_.randrange(-1, 12))
        elif kind == 4 and len(data) > 8:  # a float that is not finite
            offset = random_.randrange(8, len(data) - 3)
            data[offset : offset + 4] = random_.choice(
                [struct.pack("<f", float("nan")), struct.pack("<f", float("inf")), b"\xff\xff\xff\xff"]
            )
        files.append(bytes(data))
    return files


# ---- Recovery journal ----


def rotl(value, bits):
    return ((value << bits) | (value >> (64 - bits))) & MASK


def mix(state, word):
    state ^= (word * 0x9E3779B97F4A7C15) & MASK
    return (rotl(state, 29) * 0xBF58476D1CE4E5B9) & MASK


def content_hash(data):
    """The content hash of the file guard: eight bytes a step, then the length."""
    state = 0x243F6A8885A308D3
    for i in range(0, len(data), 8):
        state = mix(state, int.from_bytes(data[i : i + 8], "little"))
    state = mix(state, len(data))
    return state ^ (state >> 31)


def journal_header(rng):
    path = rng.choice([b"", b"Texture.bin", b"/home/maker/theater/Texture.bin", bytes(rng.randrange(256) for _ in range(9))])
    base = rng.choice([0, 0, 1, 2])
    # The first layout (no start time) as old programs wrote it with a
    # relative path; the present one otherwise.
    if path == b"Texture.bin":
        out = b"LVJRNL1\n" + struct.pack("<II", rng.randrange(2**32), len(path)) + path
    else:
        out = b"LVJRNL2\n" + struct.pack("<I", rng.randrange(2**32))
        out += struct.pack("<QI", len(path) * 977, len(path)) + path
    return out + header_stamps(rng, base)


def header_stamps(rng, base):
    """The database's stamp, the base slot and the copy's stamp when there is one."""
    out = struct.pack("<QqQ", rng.randrange(2**20), rng.randrange(2**40), rng.randrange(2**64))
    out += bytes([base])
    if base:
        out += struct.pack("<QQ", rng.randrange(2**20), rng.randrange(2**64))
    return out


def frame(kind, body, broken=False):
    covered = bytes([kind]) + struct.pack("<I", len(body)) + body
    check = content_hash(covered) & 0xFFFFFFFF
    return covered + struct.pack("<I", check ^ (1 if broken else 0))


def edit_body(rng, fields):
    action = rng.choice([1, 2, 3, 1, 2, 3, 0, 4])
    out = struct.pack("<iiBi", rng.randrange(-1, 40), rng.randrange(-1, 17), action, rng.randrange(-1, 9))
    entry = lambda: struct.pack(f"<{fields}i", *(rng.randrange(-5, 3600) for _ in range(fields)))
    if action != 1:
        out += entry()
    if action != 2:
        out += entry()
    return out


def names_body(rng):
    names = [f"H{rng.randrange(0x1000):03X}.PCX".encode() for _ in range(rng.randrange(5))]
    count = len(names) if rng.random() < 0.8 else rng.choice([2**32 - 1, len(names) + 1])
    out = struct.pack("<iBI", rng.randrange(-1, 40), rng.randrange(17), count)
    return out + b"".join(bytes([len(n)]) + n for n in names)


def record_body(rng, kind):
    if kind == 1:
        return edit_body(rng, 6)
    if kind == 2:
        return edit_body(rng, 4)
    if kind in (3, 4):
        return names_body(rng)
    if kind == 5:
        return struct.pack("<iB", rng.randrange(-1, 40), rng.randrange(17))
    if kind == 6:
        export = bytes(rng.randrange(256) for _ in range(rng.randrange(40)))
        return struct.pack("<I", len(export)) + export
    return bytes(rng.randrange(256) for _ in range(rng.randrange(12)))


def journal_files():
    files = []
    for i in range(240):
        out = journal_header(random_)
        for _ in range(random_.randrange(1, 6)):
            kind = random_.choice([1, 2, 3, 4, 5, 6, 1, 2, 0, 7, 200])
            body = record_body(random_, kind)
            if random_.random() < 0.1 and body:  # a body too short or too long for its kind
                body = body[:-1] if random_.random() < 0.5 else body + b"\0"
            out += frame(kind, body, broken=random_.random() < 0.05)
        if i % 6 == 5:  # the last record cut short
            out = out[: random_.randrange(len(out) - 8, len(out))]
        files.append(out)
    for i in range(24):  # headers cut short, a path too long, a base that is not 0 to 2
        header = bytearray(journal_header(random_))
        at = 12 if header[6] == ord("1") else 20  # the path length: after the start time in 2
        if i % 4 == 1:
            struct.pack_into("<I", header, at, random_.choice([4097, 2**32 - 1]))
        elif i % 4 == 2:
            (length,) = struct.unpack_from("<I", header, at)
            header[at + 4 + length + 24] = random_.choice([3, 255])
        else:
            header = header[: random_.randrange(len(header))]
        files.append(bytes(header))
    for _ in range(16):  # edit bodies cut within their first fields
        kind = random_.choice([1, 2])
        body = record_body(random_, kind)[: random_.randrange(13)]
        files.append(journal_header(random_) + frame(kind, body))
    return files


# The third layout (whole feet, a flags byte after each segment) and the
# fourth (float feet, a flags byte after each segment), from their own seed so
# that the files above stay as they were.
later_random = random.Random(28)


def later_journal_header(rng, layout):
    path = rng.choice([b"", b"/home/maker/theater/Texture.bin", bytes(rng.randrange(256) for _ in range(9))])
    base = rng.choice([0, 0, 1, 2])
    out = f"LVJRNL{layout}\n".encode() + struct.pack("<I", rng.randrange(2**32))
    out += struct.pack("<QI", len(path) * 977, len(path)) + path
    return out + header_stamps(rng, base)


def float_feet(rng):
    return rng.choice(
        [
            rng.randrange(0, 3281),
            rng.randrange(0, 3281 * 8) / 8,
            rng.uniform(-5, 3600),
            float("nan"),
            float("inf"),
            -float("inf"),
            3.4e38,
            1e-45,
            -0.0,
        ]
    )


def later_entry(rng, layout, feet_count, flags):
    out = struct.pack("<i", rng.randrange(-1, 12))  # the type list position
    for _ in range(feet_count):
        if layout >= 4:
            out += struct.pack("<f", float_feet(rng))
        else:
            out += struct.pack("<i", rng.randrange(-5, 3600))
    if flags:
        out += bytes([rng.choice([0, 1, 0, 1, 2])])
    return out


def later_edit_body(rng, layout, path):
    action = rng.choice([1, 2, 3, 1, 2, 3, 0, 4])
    out = struct.pack("<iiBi", rng.randrange(-1, 40), rng.randrange(-1, 17), action, rng.randrange(-1, 9))
    for present in (action != 1, action != 2):
        if present:
            out += later_entry(rng, layout, 5 if path else 3, path)
    return out


def later_journal_files():
    files = []
    for i in range(48):
        layout = 3 + i % 2
        out = later_journal_header(later_random, layout)
        for _ in range(later_random.randrange(1, 6)):
            kind = later_random.choice([1, 2, 1, 2, 3, 5])
            body = later_edit_body(later_random, layout, kind == 1) if kind in (1, 2) else record_body(later_random, kind)
            if later_random.random() < 0.1 and body:
                body = body[:-1] if later_random.random() < 0.5 else body + b"\0"
            out += frame(kind, body, broken=later_random.random() < 0.05)
        if i % 8 == 7:
            out = out[: later_random.randrange(len(out) - 8, len(out))]
        files.append(out)
    return files


if __name__ == "__main__":
    write("pcx", pcx_files())
    write("texture_bin", texture_files())
    write("recovery_journal", journal_files() + later_journal_files())
