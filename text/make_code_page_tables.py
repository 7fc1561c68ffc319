#!/usr/bin/env python3
"""Writes text/code_page_tables.inc: the single-byte code pages that titles
may be in, each as the character of every byte, and the characters a page
lacks but holds the canonical decomposition of (Vietnamese letters in cp1258
are a letter and a tone mark).

The characters are glibc's iconv's, one byte at a time (but for a byte
Windows defines in its own page where iconv does not); Unicode's
decompositions are Python's unicodedata. Both systems' programs then convert
with these tables alone, so one input gives one output everywhere. The unit
tests compare every table with iconv on Linux and with Windows' converters
under Wine, and name each byte where they differ.

Run: python3 text/make_code_page_tables.py > text/code_page_tables.inc
"""
import ctypes
import itertools
import ctypes.util
import sys
import unicodedata

# (name shown, iconv's name, other names accepted, whether its upper half
# starts with the C1 controls). Numbers are Windows' numbers of the page.
PAGES = [
    ("windows-874", "CP874", ["cp874", "874"], False),
    ("windows-1250", "CP1250", ["cp1250", "1250"], False),
    ("windows-1251", "CP1251", ["cp1251", "1251"], False),
    ("windows-1252", "CP1252", ["cp1252", "1252"], False),
    ("windows-1253", "CP1253", ["cp1253", "1253"], False),
    ("windows-1254", "CP1254", ["cp1254", "1254"], False),
    ("windows-1255", "CP1255", ["cp1255", "1255"], False),
    ("windows-1256", "CP1256", ["cp1256", "1256"], False),
    ("windows-1257", "CP1257", ["cp1257", "1257"], False),
    ("windows-1258", "CP1258", ["cp1258", "1258"], False),
    ("ISO-8859-1", "ISO-8859-1", ["iso8859-1", "latin1", "28591"], True),
    ("ISO-8859-2", "ISO-8859-2", ["iso8859-2", "latin2", "28592"], True),
    ("ISO-8859-3", "ISO-8859-3", ["iso8859-3", "28593"], True),
    ("ISO-8859-4", "ISO-8859-4", ["iso8859-4", "28594"], True),
    ("ISO-8859-5", "ISO-8859-5", ["iso8859-5", "28595"], True),
    ("ISO-8859-6", "ISO-8859-6", ["iso8859-6", "28596"], True),
    ("ISO-8859-7", "ISO-8859-7", ["iso8859-7", "28597"], True),
    ("ISO-8859-8", "ISO-8859-8", ["iso8859-8", "28598"], True),
    ("ISO-8859-9", "ISO-8859-9", ["iso8859-9", "latin5", "28599"], True),
    ("ISO-8859-10", "ISO-8859-10", ["iso8859-10"], True),
    ("ISO-8859-11", "ISO-8859-11", ["iso8859-11"], True),
    ("ISO-8859-13", "ISO-8859-13", ["iso8859-13", "28603"], True),
    ("ISO-8859-14", "ISO-8859-14", ["iso8859-14"], True),
    ("ISO-8859-15", "ISO-8859-15", ["iso8859-15", "latin9", "28605"], True),
    ("ISO-8859-16", "ISO-8859-16", ["iso8859-16"], True),
    ("KOI8-R", "KOI8-R", ["20866"], False),
    ("KOI8-U", "KOI8-U", ["21866"], False),
    ("IBM437", "IBM437", ["cp437", "437"], False),
    ("IBM850", "IBM850", ["cp850", "850"], False),
    ("IBM852", "IBM852", ["cp852", "852"], False),
    ("IBM866", "IBM866", ["cp866", "866"], False),
    ("macintosh", "MACINTOSH", ["mac", "10000"], False),
]

libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
libc.iconv_open.restype = ctypes.c_void_p
libc.iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
libc.iconv.restype = ctypes.c_size_t
libc.iconv.argtypes = [ctypes.c_void_p] + [ctypes.c_void_p] * 4
libc.iconv_close.argtypes = [ctypes.c_void_p]


