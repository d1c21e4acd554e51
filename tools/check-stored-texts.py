#!/usr/bin/env python3
"""Fails when a stored text can be read in plain in the program.

Usage: check-stored-texts.py DUMP EXE    (DUMP may be - for standard input)

DUMP is the output of zarvex-catalogue.exe: every stored text decoded, in double quotes.
Display names, labels and option captions are plain in the program by design:
  - every quoted text on an "entry" line,
  - the quoted text right after the word "label",
  - the first quoted text on an "option" line (the caption).
Every other quoted text is a stored text and must not be found in EXE, neither as its bytes
(ASCII / the system code page) nor as UTF-16LE, except inside an occurrence of a plain text
(a sweep file name such as "\\ieupdates.exe" is part of its label "%systemdir%\\ieupdates.exe").
Stored texts hold no double quotes, so a quoted text ends at the next one.

Exit status: 0 clean, 1 stored texts found, 2 bad use, 77 the dump lists no stored text
(nothing was checked: reported as skipped, never as passed).
"""
import re
import sys

QUOTED = re.compile(rb'"([^"]*)"')


def parse_dump(data):
    """Returns (stored, plain): two lists of byte strings, each text once, in dump order."""
    stored, plain = [], []
    for raw in data.splitlines():
        line = raw.rstrip(b'\r')
        words = line.split()
        kind = words[0] if words else b''
        for number, match in enumerate(QUOTED.finditer(line)):
            text = match.group(1)
            before = line[:match.start()].split()
            is_plain = (kind == b'entry'
                        or (before and before[-1] == b'label')
                        or (kind == b'option' and number == 0))
            target = plain if is_plain else stored
            if text and text not in target:
                target.append(text)
    return stored, plain


def encodings(text):
    """The byte forms a program could hold the text in: its own bytes and UTF-16LE."""
    try:
        wide = text.decode('cp1252')
    except UnicodeDecodeError:
        wide = text.decode('latin-1')
    return [('ASCII', text), ('UTF-16LE', wide.encode('utf-16le'))]


def occurrences(haystack, needle):
    start = haystack.find(needle)
    while start >= 0:
        yield start
        start = haystack.find(needle, start + 1)


def find_exposed(stored, plain, binary):
    """Returns [(text, form, offset)] for each occurrence of a stored text outside every plain text."""
    covered = []  # (start, end) of every occurrence of a plain text, in either form
    for text in plain:
        for _, form in encodings(text):
            covered.extend((at, at + len(form)) for at in occurrences(binary, form))
    exposed = []
    for text in stored:
        for name, form in encodings(text):
            for at in occurrences(binary, form):
                if not any(s <= at and at + len(form) <= e for s, e in covered):
                    exposed.append((text, name, at))
    return exposed


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    dump_path, exe_path = argv[1], argv[2]
    if dump_path == '-':
        data = sys.stdin.buffer.read()
    else:
        with open(dump_path, 'rb') as f:
            data = f.read()
    with open(exe_path, 'rb') as f:
        binary = f.read()
    stored, plain = parse_dump(data)
    if not stored:
        print('check-stored-texts: the dump lists no stored text; nothing was checked', file=sys.stderr)
        return 77
    exposed = find_exposed(stored, plain, binary)
    for text, form, at in exposed:
        shown = text.decode('cp1252', errors='replace')
        print(f'stored text in plain in {exe_path}: "{shown}" ({form} at offset {at:#x})')
    if exposed:
        print(f'check-stored-texts: {len(exposed)} plain occurrence(s) of stored texts', file=sys.stderr)
        return 1
    print(f'check-stored-texts: {len(stored)} stored texts, none in plain ({len(plain)} plain labels)')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
