#!/usr/bin/env python3
"""Writes the small hand-made seed inputs of the fuzz targets into
tests/fuzz/<target>/seeds/. Each seed is a tiny, well-formed file of the
target's kind, so that fuzzing starts from inputs that reach deep into the
parser. Run again after changing it; the seeds are committed."""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(HERE, target, "seeds")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# --- device-independent bitmaps -------------------------------------------

def info_header(w, h, bits, compression=0, colors=0, size=40, image_size=0):
    return struct.pack("<IiiHHIIiiII", size, w, h, 1, bits, compression, image_size, 2835, 2835, colors, 0)


def rows(w, h, bits, fill):
    stride = (w * bits + 31) // 32 * 4
    return bytes((fill + i) & 0xFF for i in range(stride * h))


def palette(n):
    return b"".join(struct.pack("<BBBB", (i * 50) & 255, (i * 90) & 255, (i * 20) & 255, 0) for i in range(n))


def dibs():
    out = {
        "rgb24.dib": info_header(3, 2, 24) + rows(3, 2, 24, 7),
        "topdown24.dib": info_header(2, -2, 24) + rows(2, 2, 24, 1),
        "pal8.dib": info_header(3, 3, 8, colors=4) + palette(4) + bytes([0, 1, 2, 0, 3, 2, 1, 0, 1, 1, 1, 0]),
        "pal4.dib": info_header(4, 2, 4, colors=16) + palette(16) + bytes([0x12, 0x34, 0, 0, 0xAB, 0xCD, 0, 0]),
        "mono.dib": info_header(9, 2, 1, colors=2) + palette(2) + bytes([0xAA, 0x80, 0, 0, 0x55, 0x00, 0, 0]),
        "rgb16.dib": info_header(2, 2, 16) + rows(2, 2, 16, 3),
        "rgb32.dib": info_header(2, 2, 32) + rows(2, 2, 32, 9),
        "bitfields32.dib": info_header(2, 2, 32, compression=3) + struct.pack("<III", 0xFF0000, 0xFF00, 0xFF)
        + rows(2, 2, 32, 5),
        "bitfields16.dib": info_header(2, 1, 16, compression=3) + struct.pack("<III", 0xF800, 0x07E0, 0x1F)
        + rows(2, 1, 16, 2),
        # RLE8: a run, an absolute run, end of line, a delta, end of bitmap.
        "rle8.dib": info_header(4, 3, 8, compression=1, colors=3) + palette(3)
        + bytes([3, 1, 0, 3, 2, 0, 1, 0, 0, 0, 0, 2, 1, 1, 2, 2, 0, 1]),
        "rle4.dib": info_header(4, 2, 4, compression=2, colors=3) + palette(3)
        + bytes([4, 0x12, 0, 0, 0, 4, 0x21, 0x12, 0, 1]),
        "core8.dib": struct.pack("<IHHHH", 12, 2, 2, 1, 8) + bytes([0, 0, 255, 255, 255, 255, 255, 0, 1, 0, 0, 1, 0, 0, 0]),
    }
    return out


# --- metafiles --------------------------------------------------------------

