#!/usr/bin/env python3
"""The floor and circle check against small source trees."""
import os
import subprocess
import sys
import tempfile
import unittest

CHECKER = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'tools', 'check-layers.py')


class CheckLayers(unittest.TestCase):
    def check(self, files):
        with tempfile.TemporaryDirectory() as src:
            for name, includes in files.items():
                path = os.path.join(src, name)
                os.makedirs(os.path.dirname(path), exist_ok=True)
                with open(path, 'w', encoding='utf-8') as f:
                    f.write(''.join(f'#include "{included}"\n' for included in includes))
            done = subprocess.run([sys.executable, CHECKER, src], capture_output=True, text=True)
            return done.returncode, done.stdout

    def test_downward_includes_pass(self):
        code, out = self.check({
            'app/application.cpp': ['app/application.h', 'ui/main_form.h', 'system/files.h'],
            'app/application.h': [],
            'ui/main_form.h': ['scan/scan.h', 'update/update_check.h'],
            'scan/scan.h': ['catalogue/sweep.h'],
            'update/update_check.h': ['net/iehttp.h'],
            'catalogue/sweep.h': ['system/files.h'],
            'net/iehttp.h': ['system/files.h', 'zarvex_build_settings.h'],
            'system/files.h': [],
            'tools/dump.cpp': ['tools/png.h', 'app/application.h'],
            'tools/png.h': [],
        })
        self.assertEqual(code, 0, out)

    def test_each_wrong_include_is_named(self):
        cases = [
            ({'system/a.cpp': ['ui/b.h'], 'ui/b.h': []}, 'system/a.cpp: includes ui/b.h from a floor above'),
            ({'scan/a.cpp': ['update/b.h'], 'update/b.h': []}, 'scan/a.cpp: includes update/b.h from the same floor'),
            ({'net/a.cpp': ['catalogue/b.h'], 'catalogue/b.h': []}, 'from the same floor'),
            ({'ui/a.cpp': ['cli/b.h'], 'cli/b.h': []}, 'from a floor above'),
            ({'scan/a.cpp': ['tools/b.h'], 'tools/b.h': []}, 'which nothing may use'),
            ({'extra/a.cpp': []}, 'the folder extra has no floor'),
            ({'ui/a.cpp': ['ui/gone.h']}, 'includes ui/gone.h, which is not there'),
        ]
        for files, fault in cases:
            with self.subTest(fault=fault):
                code, out = self.check(files)
                self.assertEqual(code, 1, out)
                self.assertIn(fault, out)

    def test_circles_between_modules_are_named(self):
        code, out = self.check({
            'system/a.cpp': ['system/a.h', 'system/b.h'],
            'system/a.h': [],
            'system/b.cpp': ['system/b.h', 'system/c.h'],
            'system/b.h': [],
            'system/c.cpp': ['system/a.h'],
            'system/c.h': [],
        })
        self.assertEqual(code, 1, out)
        self.assertIn('include circle: system/a -> system/b -> system/c -> system/a', out)
        self.assertEqual(out.count('include circle'), 1, out)


if __name__ == '__main__':
    unittest.main()
