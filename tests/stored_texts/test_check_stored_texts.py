#!/usr/bin/env python3
"""The stored-text build check against small fake dumps and fake programs."""
import os
import subprocess
import sys
import tempfile
import unittest

CHECKER = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'tools', 'check-stored-texts.py')

DUMP = b'''entry 1 index 1 "Micro Antivirus 2009" label "Micro Antivirus 2009 (files)"\r
  check proc p1 "microav.exe"\r
  step rmdir PF f2 "\\Micro Antivirus" x2\r
sweep\r
  step report SYS s1 "\\ieupdates.exe" label "%systemdir%\\ieupdates.exe"\r
option 7 "Clear MUICache" key HKCU "Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache"\r
update "http://update.zarvex.example/Version.ini"\r
'''

FILLER = b'\x00MZ\x90 code and 4d5a90 hex texts \x00\xff'


def wide(text):
    return text.encode('utf-16le')


class CheckStoredTexts(unittest.TestCase):
    def run_check(self, dump, binary, stdin=False):
        with tempfile.TemporaryDirectory() as folder:
            exe = os.path.join(folder, 'Zarvex.exe')
            with open(exe, 'wb') as f:
                f.write(binary)
            if stdin:
                args, given = [CHECKER, '-', exe], dump
            else:
                path = os.path.join(folder, 'dump.txt')
                with open(path, 'wb') as f:
                    f.write(dump)
                args, given = [CHECKER, path, exe], b''
            done = subprocess.run([sys.executable] + args, input=given, capture_output=True)
            return done.returncode, done.stdout.decode('cp1252')

    def test_labels_and_captions_in_plain_pass(self):
        binary = (FILLER + b'Micro Antivirus 2009\x00' + b'Micro Antivirus 2009 (files)\x00'
                  + wide('Clear MUICache') + b'%systemdir%\\ieupdates.exe\x00' + FILLER)
        code, out = self.run_check(DUMP, binary)
        self.assertEqual(code, 0, out)
        self.assertIn('5 stored texts', out)

    def test_every_stored_text_found_is_listed(self):
        cases = [
            ('ASCII', b'microav.exe', 'microav.exe'),
            ('UTF-16LE', wide('microav.exe'), 'microav.exe'),
            ('ASCII', b'\\Micro Antivirus\x00', '\\Micro Antivirus'),
            ('UTF-16LE', wide('Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache'), 'ShellNoRoam'),
            ('ASCII', b'http://update.zarvex.example/Version.ini', 'Version.ini'),
            ('ASCII', b'x\\ieupdates.exe', '\\ieupdates.exe'),  # outside its label
        ]
        for form, planted, shown in cases:
            with self.subTest(planted=planted):
                code, out = self.run_check(DUMP, FILLER + planted + FILLER)
                self.assertEqual(code, 1, out)
                self.assertIn(shown, out)
                self.assertIn(form, out)

    def test_two_leaks_are_both_listed_from_standard_input(self):
        code, out = self.run_check(DUMP, b'microav.exe' + FILLER + wide('microav.exe'), stdin=True)
        self.assertEqual(code, 1, out)
        self.assertEqual(out.count('"microav.exe"'), 2, out)

    def test_stored_text_only_inside_its_label_passes(self):
        for label in (b'%systemdir%\\ieupdates.exe', wide('%systemdir%\\ieupdates.exe')):
            with self.subTest(label=label):
                code, out = self.run_check(DUMP, FILLER + label + FILLER)
                self.assertEqual(code, 0, out)

    def test_label_does_not_cover_a_stored_text_that_only_overlaps_it(self):
        dump = b'sweep\n  step report SYS s1 "name.exe" label "%systemdir%\\na"\n'
        code, out = self.run_check(dump, b'%systemdir%\\name.exe')
        self.assertEqual(code, 1, out)

    def test_code_page_text_is_looked_for_in_both_forms(self):
        dump = b'entry 2 index 2 "Caf\xe9" label "Caf\xe9"\n  check key HKCU k1 "Software\\Caf\xe9 Soft"\n'
        self.assertEqual(self.run_check(dump, FILLER)[0], 0)
        self.assertEqual(self.run_check(dump, wide('Software\\Caf\u00e9 Soft'))[0], 1)
        self.assertEqual(self.run_check(dump, b'Software\\Caf\xe9 Soft')[0], 1)

    def test_a_dump_without_stored_texts_checks_nothing_and_says_so(self):
        for dump in (b'', b'catalogue\n', b'entry 1 index 1 "Name" label "Name"\n'):
            with self.subTest(dump=dump):
                self.assertEqual(self.run_check(dump, FILLER)[0], 77)


if __name__ == '__main__':
    unittest.main()
