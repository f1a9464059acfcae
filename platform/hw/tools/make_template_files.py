#!/usr/bin/env python3
"""Writes the laser font "stick.vxf" and the calibration patterns
"Calibration.VXS" of the machine-root template.

Font ("VXFN"): bytes 0-3 "VXFN", 4-7 the file's whole length, 8-11 the
glyph count (all big-endian), then a glyph after the other: character code
(Windows Latin-1), advance, stroke count (one byte each), and per stroke its
point count (one byte) and points as (x, y) signed bytes. Grid: baseline 0,
capitals 12 high, lower case 8, descenders to -4; a character's nominal width
is 8 units (so a character of width w draws x * w / 8, height h draws y * h / 12).

Usage: make_template_files.py <folder>
"""
import struct
import sys

G = {
 ' ': (6, ''), '!': (3, '1,12 1,3;1,0 1,1'), '"': (5, '1,12 1,9;4,12 4,9'),
 '#': (8, '2,0 3,12;5,0 6,12;0,4 8,4;0,8 8,8'), '$': (7, '7,10 5,12 2,12 0,10 0,8 7,4 7,2 5,0 2,0 0,2;3,14 3,-2'),
 '%': (8, '0,0 8,12;1,12 0,11 1,10 2,11 1,12;7,2 6,1 7,0 8,1 7,2'), '&': (8, '8,0 1,9 1,11 2,12 4,12 5,11 5,9 0,4 0,1 1,0 4,0 8,4'),
 "'": (2, '1,12 1,9'), '(': (4, '3,14 1,10 1,2 3,-2'), ')': (4, '1,14 3,10 3,2 1,-2'),
 '*': (7, '3,10 3,4;0,9 6,5;0,5 6,9'), '+': (7, '3,9 3,3;0,6 6,6'), ',': (3, '1,1 1,0 0,-2'),
 '-': (6, '0,6 5,6'), '.': (3, '1,0 1,1'), '/': (6, '0,0 6,12'),
 '0': (7, '2,0 0,2 0,10 2,12 5,12 7,10 7,2 5,0 2,0;1,2 6,10'), '1': (5, '1,10 3,12 3,0;1,0 5,0'),
 '2': (7, '0,10 2,12 5,12 7,10 7,7 0,0 7,0'), '3': (7, '0,12 7,12 3,7 5,7 7,5 7,2 5,0 2,0 0,2'),
 '4': (7, '5,0 5,12 0,4 7,4'), '5': (7, '7,12 0,12 0,7 5,7 7,5 7,2 5,0 0,0'),
 '6': (7, '6,12 3,12 0,9 0,2 2,0 5,0 7,2 7,5 5,7 0,7'), '7': (7, '0,12 7,12 2,0'),
 '8': (7, '2,7 0,9 0,10 2,12 5,12 7,10 7,9 5,7 2,7 0,5 0,2 2,0 5,0 7,2 7,5 5,7'),
 '9': (7, '7,5 2,5 0,7 0,10 2,12 5,12 7,10 7,3 4,0 1,0'),
 ':': (3, '1,8 1,7;1,1 1,0'), ';': (3, '1,8 1,7;1,1 1,0 0,-2'), '<': (7, '6,10 0,6 6,2'),
 '=': (7, '0,8 6,8;0,4 6,4'), '>': (7, '0,10 6,6 0,2'), '?': (7, '0,10 2,12 5,12 7,10 7,8 3,5 3,3;3,1 3,0'),
 '@': (9, '6,4 6,8 3,8 2,6 3,4 6,4 8,6 8,9 6,12 3,12 0,9 0,3 3,0 7,0'),
 'A': (8, '0,0 4,12 8,0;1,4 7,4'), 'B': (7, '0,0 0,12 5,12 7,10 7,8 5,6 0,6;5,6 7,4 7,2 5,0 0,0'),
 'C': (7, '7,10 5,12 2,12 0,10 0,2 2,0 5,0 7,2'), 'D': (7, '0,0 0,12 4,12 7,9 7,3 4,0 0,0'),
 'E': (7, '7,12 0,12 0,0 7,0;0,6 5,6'), 'F': (7, '7,12 0,12 0,0;0,6 5,6'),
 'G': (7, '7,10 5,12 2,12 0,10 0,2 2,0 5,0 7,2 7,6 4,6'), 'H': (7, '0,0 0,12;7,0 7,12;0,6 7,6'),
 'I': (4, '0,12 4,12;2,12 2,0;0,0 4,0'), 'J': (6, '6,12 6,2 4,0 2,0 0,2'), 'K': (7, '0,0 0,12;7,12 0,5;2,7 7,0'),
 'L': (6, '0,12 0,0 6,0'), 'M': (8, '0,0 0,12 4,6 8,12 8,0'), 'N': (7, '0,0 0,12 7,0 7,12'),
 'O': (8, '2,0 0,2 0,10 2,12 6,12 8,10 8,2 6,0 2,0'), 'P': (7, '0,0 0,12 5,12 7,10 7,8 5,6 0,6'),
 'Q': (8, '2,0 0,2 0,10 2,12 6,12 8,10 8,2 6,0 2,0;5,3 8,0'), 'R': (7, '0,0 0,12 5,12 7,10 7,8 5,6 0,6;3,6 7,0'),
 'S': (7, '7,10 5,12 2,12 0,10 0,8 7,4 7,2 5,0 2,0 0,2'), 'T': (8, '0,12 8,12;4,12 4,0'),
 'U': (7, '0,12 0,2 2,0 5,0 7,2 7,12'), 'V': (8, '0,12 4,0 8,12'), 'W': (10, '0,12 2,0 5,8 8,0 10,12'),
 'X': (7, '0,0 7,12;0,12 7,0'), 'Y': (8, '0,12 4,6 8,12;4,6 4,0'), 'Z': (7, '0,12 7,12 0,0 7,0'),
 '[': (4, '3,14 1,14 1,-2 3,-2'), '\\': (6, '0,12 6,0'), ']': (4, '1,14 3,14 3,-2 1,-2'),
 '^': (6, '0,9 3,12 6,9'), '_': (8, '0,-2 8,-2'), '`': (4, '1,13 3,10'),
 'a': (6, '0,7 2,8 5,8 6,7 6,0;6,4 1,4 0,3 0,1 1,0 4,0 6,2'), 'b': (6, '0,12 0,0;0,6 2,8 5,8 6,7 6,1 5,0 2,0 0,2'),
 'c': (6, '6,7 5,8 1,8 0,7 0,1 1,0 5,0 6,1'), 'd': (6, '6,12 6,0;6,6 4,8 1,8 0,7 0,1 1,0 4,0 6,2'),
 'e': (6, '0,4 6,4 6,7 5,8 1,8 0,7 0,1 1,0 5,0 6,1'), 'f': (5, '5,11 4,12 3,12 2,11 2,0;0,8 4,8'),
 'g': (6, '6,8 6,-3 5,-4 1,-4;6,6 4,8 1,8 0,7 0,2 1,1 4,1 6,3'), 'h': (6, '0,12 0,0;0,6 2,8 5,8 6,7 6,0'),
 'i': (2, '1,8 1,0;1,11 1,10'), 'j': (4, '3,8 3,-3 2,-4 0,-4;3,11 3,10'), 'k': (6, '0,12 0,0;6,8 0,3;2,5 6,0'),
 'l': (3, '1,12 1,1 2,0'), 'm': (10, '0,8 0,0;0,6 2,8 4,8 5,7 5,0;5,6 7,8 9,8 10,7 10,0'),
 'n': (6, '0,8 0,0;0,6 2,8 5,8 6,7 6,0'), 'o': (6, '1,0 0,1 0,7 1,8 5,8 6,7 6,1 5,0 1,0'),
 'p': (6, '0,8 0,-4;0,6 2,8 5,8 6,7 6,1 5,0 2,0 0,2'), 'q': (6, '6,8 6,-4;6,6 4,8 1,8 0,7 0,1 1,0 4,0 6,2'),
 'r': (5, '0,8 0,0;0,5 3,8 5,8'), 's': (6, '6,7 5,8 1,8 0,7 0,5 6,3 6,1 5,0 1,0 0,1'),
 't': (5, '2,11 2,1 3,0 5,0;0,8 4,8'), 'u': (6, '0,8 0,1 1,0 4,0 6,2;6,8 6,0'), 'v': (6, '0,8 3,0 6,8'),
 'w': (8, '0,8 2,0 4,6 6,0 8,8'), 'x': (6, '0,8 6,0;0,0 6,8'), 'y': (6, '0,8 3,0;6,8 2,-4 0,-4'),
 'z': (6, '0,8 6,8 0,0 6,0'), '{': (5, '4,14 2,13 2,7 0,6 2,5 2,-1 4,-2'), '|': (2, '1,14 1,-2'),
 '}': (5, '0,14 2,13 2,7 4,6 2,5 2,-1 0,-2'), '~': (8, '0,5 2,7 5,5 8,7'),
 # Latin-1 symbols with a stroke form.
 '\xa1': (3, '1,8 1,-3;1,11 1,10'), '\xa2': (6, '6,7 5,8 1,8 0,7 0,1 1,0 5,0 6,1;3,10 3,-2'),
 '\xa3': (7, '6,11 5,12 3,12 2,11 2,0;0,6 5,6;0,0 7,0'), '\xb0': (5, '1,12 0,11 0,10 1,9 3,9 4,10 4,11 3,12 1,12'),
 '\xb1': (7, '3,10 3,4;0,7 6,7;0,1 6,1'), '\xb5': (6, '0,8 0,-4;0,1 1,0 4,0 6,2;6,8 6,0'),
 '\xb7': (3, '1,6 1,5'), '\xbf': (7, '4,11 4,10;4,8 4,6 0,3 0,1 2,-1 5,-1 7,1'), '\xd7': (7, '0,9 6,3;0,3 6,9'),
 '\xf7': (7, '0,6 6,6;3,9 3,8;3,4 3,3'), '\xdf': (6, '0,0 0,10 2,12 4,12 5,11 5,8 3,7 6,4 6,1 5,0 3,0'),
 '\xc6': (10, '0,0 5,12 10,12;2,5 6,5;5,12 5,0 10,0;5,6 9,6'), '\xe6': (11, '0,7 2,8 4,8 5,7 5,1 4,0 1,0 0,1 0,3 1,4 5,4;5,4 11,4 11,7 10,8 6,8 5,7;5,1 6,0 10,0 11,1'),
 '\xd8': (8, '2,0 0,2 0,10 2,12 6,12 8,10 8,2 6,0 2,0;0,0 8,12'), '\xf8': (6, '1,0 0,1 0,7 1,8 5,8 6,7 6,1 5,0 1,0;0,0 6,8'),
 '\xd0': (7, '0,0 0,12 4,12 7,9 7,3 4,0 0,0;-1,6 3,6'), '\xf0': (6, '1,0 0,1 0,7 1,8 6,8 6,1 5,0 1,0;3,12 6,8;2,10 5,11'),
}

