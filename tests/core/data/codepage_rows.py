#!/usr/bin/env python3
"""Writes codepage_rows.txt: whole rows of code pages 949, 950, 936 and 932
as Python's own codecs decode them, for tst_fontfiles.

One line per row: the code page, the lead byte (00 for the single-byte row),
then 256 UTF-16 units in hex, one for each second byte 00 to FF. A sequence
that is not exactly one character keeps its input code, as the converter
does. Python's tables miss a few single bytes that the Windows code pages
map; those are set by hand below. Rows of 936 whose user-defined cells the
Windows table sends to private-use characters (leads A1 to A7, and unassigned
cells such as D7FA) are left out, since Python's table does not know them.
"""
import pathlib

ROWS = {
    949: [0x00, 0x81, 0xB0],
    950: [0x00, 0xA4],
    936: [0x00, 0x81, 0xB0],
    932: [0x00, 0x82, 0xE0],
}

# Single bytes the Windows code pages map although Python's codecs do not.
SINGLE_BYTE_FIXES = {
    949: {0xFF: 0xF8F7},
    950: {0xFF: 0xF8F8},
    936: {0x80: 0x20AC, 0xFF: 0xF8F5},  # Python's cp936 lacks the euro sign
    932: {0x80: 0x0080, 0xA0: 0xF8F0, 0xFD: 0xF8F1, 0xFE: 0xF8F2, 0xFF: 0xF8F3},
}


def unit(page, code):
    raw = bytes([code >> 8, code & 0xFF]) if code >= 256 else bytes([code])
    if code < 256 and code in SINGLE_BYTE_FIXES[page]:
        return SINGLE_BYTE_FIXES[page][code]
    try:
        text = raw.decode("cp%d" % page)
    except UnicodeDecodeError:
        return code
    if len(text) != 1 or ord(text) > 0xFFFF:
        return code
    return ord(text)


def main():
    lines = ["# code page, lead byte, then the unit for each second byte 00..FF;"
             " made by codepage_rows.py"]
    for page, leads in ROWS.items():
        for lead in leads:
            units = [unit(page, lead << 8 | trail) for trail in range(256)]
            lines.append("%d %02X %s" % (page, lead, " ".join("%04X" % u for u in units)))
    out = pathlib.Path(__file__).with_name("codepage_rows.txt")
    out.write_text("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
