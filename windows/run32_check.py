#!/usr/bin/env python3
"""Tells whether this machine can run 32-bit Linux programs, and so 32-bit Wine.

Some machines of ours cannot: their kernel refuses every 32-bit program ("Exec format error")
although its configuration may say that 32-bit support is built in. So this builds the smallest
32-bit program there is and runs it. It prints one line saying what it found and exits 0 when
the program ran, 1 when it did not; failing to build the program is an error (exit 2).

  run32_check.py [--llvm-bin DIR] [--work-dir DIR]

--llvm-bin defaults to the tools of the LLVM version in cmake/llvm-version.
"""
import argparse
import os
import subprocess
import sys

from llvm_bin import llvm_bin

PROBE_SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "probe", "exit42.s")
PROBE_STATUS = 42


def can_run(program):
    """(True, how) if the program ran and exited with the probe's status, else (False, why)."""
    try:
        result = subprocess.run([program], capture_output=True, timeout=30)
    except OSError as e:
        return False, f"the kernel refuses a 32-bit program: {e.strerror}"
    except subprocess.TimeoutExpired:
        return False, "a 32-bit program did not finish in 30 s"
    if result.returncode != PROBE_STATUS:
        return False, (f"a 32-bit program exited with {result.returncode} "
                       f"instead of {PROBE_STATUS}")
    return True, "a 32-bit program ran"


def build_probe(llvm_bin, work_dir):
    os.makedirs(work_dir, exist_ok=True)
    program = os.path.join(work_dir, "probe32")
    result = subprocess.run(
        [os.path.join(llvm_bin, "clang"), "--target=i386-unknown-linux-gnu", "-nostdlib",
         "-static", "-fuse-ld=lld", PROBE_SOURCE, "-o", program],
        capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit(f"run32_check: cannot build the 32-bit probe: {result.stderr.strip()}")
    return program


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--llvm-bin", default=llvm_bin())
    parser.add_argument("--work-dir", default="build-windows")
    args = parser.parse_args()
    ran, how = can_run(build_probe(args.llvm_bin, args.work_dir))
    print(f"32-bit programs: {'yes' if ran else 'no'}: {how}")
    return 0 if ran else 1


if __name__ == "__main__":
    sys.exit(main())
