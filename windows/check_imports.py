#!/usr/bin/env python3
"""Checks the built plug-in against what the simulator's executable offers.

Windows refuses to load a DLL that imports a name its provider does not export, so the build
fails here instead: every import from orbiter.exe must demangle to a line of the host's export
list, and nothing may be imported from any library but orbiter.exe, msvcrt.dll, kernel32.dll and
gdi32.dll. It also checks that the file is a DLL of the edition's kind and exports the module's
seven callbacks unmangled. A 32-bit DLL must carry a SafeSEH handler table (without one Windows
runs none of its exception handlers), a 64-bit one an unwind table (without one no exception
passes through it). The export list is the 32-bit host's; the 64-bit host exports the same
functions, whose demangled names differ in two ways only: members are __cdecl, not __thiscall,
and pointers carry __ptr64. With --def, every name of the host's import definition must be in
the list too.

  check_imports.py [--llvm-bin DIR] --host-exports FILE [--machine x86|x64] [--def FILE] DLL

--llvm-bin defaults to the tools of the LLVM version in cmake/llvm-version.
"""
import argparse
import os
import re
import subprocess
import sys

from llvm_bin import llvm_bin

ALLOWED_LIBRARIES = {"orbiter.exe", "msvcrt.dll", "kernel32.dll", "gdi32.dll"}
HOST_LIBRARY = "orbiter.exe"
MODULE_EXPORTS = {"ModuleDate", "InitModule", "ExitModule", "GetModuleVersion",
                  "opcDeleteVessel", "opcSaveState", "opcLoadState", "opcCloseRenderViewport"}


MACHINES = {
    # machine: (llvm-readobj's format name, what the check calls it)
    "x86": ("COFF-i386", "32-bit (i386)"),
    "x64": ("COFF-x86-64", "64-bit (x86-64)"),
}


def normalise(declaration):
    """One spelling for a demangled declaration: demanglers differ only in blanks around
    punctuation ("char *&" and "char * &", "(void) const" and "(void)const")."""
    text = re.sub(r"\s*([^\w\s])\s*", r"\1", declaration.strip())
    return re.sub(r"\s+", " ", text)


def as_32_bit(declaration):
    """A 64-bit host name as the 32-bit list spells it: no __ptr64, and a member's __cdecl is
    __thiscall there. A free function or a static member keeps its __cdecl. A name that already
    says __thiscall is a 32-bit one, which the 64-bit host does not have: None."""
    text = normalise(re.sub(r"\b__ptr64\b", " ", declaration))
    if "__thiscall" in text:
        return None
    member = re.match(r"(public|protected|private):(?!static )", text)
    return text.replace("__cdecl", "__thiscall", 1) if member else text


def read_host_exports(path):
    with open(path, encoding="utf-8") as f:
        return {normalise(line) for line in f if line.strip() and not line.startswith("#")}