def wmf_record(function, params):
    params = bytes(params)
    if len(params) % 2:
        params += b"\0"
    return struct.pack("<IH", 3 + len(params) // 2, function) + params


def h(*values):
    return struct.pack("<%dh" % len(values), *values)


def wmf_records():
    font = h(-16, 0, 0, 0, 700) + bytes([1, 0, 0, 0, 0, 0, 0, 0]) + b"Arial".ljust(32, b"\0")
    dib = info_header(2, 2, 24) + rows(2, 2, 24, 40)
    recs = [
        wmf_record(0x020B, h(0, 0)),                      # SETWINDOWORG y x
        wmf_record(0x020C, h(100, 200)),                  # SETWINDOWEXT h w
        wmf_record(0x0102, h(1)),                         # SETBKMODE transparent
        wmf_record(0x0209, struct.pack("<I", 0x0000FF)),  # SETTEXTCOLOR
        wmf_record(0x02FA, h(0, 3, 0) + struct.pack("<I", 0xFF0000)),          # CREATEPENINDIRECT
        wmf_record(0x012D, h(0)),                                               # SELECTOBJECT
        wmf_record(0x02FC, h(0) + struct.pack("<I", 0x00FF00) + h(0)),          # CREATEBRUSHINDIRECT
        wmf_record(0x012D, h(1)),
        wmf_record(0x041B, h(60, 90, 10, 10)),            # RECTANGLE b r t l
        wmf_record(0x0418, h(90, 190, 50, 100)),          # ELLIPSE
        wmf_record(0x0324, h(3, 10, 10, 50, 80, 90, 20)),  # POLYGON
        wmf_record(0x0325, h(2, 0, 0, 199, 99)),          # POLYLINE
        wmf_record(0x0538, h(2, 3, 3, 0, 0, 20, 0, 0, 20, 30, 30, 40, 30, 30, 40)),  # POLYPOLYGON
        wmf_record(0x0817, h(0, 0, 0, 0, 80, 80, 0, 0)),  # ARC
        wmf_record(0x02FB, font),                         # CREATEFONTINDIRECT
        wmf_record(0x012D, h(2)),
        wmf_record(0x0521, h(5) + b"Hello\0" + h(40, 20)),  # TEXTOUT
        wmf_record(0x0A32, h(70, 20, 3, 0) + b"abc\0"),     # EXTTEXTOUT
        wmf_record(0x0B41, struct.pack("<I", 0x00CC0020) + h(2, 2, 0, 0, 30, 30, 60, 150) + dib),  # DIBSTRETCHBLT
        wmf_record(0x01F0, h(1)),                         # DELETEOBJECT
        wmf_record(0x001E, b""),                          # SAVEDC
        wmf_record(0x0416, h(80, 80, 5, 5)),              # INTERSECTCLIPRECT
        wmf_record(0x0127, h(-1)),                        # RESTOREDC
        wmf_record(0x0000, b""),                          # EOF
    ]
    return recs


def wmf_file(records, placeable, objects=4):
    body = b"".join(records)
    words = 9 + len(body) // 2
    largest = max(len(r) // 2 for r in records)
    header = struct.pack("<HHHIHIH", 1, 9, 0x0300, words, objects, largest, 0)
    if not placeable:
        return header + body
    first = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, 200, 100, 1440, 0)
    checksum = 0
    for (word,) in struct.iter_unpack("<H", first):
        checksum ^= word
    return first + struct.pack("<H", checksum) + header + body


def emf_record(kind, params):
    params = bytes(params)
    params += b"\0" * (-len(params) % 4)
    return struct.pack("<II", kind, 8 + len(params)) + params


def i(*values):
    return struct.pack("<%di" % len(values), *values)


def emf_text_record():
    text = "Hi!".encode("utf-16-le")
    offset = 76
    dx_offset = offset + 8
    params = i(0, 0, 100, 30) + struct.pack("<Iff", 1, 1.0, 1.0) + i(10, 20) + struct.pack("<II", 3, offset)
    params += struct.pack("<I", 0) + i(0, 0, 0, 0) + struct.pack("<I", dx_offset)
    params += text + b"\0\0" + i(8, 8, 8)
    return emf_record(84, params)


def emf_stretch_dib():
    bmi = info_header(2, 2, 24)
    bits = rows(2, 2, 24, 90)
    params = i(0, 0, 0, 0) + i(50, 50, 0, 0, 2, 2) + struct.pack("<IIII", 80, len(bmi), 80 + len(bmi), len(bits))
    params += struct.pack("<II", 0, 0x00CC0020) + i(40, 40) + bmi + bits
    return emf_record(81, params)


def emf_file(records):
    logfont = i(-14, 0, 0, 0, 400) + bytes([0, 1, 0, 0, 0, 0, 0, 0]) + "Arial".encode("utf-16-le").ljust(64, b"\0")
    body = [
        emf_record(17, i(8)),                     # SETMAPMODE anisotropic
        emf_record(9, i(400, 300)),               # SETWINDOWEXTEX
        emf_record(11, i(200, 150)),              # SETVIEWPORTEXTEX
        emf_record(10, i(0, 0)),                  # SETWINDOWORGEX
        emf_record(38, i(1, 0, 2, 0) + struct.pack("<I", 0xFF)),              # CREATEPEN
        emf_record(37, struct.pack("<I", 1)),                                # SELECTOBJECT
        emf_record(39, struct.pack("<IIII", 2, 0, 0x00FF00, 0)),             # CREATEBRUSHINDIRECT
        emf_record(37, struct.pack("<I", 2)),
        emf_record(43, i(10, 10, 200, 100)),      # RECTANGLE
        emf_record(42, i(100, 100, 300, 250)),    # ELLIPSE
        emf_record(87, i(0, 0, 0, 0) + struct.pack("<I", 3) + h(0, 0, 100, 200, 300, 10)),  # POLYLINE16
        emf_record(3, i(0, 0, 0, 0) + struct.pack("<I", 3) + i(5, 5, 50, 5, 5, 50)),        # POLYGON
        emf_record(33, b""),                      # SAVEDC
        emf_record(35, struct.pack("<6f", 1.0, 0.2, 0.0, 1.0, 5.0, 5.0)),   # SETWORLDTRANSFORM
        emf_record(59, b""),                      # BEGINPATH
        emf_record(27, i(20, 20)),                # MOVETOEX
        emf_record(54, i(120, 60)),               # LINETO
        emf_record(60, b""),                      # ENDPATH
        emf_record(63, i(0, 0, 0, 0)),            # STROKEANDFILLPATH
        emf_record(34, i(-1)),                    # RESTOREDC
        emf_record(82, struct.pack("<I", 3) + logfont),                     # EXTCREATEFONTINDIRECTW
        emf_record(37, struct.pack("<I", 3)),
        emf_record(24, struct.pack("<I", 0x0000FF)),                         # SETTEXTCOLOR
        emf_text_record(),
        emf_stretch_dib(),
        emf_record(30, i(0, 0, 150, 150)),        # INTERSECTCLIPRECT
        emf_record(40, struct.pack("<I", 2)),     # DELETEOBJECT
    ] + records + [emf_record(14, struct.pack("<III", 0, 16, 20))]
    body_bytes = b"".join(body)
    total = 88 + len(body_bytes)
    header = struct.pack("<II", 1, 88) + i(0, 0, 399, 299) + i(0, 0, 10583, 7937)
    header += struct.pack("<IIIIHHIII", 0x464D4520, 0x10000, total, len(body) + 1, 4, 0, 0, 0, 0)
    header += i(1024, 768, 271, 203)
    return header + body_bytes


# --- TIFF and EXIF ----------------------------------------------------------

def tiff(order, entries, extra_ifd=None, tail=b""):
    """entries: (tag, type, count, value bytes). Values longer than four
    bytes go after the directory."""
    e = "<" if order == b"II" else ">"
    count = len(entries)
    first = 8
    data_at = first + 2 + count * 12 + 4
    directory = struct.pack(e + "H", count)
    data = b""
    for tag, kind, n, value in entries:
        if len(value) <= 4:
            field = value.ljust(4, b"\0")
        else:
            field = struct.pack(e + "I", data_at + len(data))
            data += value + (b"\0" if len(value) % 2 else b"")
        directory += struct.pack(e + "HHI", tag, kind, n) + field
    next_at = data_at + len(data) if extra_ifd else 0
    directory += struct.pack(e + "I", next_at)
    out = order + struct.pack(e + "HI", 42, first) + directory + data
    if extra_ifd:
        out += extra_ifd(e, len(out))
    return out + tail


def tiff_seeds():
    def le(fmt, *v):
        return struct.pack("<" + fmt, *v)

    def be(fmt, *v):
        return struct.pack(">" + fmt, *v)

    pixels_at = 200
    little = tiff(b"II", [
        (256, 3, 1, le("H", 2)), (257, 3, 1, le("H", 2)), (258, 3, 1, le("H", 8)),
        (271, 2, 4, b"Cam\0"), (273, 4, 1, le("I", pixels_at)), (274, 3, 1, le("H", 6)),
        (279, 4, 1, le("I", 4)), (282, 5, 1, le("II", 300, 1)), (283, 5, 1, le("II", 72, 1)),
        (296, 3, 1, le("H", 2)),
    ])
    little = little.ljust(pixels_at + 4, b"\x80")

    def second(e, at):
        ifd = struct.pack(e + "H", 2) + struct.pack(e + "HHI", 324, 4, 1) + struct.pack(e + "I", 8)
        ifd += struct.pack(e + "HHI", 325, 4, 1) + struct.pack(e + "I", 999999) + struct.pack(e + "I", 0)
        return ifd

    big = tiff(b"MM", [
        (274, 3, 1, be("H", 8)), (282, 5, 1, be("II", 11811, 100)), (283, 5, 1, be("II", 11811, 100)),
        (296, 3, 1, be("H", 3)), (50706, 1, 4, bytes([1, 4, 0, 0])),
    ], extra_ifd=second)
    with_sub = tiff(b"II", [(274, 3, 1, le("H", 3)), (330, 4, 2, le("II", 8, 40))],
                    tail=b"\0" * 20)
    return {"little.tif": little, "big_dng.tif": big, "subifd.tif": with_sub,
            "exif_mirror.tif": tiff(b"II", [(274, 3, 1, le("H", 2))]),
            "exif_transverse.tif": tiff(b"MM", [(274, 3, 1, be("H", 7))]),
            "exif_rot90.tif": tiff(b"II", [(274, 3, 1, le("H", 5)), (282, 5, 1, le("II", 7200, 100))])}


# --- GIF and BMP ------------------------------------------------------------

def gif_seeds():
    screen = b"GIF89a" + struct.pack("<HHBBB", 3, 2, 0x81, 0, 0) + bytes([0, 0, 0, 255, 255, 255, 9, 9, 9, 1, 1, 1])
    gce = bytes([0x21, 0xF9, 4, 0, 10, 0, 0, 0])
    image = bytes([0x2C]) + struct.pack("<HHHHB", 0, 0, 3, 2, 0) + bytes([2, 2, 0x44, 0x01, 0])
    local = bytes([0x2C]) + struct.pack("<HHHHB", 1, 0, 1, 1, 0x80) + bytes([1, 2, 3, 4, 5, 6]) + bytes([2, 1, 0x44, 0])
    comment = bytes([0x21, 0xFE, 3]) + b"hi!" + bytes([0])
    return {"two_frames.gif": screen + gce + image + comment + local + b";",
            "cut.gif": screen + gce + image[:8],
            "plain87.gif": b"GIF87a" + struct.pack("<HHBBB", 1, 1, 0, 0, 0) + image + b";"}


def bmp_file(dib, offset_extra=0):
    header_size = struct.unpack("<I", dib[:4])[0]
    info_end = 14 + header_size
    table = 0
    if header_size >= 40:
        bits, colors = struct.unpack("<H", dib[14:16])[0], struct.unpack("<I", dib[32:36])[0]
        table = 4 * (colors or (1 << bits if bits <= 8 else 0))
    return b"BM" + struct.pack("<IHHI", 14 + len(dib), 0, 0, info_end + table + offset_extra) + dib


# --- JPEG marker segments ---------------------------------------------------

def segment(marker, payload):
    return bytes([0xFF, marker]) + struct.pack(">H", len(payload) + 2) + payload


def jpeg_seeds():
    exif = b"Exif\0\0" + tiff(b"MM", [(274, 3, 1, struct.pack(">H", 6))])
    icc = b"\0\0\x02\x0cacspMSFT" * 4
    chunks = [segment(0xE2, b"ICC_PROFILE\0" + bytes([n, 2]) + icc[(n - 1) * 20:n * 20]) for n in (1, 2)]
    xmp = b"http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>"
    iptc = b"\x1c\x02\x05\x00\x05Title"
    photoshop = b"Photoshop 3.0\0" + b"8BIM" + struct.pack(">H", 0x0404) + b"\0\0" + struct.pack(">I", len(iptc)) + iptc
    photoshop += b"\0" + b"8BIM" + struct.pack(">H", 0x0425) + b"\x03abc" + struct.pack(">I", 2) + b"xy"
    sof = segment(0xC0, bytes([8, 0, 1, 0, 1, 1, 1, 0x11, 0]))
    head = b"\xFF\xD8" + segment(0xE0, b"JFIF\0\x01\x02\x01\0\x48\0\x48\0\0")
    tail = sof + segment(0xDA, bytes([1, 1, 0, 0, 63, 0])) + b"\x00\xFF\xD9"
    return {"all_blocks.jpg": head + segment(0xE1, exif) + chunks[1] + chunks[0] + segment(0xE1, xmp)
            + segment(0xED, photoshop) + segment(0xFE, b"comment") + tail,
            "icc_doubled.jpg": head + chunks[0] + chunks[0] + tail,
            "cut_segment.jpg": head + segment(0xE1, exif)[:30]}


# --- language files ---------------------------------------------------------

def language_seeds():
    ansi = (b"; comment\r\n[STRING]\r\nIDS_LANGUAGE=Fran\xe7ais\r\nIDS_MESSAGE_ERROR = \"Erreur\" \r\n"
            b"IDS_STRING108='Ouvrez\\nune photo'\r\nids_string111=Tab\\there\r\nIDS_LANGUAGE=second\r\n"
            b"[MENU]\r\nIDM_POPUPMENU_FONT=&Police\r\n[dialog]\r\nIDC_BUTTON_OPEN_PHOTO=Ouvrir\r\n"
            b"IDC_BUTTON_BASE_HEIGHT\r\n=novalue\r\n[broken\r\nIDC_BUTTON_BASE_HEIGHT=x")
    sjis = "[STRING]\nIDS_LANGUAGE=日本語\\n表示\n[MENU]\nIDM_POPUPMENU_FONT=フォント\n".encode("cp932")
    utf16 = b"\xff\xfe" + "[STRING]\r\nIDS_LANGUAGE=Русский\r\n[DIALOG]\r\nIDC_BUTTON_OPEN_PHOTO=\"Открыть\"\r\n".encode(
        "utf-16-le")
    utf16be = b"\xfe\xff" + "[STRING]\nIDS_MESSAGE_ERROR=Σφάλμα\n".encode("utf-16-be")
    utf8 = "[STRING]\rIDS_LANGUAGE=简体中文\rIDS_MESSAGE_WARNING=警告\r".encode("utf-8")
    long_value = b"[STRING]\nIDS_STRING108=" + "é".encode("utf-8") * 2100 + b"\n"
    return {"ansi.ini": ansi, "shift_jis.ini": sjis, "utf16le.ini": utf16, "utf16be.ini": utf16be,
            "utf8_cr.ini": utf8, "long_value.ini": long_value}


# --- command lines ----------------------------------------------------------

def cli_seeds():
    lines = {
        "size.args": ["--width", "640", "--height", "480px", "-o", "out.jpg", "in.png"],
        "fit.args": ["--fit", "800x600", "--shrink-only", "--quality", "90", "a.jpg", "b.tif", "-o", "dir"],
        "text.args": ["--text", "Hello", "--at", "10,20", "--font", "DejaVu Sans", "--font-size", "12",
                      "--bold", "--italic", "--color", "#ff0000", "x.jpg"],
        "misc.args": ["--rotate", "90", "--flip", "horizontal", "--frame", "2", "--jobs", "3", "--force",
                      "--keep-location", "--keep-profile", "--long-edge", "1024", "--", "-odd.jpg"],
        "bad.args": ["--quality", "101", "--width", "0", "--fit", "x", "--strip-metadata", "--help"],
    }
    return {name: "\0".join(args).encode("utf-8") for name, args in lines.items()}


def main():
    for name, data in dibs().items():
        write("dib", name, data)
    write("dib", "rgb24.bmp", bmp_file(info_header(3, 2, 24) + rows(3, 2, 24, 7)))
    for placeable in (True, False):
        write("wmf", "placeable.wmf" if placeable else "standard.wmf", wmf_file(wmf_records(), placeable))
    write("emf", "shapes.emf", emf_file([]))
    for name, data in tiff_seeds().items():
        write("tiff_directory", name, data)
        write("exif", name, data)
    for name, data in gif_seeds().items():
        write("container_checks", name, data)
    write("container_checks", "rgb24.bmp", bmp_file(info_header(3, 2, 24) + rows(3, 2, 24, 7)))
    write("container_checks", "rle8_short.bmp", bmp_file(dibs()["rle8.dib"])[:-4])
    for name, data in jpeg_seeds().items():
        write("jpeg_markers", name, data)
    for name, data in language_seeds().items():
        write("language", name, data)
    for name, data in cli_seeds().items():
        write("cli_options", name, data)


if __name__ == "__main__":
    main()