# Accents, drawn over capitals (top 12) or lower case (top 8), centred on the glyph.
ACCENTS = {
 'grave': [[(-1, 4), (1, 2)]], 'acute': [[(-1, 2), (1, 4)]], 'circ': [[(-2, 2), (0, 4), (2, 2)]],
 'tilde': [[(-2, 2), (-1, 3), (1, 2), (2, 3)]], 'diaer': [[(-2, 2), (-2, 3)], [(2, 2), (2, 3)]],
 'ring': [[(-1, 2), (-1, 4), (1, 4), (1, 2), (-1, 2)]],
}
COMPOSED = {
 0xC0: ('A', 'grave'), 0xC1: ('A', 'acute'), 0xC2: ('A', 'circ'), 0xC3: ('A', 'tilde'), 0xC4: ('A', 'diaer'),
 0xC5: ('A', 'ring'), 0xC8: ('E', 'grave'), 0xC9: ('E', 'acute'), 0xCA: ('E', 'circ'), 0xCB: ('E', 'diaer'),
 0xCC: ('I', 'grave'), 0xCD: ('I', 'acute'), 0xCE: ('I', 'circ'), 0xCF: ('I', 'diaer'), 0xD1: ('N', 'tilde'),
 0xD2: ('O', 'grave'), 0xD3: ('O', 'acute'), 0xD4: ('O', 'circ'), 0xD5: ('O', 'tilde'), 0xD6: ('O', 'diaer'),
 0xD9: ('U', 'grave'), 0xDA: ('U', 'acute'), 0xDB: ('U', 'circ'), 0xDC: ('U', 'diaer'), 0xDD: ('Y', 'acute'),
 0xE0: ('a', 'grave'), 0xE1: ('a', 'acute'), 0xE2: ('a', 'circ'), 0xE3: ('a', 'tilde'), 0xE4: ('a', 'diaer'),
 0xE5: ('a', 'ring'), 0xE8: ('e', 'grave'), 0xE9: ('e', 'acute'), 0xEA: ('e', 'circ'), 0xEB: ('e', 'diaer'),
 0xEC: ('\x01', 'grave'), 0xED: ('\x01', 'acute'), 0xEE: ('\x01', 'circ'), 0xEF: ('\x01', 'diaer'),
 0xF1: ('n', 'tilde'), 0xF2: ('o', 'grave'), 0xF3: ('o', 'acute'), 0xF4: ('o', 'circ'), 0xF5: ('o', 'tilde'),
 0xF6: ('o', 'diaer'), 0xF9: ('u', 'grave'), 0xFA: ('u', 'acute'), 0xFB: ('u', 'circ'), 0xFC: ('u', 'diaer'),
 0xFD: ('y', 'acute'), 0xFF: ('y', 'diaer'), 0x8A: ('S', 'circ'), 0x9A: ('s', 'circ'), 0x8E: ('Z', 'circ'),
 0x9E: ('z', 'circ'), 0x9F: ('Y', 'diaer'),
}


