#!/usr/bin/env python3
"""Tests of the one LLVM version: how its file is read, and that the build scripts, the Windows
toolchain and the Python tools all take the same tools from it."""
import os
import subprocess
import tempfile
import unittest

import llvm_bin

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


class LlvmBinTest(unittest.TestCase):
    def test_reading_the_version_file(self):
        cases = [
            ("14\n", "/usr/lib/llvm-14/bin"),
            ("15", "/usr/lib/llvm-15/bin"),
            ("16\n# later lines are not read\n", "/usr/lib/llvm-16/bin"),
            ("", None),
            ("llvm-14\n", None),
            ("14.0.6\n", None),
        ]
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "llvm-version")
            for text, expected in cases:
                with self.subTest(text=text):
                    with open(path, "w", encoding="utf-8") as f:
                        f.write(text)
                    if expected is None:
                        with self.assertRaisesRegex(ValueError, "no LLVM major version"):
                            llvm_bin.llvm_bin(path)
                    else:
                        self.assertEqual(llvm_bin.llvm_bin(path), expected)

    def test_scripts_toolchain_and_python_agree(self):
        shell = subprocess.run(
            ["bash", "-c", '. scripts/tools.sh && printf %s "$KELVANE_LLVM_BIN"'],
            cwd=ROOT, capture_output=True, text=True, check=True).stdout
        with tempfile.TemporaryDirectory() as folder:
            script = os.path.join(folder, "print.cmake")
            with open(script, "w", encoding="utf-8") as f:
                f.write("include(%s)\nmessage(\"${KELVANE_LLVM_BIN}\")\n" %
                        os.path.join(ROOT, "windows", "toolchain-windows-msvc.cmake"))
            toolchain = subprocess.run(["cmake", "-P", script], capture_output=True, text=True,
                                       check=True).stderr.strip()
        self.assertEqual(shell, llvm_bin.llvm_bin())
        self.assertEqual(toolchain, llvm_bin.llvm_bin())
        self.assertTrue(os.path.isfile(os.path.join(shell, "clang")), shell)


if __name__ == "__main__":
    unittest.main()
