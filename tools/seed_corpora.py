#!/usr/bin/env python3
"""Seeds every fuzz corpus with more inputs: the sample theater's files (made
by the build), cut at their record boundaries, with fields changed to the
edges of their ranges, and hand-written texts. Deterministic: the same sample
gives the same seeds.

usage: seed_corpora.py SAMPLE_FOLDER CORPUS_FOLDER
"""
import random
import struct
import sys
from pathlib import Path


def write(folder: Path, name: str, data: bytes) -> None:
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


def cuts(data: bytes, points):
    return {f"cut_{p}": data[:p] for p in points if p < len(data)}


def flips(data: bytes, count: int, seed: int):
    rng = random.Random(seed)
    out = {}
    for k in range(count):
        mutated = bytearray(data)
        for _ in range(1 + k % 4):
            mutated[rng.randrange(len(mutated))] = rng.choice([0, 0x7F, 0x80, 0xE9, 0xFF, rng.randrange(256)])
        out[f"flip_{k}"] = bytes(mutated)
    return out


def texture_bin_seeds(texture: bytes):
    seeds = {"sample_theater": texture}
    seeds.update(cuts(texture, [0, 4, 8, 12, 13, 33, 41, 100, len(texture) // 2]))
    seeds.update(flips(texture, 8, 1))
    # Names in the Windows-1252 code page and floats that are not finite.
    named = bytearray(texture)
    named[13:21] = b"H\xe9\x80\x81\x9d.PC"
    seeds["code_page_name"] = bytes(named)
    one_tile = struct.pack("<ii", 1, 1) + struct.pack("<iB", 1, 6) + b"H0\xff\x00".ljust(20, b"\0")
    one_tile += struct.pack("<ii", 1, 1)
    one_tile += struct.pack("<ifff", 2, float("nan"), float("inf"), -float("inf"))
    one_tile += struct.pack("<ifffff", 3, 1e-45, 3.4e38, -0.0, float("nan"), 1.5)
    seeds["not_finite"] = one_tile
    seeds["huge_counts"] = struct.pack("<ii", 0x7FFFFFFF, 0x7FFFFFFF) + struct.pack("<iB", 0x7FFFFFFF, 1)
    return seeds


def pcx_header(width, height, bytes_per_line, planes=1):
    h = bytearray(128)
    h[0:4] = bytes([10, 5, 1, 8])
    h[4:12] = struct.pack("<4h", 0, 0, width - 1, height - 1)
    h[65] = planes
    h[66:68] = struct.pack("<h", bytes_per_line)
    return bytes(h)


def pcx_seeds(tile: bytes):
    seeds = {"sample_tile": tile}
    seeds.update(cuts(tile, [127, 128, 129, 1000, len(tile) - 769, len(tile) - 1]))
    seeds.update(flips(tile[:2000], 4, 2))
    seeds["big_header_no_data"] = pcx_header(16384, 16384, 16384, 4)
    seeds["big_header_some_data"] = pcx_header(16384, 16384, 16384, 4) + bytes([0xFF, 7]) * 64
    seeds["wide_line_enough_data"] = pcx_header(16384, 1, 16384) + bytes([0xFF, 3]) * 261
    seeds["tall_runs"] = pcx_header(8, 4096, 8) + bytes([0xC8, 9]) * 4096 + b"\x0c" + bytes(768)
    return seeds


def ini_seeds():
    texts = {
        "indented_keys": "[Location]\n  Theaters = 2\n\t1=Balkans\n 2 = Korea\n[Korea]\n  SW Long = 124.5\n",
        "semicolon_values": "[Location]\nTheaters=3 ; three\n1=Balkans;x\n[Balkans]\nSW Lat=36.625;comment\n",
        "quoted_values": "[Location]\nTheaters=\"2\"\n1='Balkans'\n2=\"Korea\n",
        "bom_crlf": "\ufeff[Location]\r\nTheaters=1\r\n1=Balkans\r\n",
        "no_closing_bracket": "[Location\nTheaters=5\n[Balkans]]\nX Sections=8\n",
        "duplicate_sections": "[Balkans]\nX Tiles=4\n[balkans]\nX Tiles=8\n[BALKANS]\nY Tiles=2\n",
        "long_value": "[Location]\n1=" + "N" * 400 + "\nTheaters=" + "9" * 40 + "\n",
        "keys_before_sections": "Theaters=4\n=\n[]\n=value\nkey=\n[Location]\nTheaters=-3\n",
        "nul_inside": "[Location]\nTheaters=2\n\0[Location]\nTheaters=7\n",
        "many_theaters": "[Location]\nTheaters=40\n" + "".join(f"{k}=T{k}\n" for k in range(1, 41)),
    }
    return {name: text.encode("utf-8") for name, text in texts.items()}


def terrain_seeds(l2: bytes, o2: bytes):
    def pack(o2_part: bytes, l2_part: bytes) -> bytes:
        return struct.pack("<H", len(o2_part)) + o2_part + l2_part
    small_o2 = o2[:16]
    small_l2 = l2[: 4 * 16 * 16 * 7 + 64]
    seeds = {
        "sample_four_sections": pack(small_o2, small_l2),
        "o2_one_byte": pack(o2[:1], small_l2),
        "o2_three_bytes": pack(o2[:3], small_l2),
        "o2_empty": pack(b"", small_l2),
        "offsets_past_end": pack(struct.pack("<4I", 0, 0xFFFFFF00, 7, 1 << 31), small_l2),
        "l2_nine_byte": pack(struct.pack("<I", 0), bytes(range(256)) * 9),
    }
    for k, cut in enumerate([0, 7, 1792, 1799]):
        seeds[f"l2_cut_{k}"] = pack(small_o2, small_l2[:cut])
    return seeds


def l2m_seeds():
    def header(rows, row_length, code):
        return struct.pack("<IHBBB", rows, row_length, 0, code, 0)
    cell = bytes([1, 0, 2, 0, 3, 4, 5, 6, 7])
    seeds = {
        "one_section_full": header(16, 16, 2) + cell * 256,
        "header_only": header(16, 16, 2),
        "rows_differ": header(32, 16, 0) + cell * 512,
        "row_not_sections": header(15, 15, 2) + cell * 225,
        "huge_claim": header(0xFFFFFFF0, 0xFFF0, 2) + cell * 4,
        "zero": header(0, 0, 0),
        "seven_bytes": bytes(7),
    }
    seeds.update({f"cut_{k}": seeds["one_section_full"][:n] for k, n in enumerate([9, 10, 100, 2000])})
    return seeds


def theater_map_seeds(data: bytes):
    seeds = {"sample_theater": data}
    seeds.update(cuts(data, [0, 4, 12, 16, 28, 796, 820, 1040, 1064, 1076, len(data) - 1]))
    seeds.update(flips(data, 6, 3))
    levels = bytearray(data)
    levels[16:20] = struct.pack("<i", 0x7FFFFFFF)
    seeds["level_count_huge"] = bytes(levels)
    return seeds


def export_seeds(texture: bytes):
    record = struct.pack("<iiii", 0, 0, 1, 1) + b"H000.PCX".ljust(20, b"\0")
    area = struct.pack("<ifff", 1, 10.0, 2.0, 3.0)
    path = struct.pack("<ifffff", 2, 5.0, 0.0, 0.0, 100.0, float("nan"))
    seeds = {
        "one_record": struct.pack("<i", 1) + record + area + path,
        "count_negative": struct.pack("<i", -1),
        "count_huge": struct.pack("<i", 0x7FFFFFFF) + record,
        "zero": struct.pack("<i", 0),
        "three_bytes": b"\1\0\0",
    }
    seeds.update(cuts(seeds["one_record"], [4, 10, 20, 40, 60]))
    seeds.update(flips(seeds["one_record"], 4, 4))
    return seeds


def dump_float(value: float) -> str:
    bits = struct.unpack("<I", struct.pack("<f", value))[0]
    if bits & 0x7F800000 == 0x7F800000:
        if bits & 0x7FFFFF:
            return f"nan:{bits:08X}"
        return "-inf" if bits >> 31 else "inf"
    for digits in range(1, 10):
        text = f"{value:.{digits}g}"
        if struct.pack("<f", float(text)) == struct.pack("<f", value):
            return text
    return repr(value)


def dump_name(name: bytes) -> str:
    text, _, tail = name.partition(b"\0")
    out = "".join(chr(b) if 0x20 < b < 0x7F and b not in b'"\\' else f"\\x{b:02X}" for b in text)
    tail = tail.rstrip(b"\0")
    return f'"{out}"' + (" " + tail.hex().upper() if tail else "")


def dump_texture(texture: bytes) -> str:
    """The database text of a Texture.bin, as lorvane-cli dump writes it."""
    lines = ["lorvane-texture 1"]
    set_count = struct.unpack_from("<i", texture, 0)[0]
    at = 8
    for s in range(set_count):
        tiles, terrain = struct.unpack_from("<iB", texture, at)
        at += 5
        lines.append(f"set {s} {terrain}")
        for k in range(tiles):
            name = texture[at:at + 20]
            areas, paths = struct.unpack_from("<ii", texture, at + 20)
            at += 28
            lines.append(f"tile {s * 16 + k} {dump_name(name)}")
            for _ in range(areas):
                kind, *values = struct.unpack_from("<ifff", texture, at)
                at += 16
                lines.append(" ".join(["area", str(kind)] + [dump_float(v) for v in values]))
            for _ in range(paths):
                kind, *values = struct.unpack_from("<ifffff", texture, at)
                at += 24
                lines.append(" ".join(["path", str(kind)] + [dump_float(v) for v in values]))
    return "\n".join(lines) + "\n"


def texture_dump_seeds(texture: bytes):
    sample = dump_texture(texture)
    texts = {
        "sample_theater": sample,
        "sample_crlf": sample.replace("\n", "\r\n"),
        "not_finite": "lorvane-texture 1\nset 0 6\ntile 0 \"H0\\xFF\" 41\n"
                      "area 2 nan:7FC00001 inf -inf\npath 3 1e-45 3.4028235e+38 -0 nan:FFFFFFFF 1.5\n",
        "escaped_name": 'lorvane-texture 1\nset 0 1\ntile 0 "a\\"b\\\\c\\x20d" 000102\n',
        "comments_blank": "lorvane-texture 1\n# a note\n\nset 0 4\n  tile 0 \"H000.PCX\"\n",
        "no_header": "set 0 4\n",
        "set_out_of_order": "lorvane-texture 1\nset 1 4\n",
        "tile_wrong_id": "lorvane-texture 1\nset 0 4\ntile 5 \"H005.PCX\"\n",
        "seventeen_tiles": "lorvane-texture 1\nset 0 4\n" + "".join(f'tile {k} "H00{k:X}.PCX"\n' for k in range(17)),
        "long_name": 'lorvane-texture 1\nset 0 4\ntile 0 "' + "N" * 20 + '"\n',
        "tail_too_long": 'lorvane-texture 1\nset 0 4\ntile 0 "H000.PCX" ' + "41" * 12 + "\n",
        "bad_float": "lorvane-texture 1\nset 0 4\ntile 0 \"H\"\narea 1 1e39 0 0\n",
        "area_before_tile": "lorvane-texture 1\nset 0 4\narea 1 1 1 1\n",
        "nul_in_name": 'lorvane-texture 1\nset 0 4\ntile 0 "H\\x00"\n',
    }
    return {name: text.encode("latin-1") for name, text in texts.items()}


def tiles_txt_seeds():
    texts = {
        "heading_and_names": "Tiles of the south\n\nH000.PCX\nH001.PCX\nH010.PCX\n",
        "crlf_comments": "H0A3.PCX  spare\r\nh0a4.pcx\r\n\r\nnotes\r\n",
        "code_page": "H\xe9\x80.PCX\nH0\xff1.PCX\n",
        "long_lines": "H" + "0" * 300 + ".PCX\n" + "x" * 5000 + "\n",
        "no_newline": "H000.PCX",
        "seventeen_in_a_set": "".join(f"H00{k:X}.PCX\n" for k in range(16)) + "H010.PCX\nH00G.PCX\n",
        "nul_bytes": "H000.PCX\n\0H001.PCX\n",
        "far_ids": "HFFF.PCX\nH7FF.PCX\nH800.PCX\n",
    }
    return {name: text.encode("latin-1") for name, text in texts.items()}


def main() -> None:
    sample, corpus = Path(sys.argv[1]), Path(sys.argv[2])
    texture = (sample / "Texture.bin").read_bytes()
    tile = sorted((sample / "tiles").glob("*.PCX"))[0].read_bytes()
    groups = {
        "texture_bin": texture_bin_seeds(texture),
        "database_json": texture_bin_seeds(texture),
        "pcx": pcx_seeds(tile),
        "quistral_ini": ini_seeds(),
        "terrain_l2": terrain_seeds((sample / "Theater.L2").read_bytes(), (sample / "Theater.O2").read_bytes()),
        "l2m": l2m_seeds(),
        "theater_map": theater_map_seeds((sample / "Theater.map").read_bytes()),
        "tile_export": export_seeds(texture),
        "texture_dump": texture_dump_seeds(texture),
        "tiles_txt": tiles_txt_seeds(),
    }
    for name, seeds in groups.items():
        for seed_name, data in seeds.items():
            write(corpus / name, seed_name, data)


if __name__ == "__main__":
    main()
