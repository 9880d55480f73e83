#!/usr/bin/env python3
"""Tests of the import check on llvm-readobj reports shaped like those of the real DLL."""
import unittest

import check_imports

HOST_EXPORTS = {check_imports.normalise(line) for line in [
    "public: char * __thiscall VESSEL::GetName(void)const",
    "bool __cdecl oapiReadScenario_nextline(void *,char * &)",
    "void __cdecl InitLib(struct HINSTANCE__ *)",
]}

DEMANGLED = {
    "?GetName@VESSEL@@QBEPADXZ": "public: char * __thiscall VESSEL::GetName(void) const",
    "?oapiReadScenario_nextline@@YA_NPAXAAPAD@Z":
        "bool __cdecl oapiReadScenario_nextline(void *, char *&)",
    "?InitLib@@YAXPAUHINSTANCE__@@@Z": "void __cdecl InitLib(struct HINSTANCE__*)",
    # Same name, other parameter: a const char* the host does not export.
    "?InitLib@@YAXPBD@Z": "void __cdecl InitLib(char const *)",
    "?Bogus@@": None,
    # The 64-bit host's names, as one demangler prints them with __ptr64 and another without.
    "?GetName@VESSEL@@QEBAPEADXZ":
        "public: char * __ptr64 __cdecl VESSEL::GetName(void) const __ptr64",
    "?oapiReadScenario_nextline@@YA_NPEAXAEAPEAD@Z":
        "bool __cdecl oapiReadScenario_nextline(void *, char *&)",
    "?InitLib@@YAXPEAUHINSTANCE__@@@Z": "void __cdecl InitLib(struct HINSTANCE__ * __ptr64)",
    "?InitLib@@YAXPEBD@Z": "void __cdecl InitLib(char const * __ptr64)",
}

DLL_HEADERS = """Format: COFF-i386
Arch: i386
  Characteristics [ (0x2102)
    IMAGE_FILE_32BIT_MACHINE (0x100)
    IMAGE_FILE_DLL (0x2000)
  ]
  DLLCharacteristics [ (0x140)
    IMAGE_DLL_CHARACTERISTICS_DYNAMIC_BASE (0x40)
    IMAGE_DLL_CHARACTERISTICS_NX_COMPAT (0x100)
  ]
"""
LOAD_CONFIG = "LoadConfig [\n  SEHandlerTable: 0x100055A2\n  SEHandlerCount: 12\n]\n"


def export_report(names):
    blocks = ["Export {\n  Ordinal: 0\n  Name: \n  RVA: 0x0\n}"]
    blocks += [f"Export {{\n  Ordinal: {i + 1}\n  Name: {n}\n  RVA: 0x10F0\n}}"
               for i, n in enumerate(names)]
    return "\n".join(blocks) + "\n"


def import_report(libraries):
    blocks = []
    for library, names in libraries:
        symbols = "".join(f"  Symbol: {n} (0)\n" for n in names)
        blocks.append(f"Import {{\n  Name: {library}\n  ImportLookupTableRVA: 0x56FC\n"
                      f"  ImportAddressTableRVA: 0x57F4\n{symbols}}}")
    return "\n".join(blocks) + "\n"


GOOD_IMPORTS = [
    ("msvcrt.dll", ["_vsnprintf", "malloc"]),
    ("KERNEL32.dll", ["GetProcAddress"]),
    ("gdi32.dll", ["TextOutA"]),
    ("orbiter.exe", ["?GetName@VESSEL@@QBEPADXZ", "?oapiReadScenario_nextline@@YA_NPAXAAPAD@Z",
                     "?InitLib@@YAXPAUHINSTANCE__@@@Z"]),
]
EXPORTS = sorted(check_imports.MODULE_EXPORTS)

DLL64_HEADERS = """Format: COFF-x86-64
Arch: x86_64
  Characteristics [ (0x2022)
    IMAGE_FILE_DLL (0x2000)
    IMAGE_FILE_EXECUTABLE_IMAGE (0x2)
    IMAGE_FILE_LARGE_ADDRESS_AWARE (0x20)
  ]
  ExceptionTableRVA: 0x9000
  ExceptionTableSize: 0x318
"""
GOOD_IMPORTS64 = GOOD_IMPORTS[:3] + [
    ("orbiter.exe", ["?GetName@VESSEL@@QEBAPEADXZ", "?oapiReadScenario_nextline@@YA_NPEAXAEAPEAD@Z",
                     "?InitLib@@YAXPEAUHINSTANCE__@@@Z"]),
]


def problems(headers=DLL_HEADERS, load_config=LOAD_CONFIG, exports=EXPORTS, imports=GOOD_IMPORTS,
             def_names=(), machine="x86"):
    found, _ = check_imports.find_problems(
        headers, load_config, export_report(exports), import_report(imports),
        lambda names: {n: DEMANGLED.get(n) for n in names}, HOST_EXPORTS, def_names, machine)
    return found


def problems64(**changes):
    return problems(**{"headers": DLL64_HEADERS, "load_config": "", "imports": GOOD_IMPORTS64,
                       "machine": "x64", **changes})