def iconv_byte(page, byte):
    """The character iconv reads `byte` of `page` as, flushed, or None."""
    handle = libc.iconv_open(b"UTF-32LE", page.encode())
    assert handle != ctypes.c_void_p(-1).value, page
    try:
        inbuf = ctypes.create_string_buffer(bytes([byte]), 1)
        outbuf = ctypes.create_string_buffer(64)
        inptr = ctypes.c_char_p(ctypes.addressof(inbuf))
        outptr = ctypes.c_char_p(ctypes.addressof(outbuf))
        inleft = ctypes.c_size_t(1)
        outleft = ctypes.c_size_t(64)
        args = [ctypes.byref(inptr), ctypes.byref(inleft), ctypes.byref(outptr),
                ctypes.byref(outleft)]
        if libc.iconv(handle, *args) == ctypes.c_size_t(-1).value:
            return None
        # glibc holds back a letter a combining mark could follow: flush it.
        libc.iconv(handle, None, None, ctypes.byref(outptr), ctypes.byref(outleft))
        out = outbuf.raw[:64 - outleft.value]
        if len(out) != 4:
            return None
        return int.from_bytes(out, "little")
    finally:
        libc.iconv_close(handle)


# Where Windows' own page defines a byte that iconv leaves undefined: bases
# were made with Windows, so the byte reads as Windows reads it.
WINDOWS_ONLY = {("CP1255", 0xCA): 0x05BA}


def table(page, c1_is_real):
    characters = []
    for byte in range(256):
        c = WINDOWS_ONLY.get((page, byte)) or iconv_byte(page, byte)
        # The holes of the Windows pages read as no character on both systems.
        if c is None or (0x80 <= c <= 0x9F and not c1_is_real):
            c = 0xFFFD
        characters.append(c)
    return characters


def decompositions(characters):
    """Each character the page lacks, written in it as its canonical
    decomposition, recomposed as far as the page holds the composites."""
    byte_of = {c: b for b, c in enumerate(characters) if c != 0xFFFD}
    found = []
    for c in range(0xA0, 0x110000):
        if c in byte_of or 0xD800 <= c <= 0xDFFF:
            continue
        parts = unicodedata.normalize("NFD", chr(c))
        if parts == chr(c):
            continue
        # The base letter with as many of its marks as compose with it into
        # one character of the page, then the other marks, each a character
        # of the page; canonically equivalent to the character (marks of
        # different classes may trade places: e, dot below, circumflex is
        # e-circumflex, dot below).
        base, marks = parts[0], parts[1:]
        best = None
        for size in range(len(marks), -1, -1):
            for kept in itertools.combinations(range(len(marks)), size):
                head = unicodedata.normalize("NFC", base + "".join(marks[i] for i in kept))
                rest = [marks[i] for i in range(len(marks)) if i not in kept]
                if (len(head) == 1 and ord(head) in byte_of
                        and all(ord(m) in byte_of for m in rest)
                        and unicodedata.normalize("NFD", head + "".join(rest)) == parts):
                    best = [byte_of[ord(head)]] + [byte_of[ord(m)] for m in rest]
                    break
            if best is not None:
                break
        if best is not None:
            found.append((c, best))
    return found


def main():
    out = sys.stdout
    out.write("// Written by text/make_code_page_tables.py from glibc's iconv and Unicode's\n"
              "// decompositions (Unicode %s); run it again rather than edit.\n\n"
              % unicodedata.unidata_version)
    longest = 0
    for index, (name, iconv_name, aliases, c1_is_real) in enumerate(PAGES):
        characters = table(iconv_name, c1_is_real)
        out.write("constexpr char16_t kCharacters%d[256] = {\n" % index)
        for row in range(0, 256, 8):
            out.write("    " + ", ".join("0x%04X" % c for c in characters[row:row + 8]) + ",\n")
        out.write("};\n")
        found = decompositions(characters)
        out.write("constexpr Decomposed kDecomposed%d[] = {\n" % index)
        for c, written in found:
            longest = max(longest, len(written))
            out.write("    {0x%05X, {%s}},\n" % (c, ", ".join("0x%02X" % b for b in written)))
        if not found:
            out.write("    {0, {}},  // none: a page's list is never empty in C++\n")
        out.write("};\n\n")
    assert longest <= 4, longest
    out.write("constexpr CodePageTable kCodePageTables[] = {\n")
    for index, (name, _, aliases, _) in enumerate(PAGES):
        out.write('    {"%s", {%s}, kCharacters%d, kDecomposed%d},\n'
                  % (name, ", ".join('"%s"' % a for a in aliases), index, index))
    out.write("};\n")


main()
