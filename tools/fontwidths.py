#!/usr/bin/env python3
"""Prints the advance widths of a TrueType font for the characters setup.ini
texts use (ASCII, Cyrillic, common punctuation), in font units, as a C++
table for src/disc/TextWidth.cpp.
  tools/fontwidths.py FONT.ttf NAME"""
import struct
import sys


def tables(data):
    count = struct.unpack('>H', data[4:6])[0]
    out = {}
    for i in range(count):
        tag, _, offset, length = struct.unpack('>4sIII', data[12 + 16 * i:28 + 16 * i])
        out[tag.decode()] = data[offset:offset + length]
    return out


def cmap4(cmap):
    count = struct.unpack('>H', cmap[2:4])[0]
    for i in range(count):
        platform, encoding, offset = struct.unpack('>HHI', cmap[4 + 8 * i:12 + 8 * i])
        if platform == 3 and encoding == 1:
            sub = cmap[offset:]
            segs = struct.unpack('>H', sub[6:8])[0] // 2
            ends = struct.unpack('>%dH' % segs, sub[14:14 + 2 * segs])
            at = 16 + 2 * segs
            starts = struct.unpack('>%dH' % segs, sub[at:at + 2 * segs])
            deltas = struct.unpack('>%dh' % segs, sub[at + 2 * segs:at + 4 * segs])
            ranges_at = at + 4 * segs
            ranges = struct.unpack('>%dH' % segs, sub[ranges_at:ranges_at + 2 * segs])

            def glyph(c):
                for k in range(segs):
                    if starts[k] <= c <= ends[k]:
                        if ranges[k] == 0:
                            return (c + deltas[k]) & 0xFFFF
                        where = ranges_at + 2 * k + ranges[k] + 2 * (c - starts[k])
                        g = struct.unpack('>H', sub[where:where + 2])[0]
                        return (g + deltas[k]) & 0xFFFF if g else 0
                return 0
            return glyph
    raise SystemExit('no Unicode cmap')


def main():
    data = open(sys.argv[1], 'rb').read()
    t = tables(data)
    units = struct.unpack('>H', t['head'][18:20])[0]
    metrics = struct.unpack('>H', t['hhea'][34:36])[0]
    advances = [struct.unpack('>H', t['hmtx'][4 * i:4 * i + 2])[0] for i in range(metrics)]
    glyph = cmap4(t['cmap'])
    chars = sorted(list(range(0x20, 0x7F)) + list(range(0x400, 0x460)) + [0xAB, 0xBB, 0x2013, 0x2014, 0x2116])
    rows = []
    for c in chars:
        g = glyph(c)
        if g:
            rows.append('{0x%04X, %d}' % (c, advances[min(g, metrics - 1)]))
    print('// %s: units per em %d. Made by tools/fontwidths.py.' % (sys.argv[1].split('/')[-1], units))
    print('constexpr Advance k%s[] = {' % sys.argv[2])
    for i in range(0, len(rows), 8):
        print('    ' + ', '.join(rows[i:i + 8]) + ',')
    print('};')
    print('constexpr int k%sUnits = %d;' % (sys.argv[2], units))


main()