def parse(text):
    return [[tuple(int(v) for v in p.split(',')) for p in s.split()] for s in text.split(';') if s.strip()]


def glyphs():
    out = {}
    for ch, (adv, strokes) in G.items():
        out[ord(ch)] = (adv, parse(strokes))
    out[1] = (2, parse('1,8 1,0'))  # dotless i, the base of the accented i
    out[0xC7] = (7, parse(G['C'][1]) + [[(4, 0), (4, -2), (2, -3)]])
    out[0xE7] = (6, parse(G['c'][1]) + [[(3, 0), (3, -2), (1, -3)]])
    for code, (base, accent) in COMPOSED.items():
        adv, strokes = out[ord(base)]
        top = 12 if base.isupper() else 8
        mid = max(adv // 2, 2)
        extra = [[(mid + dx, top + dy) for dx, dy in s] for s in ACCENTS[accent]]
        out[code] = (max(adv, 4), strokes + extra)
    del out[1]
    return out


def font_bytes():
    body = b''
    gl = glyphs()
    for code in sorted(gl):
        adv, strokes = gl[code]
        body += struct.pack('>BBB', code, adv, len(strokes))
        for s in strokes:
            body += struct.pack('>B', len(s)) + b''.join(struct.pack('>bb', x, y) for x, y in s)
    head_len = 12
    return b'VXFN' + struct.pack('>II', head_len + len(body), len(gl)) + body


def frame(name, points):
    """points: (x, y, lit) in device units; lit points are white."""
    out = name.encode('ascii').ljust(24, b'\0') + struct.pack('>HhI', 0, 0, len(points))
    for x, y, lit in points:
        out += struct.pack('>hhhhI', x, y, 0, 0, 0xFFFFFF if lit else 0)
    return out


def line(x0, y0, x1, y1, steps):
    return [(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), i > 0) for i in range(steps + 1)]


