#!/usr/bin/env python3
"""Writes stand-in ZKJT16.FON, ZKFT16.FON and ZKJP16.FON into a folder, for
running the viewer before the generated fonts are built. Glyphs come from
Debian's unifont through glibc's iconv; without unifont every character is
an outlined box. The real fonts replace these wherever they exist."""
import os
import subprocess
import sys

HEX = '/usr/share/unifont/unifont.hex'


def load_unifont():
    glyphs = {}
    if not os.path.exists(HEX):
        return glyphs
    with open(HEX) as f:
        for line in f:
            code, _, bits = line.strip().partition(':')
            glyphs[int(code, 16)] = bytes.fromhex(bits)
    return glyphs


BOX_NARROW = bytes([0, 0, 0x7E] + [0x42] * 10 + [0x7E, 0, 0])
BOX_WIDE = bytes([0, 0, 0, 0, 0x3F, 0xFC] + [0x20, 0x04] * 10 + [0x3F, 0xFC, 0, 0, 0, 0])


def positions(code):
    if code == 'GB2312':
        return [bytes([h, l]) for h in range(0xA1, 0xF8) for l in range(0xA1, 0xFF)]
    if code == 'BIG5':
        return [bytes([h, 0x40 + t if t <= 62 else 0x62 + t]) for h in range(0xA1, 0xFA) for t in range(157)]
    return [bytes([0x81 + r if r <= 30 else 0xC1 + r, 0x40 + c]) for r in range(44) for c in range(189)]


def decode(code, pairs):
    """One character (or None) per position, through glibc's iconv."""
    out = subprocess.run(['iconv', '-c', '-f', code, '-t', 'UTF-8'], input=b'\n'.join(pairs) + b'\n',
                         capture_output=True).stdout.decode('utf-8', 'replace').split('\n')[:-1]
    if len(out) != len(pairs):
        return [None] * len(pairs)
    return [ord(s) if len(s) == 1 and ord(s) >= 0x80 else None for s in out]


def wide(glyphs, cp):
    if cp is None:
        return bytes(32)
    bits = glyphs.get(cp)
    if bits is None:
        return BOX_WIDE if not glyphs else bytes(32)
    if len(bits) == 32:
        return bits
    # A narrow glyph in a double-byte cell is centred.
    return b''.join(bytes([b >> 4, (b << 4) & 0xFF]) for b in bits[:16])


def narrow(glyphs, cp):
    bits = glyphs.get(cp)
    if bits is None:
        return BOX_NARROW
    return bits[:16] if len(bits) == 16 else bytes(b for i, b in enumerate(bits) if i % 2 == 0)


def font(code, glyphs):
    single = bytearray(4096)
    for c in range(0x21, 0x7F):
        single[16 * c:16 * c + 16] = narrow(glyphs, c)
    if code == 'SHIFT_JIS':
        for c in range(0xA1, 0xE0):
            single[16 * c:16 * c + 16] = narrow(glyphs, 0xFF61 + c - 0xA1)
    pairs = positions(code)
    return bytes(single) + b''.join(wide(glyphs, cp) for cp in decode(code, pairs))


if __name__ == '__main__':
    folder = sys.argv[1]
    glyphs = load_unifont()
    for name, code in (('ZKJT16.FON', 'GB2312'), ('ZKFT16.FON', 'BIG5'), ('ZKJP16.FON', 'SHIFT_JIS')):
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(font(code, glyphs))
    print('stand-in fonts written to %s (%s)' % (folder, 'unifont' if glyphs else 'boxes'))
