#!/usr/bin/env python3
"""The layer check passes on the tree and fails on an upward include planted in a copy of it."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
CHECK = os.path.join(ROOT, "scripts", "check-layers.py")
SOURCE_FOLDERS = ["hosts", "tools", "extension", "viewer", "editing", "conduit", "sync", "dbfiles",
                  "store", "handheld", "platform", "resources"]


def run_check(root):
    return subprocess.run([sys.executable, CHECK, "--root", root], capture_output=True, text=True)


class LayerCheck(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.copy = tempfile.mkdtemp(prefix="quillet-layers-")
        for folder in SOURCE_FOLDERS:
            if os.path.isdir(os.path.join(ROOT, folder)):
                shutil.copytree(os.path.join(ROOT, folder), os.path.join(cls.copy, folder))

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.copy, ignore_errors=True)

    def test_tree_passes(self):
        result = run_check(ROOT)
        self.assertEqual(result.returncode, 0, result.stdout)
        self.assertEqual(result.stdout, "")

    def test_planted_upward_include_fails(self):
        # (file, included header, message end)
        cases = [
            ("store/MemoDatabase.cpp", "viewer/MainDlg.h", "(layer store may not use layer viewer)"),
            ("dbfiles/DesktopDb.cpp", "conduit/SyncLog.h", "(layer dbfiles may not use layer conduit)"),
            ("platform/sync20/SyncLibrary.h", "dbfiles/SyncRecord.h",
             "(layer platform/sync20 may not use layer dbfiles)"),
            ("handheld/MemoApp.cpp", "store/MemoDatabase.h", "(layer handheld may not use layer store)"),
            ("platform/text/Mbcs.h", "platform/ui/UiText.h",
             "(layer platform/text may not use layer platform/ui)"),
        ]
        for path, header, reason in cases:
            with self.subTest(path=path, header=header):
                planted = os.path.join(self.copy, path)
                with open(planted, encoding="utf-8") as f:
                    original = f.read()
                lines = original.split("\n")
                # After the first line, so that it lands below a "#pragma once".
                lines.insert(1, f'#include "{header}"')
                try:
                    with open(planted, "w", encoding="utf-8") as f:
                        f.write("\n".join(lines))
                    result = run_check(self.copy)
                finally:
                    with open(planted, "w", encoding="utf-8") as f:
                        f.write(original)
                self.assertEqual(result.returncode, 1)
                self.assertEqual(result.stdout, f"{path}:2: includes {header} {reason}\n")


if __name__ == "__main__":
    unittest.main()
