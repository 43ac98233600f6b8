#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpus (corpus/<target>/) and the cases of
faults found and mended (regressions/<target>/). Run from anywhere; the files
are committed, so this is only needed to change them."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def put(kind, target, name, data):
    folder = os.path.join(HERE, kind, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("latin-1"))


# --- tessera's models -----------------------------------------------------------
def model(vertices, faces, vertex_count=None, face_count=None):
    out = struct.pack("<I", len(vertices) if vertex_count is None else vertex_count)
    for x, y, z in vertices:
        out += struct.pack("<Ifff", 0, x, y, z)
    out += struct.pack("<I", len(faces) if face_count is None else face_count)
    for a, b, c in faces:
        out += struct.pack("<IIII", 0, a, b, c)
    return out


tetra = [(0, 0, 0), (1, 0, 0), (0, 1, 0), (0, 0, 1)]
put("corpus", "vh3", "tetrahedron.vh3", model(tetra, [(0, 1, 2), (0, 1, 3), (0, 2, 3), (1, 2, 3)]))
put("corpus", "vh3", "empty.vh3", b"")
put("corpus", "vh3", "zero_counts.vh3", model([], []))
put("corpus", "vh3", "index_past_vertices.vh3", model(tetra, [(0, 1, 4)]))
# 4 vertices and 40 faces announced, two face records present: loads, the
# other 38 faces repeating the last record.
put("regressions", "vh3", "short_of_its_faces.vh3", model(tetra, [(0, 1, 2), (1, 3, 2)], face_count=40))
put("regressions", "vh3", "one_of_5000_vertices.vh3", model([(1, 1, 1)], [], vertex_count=5000)[:20])


# --- .3df textures -------------------------------------------------------------------
def tex3df(fmt, small, large, aspect, bytes_per_texel, table=b""):
    header = "3df v1.1\n%s\nlod range: %d %d\naspect ratio: %s\n" % (fmt, small, large, aspect)
    w, h = (int(v) for v in aspect.split())
    texels = 0
    size = large
    while size >= small:
        if w >= h:
            texels += size * max(1, size // w)
        else:
            texels += size * max(1, size // h)
        size //= 2
    data = bytes((i * 37) & 0xFF for i in range(texels * bytes_per_texel))
    return header.encode() + table + data


put("corpus", "3df", "rgb565_8.3df", tex3df("rgb565", 1, 8, "1 1", 2))
put("corpus", "3df", "argb1555_wide.3df", tex3df("argb1555", 1, 16, "2 1", 2))
put("corpus", "3df", "p8_palette.3df", tex3df("p8", 1, 4, "1 1", 1, bytes(1024)))
put("corpus", "3df", "yiq_ncc.3df", tex3df("yiq", 1, 4, "1 2", 1, bytes(range(80))))
put("corpus", "3df", "cut_short.3df", tex3df("rgb565", 1, 8, "1 1", 2)[:60])

# --- the private settings file --------------------------------------------------
put("corpus", "profile", "tessera.INI", "[Config]\nMaxObjects=25\n")
put("corpus", "profile", "sections.INI", "; note\r\n[Other]\r\nKeep=me\r\n\r\n[config]\r\nmaxobjects = 12\r\nColour=red\r\n")
put("corpus", "profile", "damaged.INI", "[Config\nMaxObjects=44\n\x01\x02junk\x00\xff\n[Good]\nKey=kept\n=novalue\n")
# Lines ending in \r\r\n: a rewrite used to strip one \r from each, bringing
# the old section back over the value just written.
put("regressions", "profile", "cr_cr_lf.INI", "[Config]\r\r\nMaxObjects=33\r\r\n[Other]\r\r\nKeep=me\r\r\n")
# "[a]", "[bc]" listed into a 3-byte buffer (the first byte picks the size:
# '3' is 51, 51 % 48 = 3) used to write past it.
put("regressions", "profile", "list_one_short.INI", "3\n[a]\n[bc]\n")
put("regressions", "profile", "list_sizes.INI", "\x05\n[a]\nk=1\n[bc]\n[def]\n")

# --- registry.reg --------------------------------------------------------------------
reg = ('[HKEY_CURRENT_USER\\Software\\Other]\n"Keep"="me"\n"Bin"=hex:01,02,ff\n\n'
       '[HKEY_CURRENT_USER\\Software\\Corvane\\Farreach\\halcyon\\Config]\n'
       '"Mute"=dword:00000001\n"FileName"="/music/a \\"b\\"\\\\c.xm"\n"Other"=dword:0000002a\n')
put("corpus", "registry", "registry.reg", reg)
put("corpus", "registry", "typed.reg", '[HKEY_CURRENT_USER]\n@="root"\n"T"=hex(7):61,00,00\n"Broken"=dword:xyz\n')
put("regressions", "registry", "cr_cr_lf.reg", reg.replace("\n", "\r\r\n"))


# --- music modules ------------------------------------------------------------------
def mod():
    title = b"fuzz seed".ljust(20, b"\0")
    samples = b""
    for i in range(31):
        if i == 0:
            samples += b"square".ljust(22, b"\0") + struct.pack(">HBBHH", 16, 0, 64, 0, 16)
        else:
            samples += bytes(22) + struct.pack(">HBBHH", 0, 0, 0, 0, 1)
    order = bytes([1, 127]) + bytes(128)
    pattern = bytearray(1024)
    for row in range(0, 64, 4):
        period = 428
        at = row * 16
        pattern[at:at + 4] = bytes([0x00 | (period >> 8), period & 0xFF, 0x10, 0x00])
    data = bytes([0x7F] * 16 + [0x80] * 16)
    return title + samples + order + b"M.K." + bytes(pattern) + data


put("corpus", "module", "square.mod", mod())
put("corpus", "module", "not_a_module.xm", b"Extended Module: \x00\x01junk")

# --- SAVER_EVENTS -------------------------------------------------------------------
put("corpus", "saver_events", "all.txt",
    "300:mousemove 12 40;450:key;500:key escape;600:syskey f4;700:lbutton;800:deactivate;"
    "900:syscommand screensave;950:syscommand close;999:close")
put("corpus", "saver_events", "bad.txt", "bogus;x:key;18446744073709551616:key;5:mousemove 1;;")

# --- dialog scripts ------------------------------------------------------------------
put("corpus", "dialog_script", "ok.txt", "type 25;ok")
put("corpus", "dialog_script", "range.txt", "type 5;ok;type  30 ;enter")
put("corpus", "dialog_script", "browse.txt", "toggle 1021;browse;cancel;type /tmp/a\\;b.xm;ok")
put("corpus", "dialog_script", "keys.txt", "key tab;key space;click 2;escape")

# --- the command line -------------------------------------------------------------
put("corpus", "command_line", "plain.bin", "/usr/bin/tessera\0-c")
put("corpus", "command_line", "blanks.bin", "/opt/my savers/tessera\0two words\0\0/p")
# A '"' or a control byte in the program's folder name used to make the
# reader run the saver for "-c".
put("regressions", "command_line", "quote_in_folder.bin", "/opt/a\"b/tessera\0-c")
put("regressions", "command_line", "control_in_folder.bin", "/opt/a\x01b/tessera\0-c")
put("regressions", "command_line", "non_ascii.bin", "/opt/s\xc3\xa4ver \xe2\x98\x83/tessera\0-\xe3\0/C")