class FaultTableTest(unittest.TestCase):
    def assert_each_reported(self, find, cases):
        """Each (what, changes to a good DLL's reports, text) yields that one problem."""
        for what, changes, expected in cases:
            with self.subTest(what):
                found = find(**changes)
                self.assertEqual(len(found), 1, found)
                self.assertIn(expected, found[0])


class FindProblemsTest(FaultTableTest):
    def test_a_dll_like_the_real_one_passes(self):
        self.assertEqual(problems(), [])

    def test_each_fault_is_reported(self):
        orbiter = dict(GOOD_IMPORTS)["orbiter.exe"]
        cases = [
            ("a library beyond the four",
             dict(imports=GOOD_IMPORTS + [("user32.dll", ["MessageBoxA"])]), "user32.dll"),
            ("a host name the host does not export",
             dict(imports=GOOD_IMPORTS[:3] + [("orbiter.exe", orbiter + ["?InitLib@@YAXPBD@Z"])]),
             "InitLib(char const *)"),
            ("a host name that does not demangle",
             dict(imports=GOOD_IMPORTS[:3] + [("orbiter.exe", orbiter + ["?Bogus@@"])]),
             "does not demangle"),
            ("an export missing", dict(exports=EXPORTS[:-1]), "exports are"),
            ("an export too many", dict(exports=EXPORTS + ["DllMain"]), "exports are"),
            ("a mangled export", dict(exports=EXPORTS[:-1] + ["?opcSaveState@@YAXPAX@Z"]),
             "exports are"),
            ("not a DLL", dict(headers=DLL_HEADERS.replace("IMAGE_FILE_DLL", "")), "not a 32-bit"),
            ("a 64-bit image", dict(headers=DLL_HEADERS.replace("COFF-i386", "COFF-x86-64")),
             "not a 32-bit"),
            ("marked NO_SEH",
             dict(headers=DLL_HEADERS + "    IMAGE_DLL_CHARACTERISTICS_NO_SEH (0x400)\n"),
             "NO_SEH"),
            ("no load configuration", dict(load_config=""), "SafeSEH"),
            ("an empty SafeSEH table",
             dict(load_config=LOAD_CONFIG.replace("Count: 12", "Count: 0")), "SafeSEH"),
            ("a .def name the host does not export", dict(def_names=["?InitLib@@YAXPBD@Z"]),
             ".def names ?InitLib@@YAXPBD@Z"),
        ]
        self.assert_each_reported(problems, cases)


class SixtyFourBitTest(FaultTableTest):
    def test_a_dll_like_the_real_one_passes(self):
        self.assertEqual(problems64(), [])

    def test_each_fault_is_reported(self):
        orbiter, others = dict(GOOD_IMPORTS64)["orbiter.exe"], GOOD_IMPORTS64[:3]
        cases = [
            ("a host name whose 32-bit form the host does not export",
             dict(imports=others + [("orbiter.exe", orbiter + ["?InitLib@@YAXPEBD@Z"])]),
             "InitLib(char const * __ptr64)"),
            ("a 32-bit host name in a 64-bit DLL",
             dict(imports=others + [("orbiter.exe", ["?GetName@VESSEL@@QBEPADXZ"])]),
             "which the host does not export"),
            ("no unwind table", dict(headers=DLL64_HEADERS.replace("0x318", "0x0")),
             "unwind table"),
            ("a 32-bit DLL", dict(headers=DLL64_HEADERS.replace("COFF-x86-64", "COFF-i386")),
             "not a 64-bit"),
        ]
        self.assert_each_reported(problems64, cases)

    def test_only_members_change_their_calling_convention(self):
        cases = [
            ("public: char * __ptr64 __cdecl VESSEL::GetName(void) const __ptr64",
             "public: char * __thiscall VESSEL::GetName(void)const"),
            ("public: virtual __cdecl MFD::~MFD(void) __ptr64",
             "public: virtual __thiscall MFD::~MFD(void)"),
            ("public: static int __cdecl MFD::Count(void)",
             "public: static int __cdecl MFD::Count(void)"),
            ("void __cdecl InitLib(struct HINSTANCE__ * __ptr64)",
             "void __cdecl InitLib(struct HINSTANCE__ *)"),
        ]
        for x64, x86 in cases:
            with self.subTest(x64):
                self.assertEqual(check_imports.as_32_bit(x64), check_imports.normalise(x86))


class NormaliseTest(unittest.TestCase):
    def test_demangler_spellings_meet_the_list(self):
        same = [
            ("bool __cdecl f(void *, char *&)", "bool __cdecl f(void *,char * &)"),
            ("public: void __thiscall MFD::Title(struct HDC__*, char const *) const",
             "public: void __thiscall MFD::Title(struct HDC__ *,char const *)const"),
            ("const MFD::`vftable'", "const MFD::`vftable'"),
        ]
        for a, b in same:
            with self.subTest(a):
                self.assertEqual(check_imports.normalise(a), check_imports.normalise(b))

    def test_types_stay_apart(self):
        different = [
            ("void f(char *)", "void f(char const *)"),
            ("unsigned long f(void)", "unsigned int f(void)"),
            ("void f(union VECTOR3 &)", "void f(struct VECTOR3 &)"),
        ]
        for a, b in different:
            with self.subTest(a):
                self.assertNotEqual(check_imports.normalise(a), check_imports.normalise(b))


if __name__ == "__main__":
    unittest.main()