def calibration_bytes():
    e = 30000
    frames = []
    cross = line(-3000, 0, 3000, 0, 12) + line(0, -3000, 0, 3000, 12)
    frames.append(frame('Cross', cross))
    grid = []
    for j, y in enumerate(range(-e, e + 1, e // 2)):
        xs = list(range(-e, e + 1, e // 2))
        if j % 2:
            xs.reverse()
        for x in xs:
            grid += [(x, y, False), (x, y, True), (x, y, True)]
    frames.append(frame('Grid 5x5', grid))
    outline = line(-e, -e, e, -e, 20) + line(e, -e, e, e, 20)[1:] + line(e, e, -e, e, 20)[1:] + line(-e, e, -e, -e, 20)[1:]
    frames.append(frame('Field outline', outline))
    fine = []
    for k, v in enumerate(range(-e, e + 1, e // 5)):
        a, b = (-e, e) if k % 2 == 0 else (e, -e)
        fine += [(a, v, False)] + line(a, v, b, v, 10)[1:]
    for k, v in enumerate(range(-e, e + 1, e // 5)):
        a, b = (-e, e) if k % 2 == 0 else (e, -e)
        fine += [(v, a, False)] + line(v, a, v, b, 10)[1:]
    frames.append(frame('Fine grid', fine))
    title = b'Calibration patterns'
    return b'MORVANTEOBJECT1' + struct.pack('>BHH', len(title), len(frames), 0) + title + b''.join(frames)


if __name__ == '__main__':
    folder = sys.argv[1]
    open(folder + '/stick.vxf', 'wb').write(font_bytes())
    open(folder + '/Calibration.VXS', 'wb').write(calibration_bytes())
