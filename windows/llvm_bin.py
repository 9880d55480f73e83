"""Where the LLVM tools of the project's one LLVM version are: the major version is the first
line of cmake/llvm-version, which the build scripts and the Windows toolchain read as well."""
import os
import re

VERSION_FILE = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                            "cmake", "llvm-version")


def llvm_bin(version_file=VERSION_FILE):
    with open(version_file, encoding="utf-8") as f:
        version = f.readline().strip()
    if not re.fullmatch(r"[0-9]+", version):
        raise ValueError(f"{version_file}: no LLVM major version on its first line: {version!r}")
    return f"/usr/lib/llvm-{version}/bin"