def run(tool, *args):
    result = subprocess.run([tool, *args], capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit(f"check_imports: {os.path.basename(tool)} failed: {result.stderr.strip()}")
    return result.stdout


def demangle(undname, names):
    """Maps each MSVC-decorated name to its demangled declaration."""
    if not names:
        return {}
    lines = run(undname, *names).splitlines()
    # llvm-undname prints, per name, the name, its declaration and an empty line.
    blocks = [lines[i:i + 3] for i in range(0, len(lines), 3)]
    result = {}
    for name, block in zip(names, blocks):
        if len(block) < 2 or block[0] != name or block[1].startswith("error:"):
            result[name] = None
        else:
            result[name] = block[1]
    return result


def parse_imports(text):
    """{library: [names]} from llvm-readobj --coff-imports."""
    imports = {}
    library = None
    for line in text.splitlines():
        line = line.strip()
        m = re.match(r"Name: (.+)$", line)
        if m and library is None:
            library = m.group(1)
            imports.setdefault(library, [])
            continue
        m = re.match(r"Symbol: (.*) \((\d+)\)$", line)
        if m and library is not None:
            imports[library].append(m.group(1) or f"#{m.group(2)}")
            continue
        if line == "}":
            library = None
    return imports


def parse_exports(text):
    return [m.group(1) for m in re.finditer(r"^\s*Name: (\S+)\s*$", text, re.M)]


def read_def_names(path):
    names = []
    in_exports = False
    with open(path, encoding="utf-8") as f:
        for raw in f:
            line = raw.split(";", 1)[0].strip()
            if not line:
                continue
            if line.upper() == "EXPORTS":
                in_exports = True
            elif in_exports:
                names.append(line.split()[0])
    return names


def find_problems(headers, load_config, exports_text, imports_text, demangle, host_exports,
                  def_names=(), machine="x86"):
    """What is wrong with a DLL for the host's edition `machine`, from llvm-readobj's reports on
    it. demangle maps a list of decorated names to {name: declaration or None}. Returns
    (problems, summary)."""
    problems = []
    format_name, kind = MACHINES[machine]
    if f"Format: {format_name}" not in headers or "IMAGE_FILE_DLL" not in headers:
        problems.append(f"not a {kind} Windows DLL")
    if machine == "x86":
        if "IMAGE_DLL_CHARACTERISTICS_NO_SEH" in headers:
            problems.append("marked NO_SEH: Windows would run none of its exception handlers")
        m = re.search(r"SEHandlerCount: (\d+)", load_config)
        handlers = int(m.group(1)) if m else 0
        if handlers == 0:
            problems.append("no SafeSEH handler table in the load configuration")
        unwinding = f"SafeSEH table of {handlers} handlers"
    else:
        # Each RUNTIME_FUNCTION entry of the exception directory is 12 bytes.
        m = re.search(r"ExceptionTableSize: (0x[0-9A-Fa-f]+|\d+)", headers)
        functions = int(m.group(1), 0) // 12 if m else 0
        if functions == 0:
            problems.append("no unwind table: no exception could pass through the DLL")
        unwinding = f"unwind table of {functions} functions"
    host_form = as_32_bit if machine == "x64" else normalise

    exports = [e for e in parse_exports(exports_text) if e]
    if set(exports) != MODULE_EXPORTS or len(exports) != len(MODULE_EXPORTS):
        problems.append("exports are {} instead of {}".format(
            ", ".join(sorted(exports)) or "none", ", ".join(sorted(MODULE_EXPORTS))))

    imports = parse_imports(imports_text)
    host_names = []
    for library, names in sorted(imports.items()):
        if library.lower() not in ALLOWED_LIBRARIES:
            problems.append(f"imports from {library}: {', '.join(names)}")
        elif library.lower() == HOST_LIBRARY:
            host_names.extend(names)
    for name, declaration in sorted(demangle(host_names).items()):
        if declaration is None:
            problems.append(f"imports {name} from {HOST_LIBRARY}, which does not demangle")
        elif host_form(declaration) not in host_exports:
            problems.append(f"imports {name} ({declaration}) from {HOST_LIBRARY}, "
                            "which the host does not export")

    for name, declaration in sorted(demangle(list(def_names)).items()):
        if declaration is None or host_form(declaration) not in host_exports:
            problems.append(f"the host's .def names {name} "
                            f"({declaration or 'not demangled'}), which the host does not export")

    counts = ", ".join(f"{len(n)} from {lib}" for lib, n in sorted(imports.items()))
    summary = (f"{kind} DLL; exports {', '.join(sorted(exports))}; imports {counts}; "
               f"{len(host_names)} host names all in the host's export list; {unwinding}")
    return problems, summary


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--llvm-bin", default=llvm_bin())
    parser.add_argument("--host-exports", required=True)
    parser.add_argument("--machine", choices=sorted(MACHINES), default="x86")
    parser.add_argument("--def", dest="def_file")
    parser.add_argument("dll")
    args = parser.parse_args()
    readobj = os.path.join(args.llvm_bin, "llvm-readobj")
    undname = os.path.join(args.llvm_bin, "llvm-undname")

    problems, summary = find_problems(
        headers=run(readobj, "--file-headers", args.dll),
        load_config=run(readobj, "--coff-load-config", args.dll),
        exports_text=run(readobj, "--coff-exports", args.dll),
        imports_text=run(readobj, "--coff-imports", args.dll),
        demangle=lambda names: demangle(undname, names),
        host_exports=read_host_exports(args.host_exports),
        def_names=read_def_names(args.def_file) if args.def_file else (),
        machine=args.machine)

    dll = os.path.basename(args.dll)
    for p in problems:
        print(f"check_imports: {dll}: {p}", file=sys.stderr)
    if problems:
        return 1
    print(f"check_imports: {dll}: {summary}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
