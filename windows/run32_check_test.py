#!/usr/bin/env python3
"""Tests of the 32-bit check: its verdict on programs that run, fail or cannot be run at all,
and that the program it builds really is a 32-bit one."""
import os
import stat
import tempfile
import unittest

import run32_check
from llvm_bin import llvm_bin


class CanRunTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()

    def tearDown(self):
        self.dir.cleanup()

    def program(self, text):
        path = os.path.join(self.dir.name, "program")
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        os.chmod(path, stat.S_IRWXU)
        return path

    def test_verdicts(self):
        cases = [
            ("a program that exits with the probe's status", "#!/bin/sh\nexit 42\n", True, "ran"),
            ("a wrapper that cannot start it", "#!/bin/sh\nexit 126\n", False, "exited with 126"),
            ("a file the kernel cannot execute", "\x7fELF not a program\n", False,
             "Exec format error"),
        ]
        for what, text, ran, reason in cases:
            with self.subTest(what):
                verdict, how = run32_check.can_run(self.program(text))
                self.assertEqual(verdict, ran)
                self.assertIn(reason, how)

    def test_the_probe_is_a_32_bit_x86_program(self):
        probe = run32_check.build_probe(llvm_bin(), self.dir.name)
        with open(probe, "rb") as f:
            header = f.read(20)
        self.assertEqual(header[:4], b"\x7fELF")
        self.assertEqual(header[4], 1, "ELFCLASS32")
        self.assertEqual(int.from_bytes(header[18:20], "little"), 3, "EM_386")


if __name__ == "__main__":
    unittest.main()
