#!/usr/bin/env python3
"""Checks, from the file, the type information the host's dynamic_cast reads of the display.

When a display opens, the host asks dynamic_cast<MFD2*> of the module's display object, and
Microsoft's runtime answers from the type information beside the object's virtual table: the
slot before the table points at the class's complete object locator, which leads to the class's
type descriptor (its decorated name) and to its class hierarchy descriptor, whose base class
array names the class and each of its bases, the class first. A 32-bit locator has signature 0
and holds addresses; a 64-bit one has signature 1, holds offsets from the image base (RVAs) and
ends with its own RVA. The Wine run checks this with a live object, but only where Wine of the
DLL's bitness runs; this reads the same from the DLL's file, for both editions, on any machine.

It reads the PE headers and sections itself, takes every pointer pair in a data section whose
first points into the image and whose second into an executable section as a locator slot and a
virtual table, and keeps the tables whose locator holds: the machine's signature, on x64 its own
RVA, and every reference inside the image. The DLL must have a virtual table of KelvaneMfd for
the start of the object (locator offset 0) whose bases include MFD (drawn through the host's
device context) and not MFD2. Every read is bounds-checked: a truncated or foreign file is
refused with a message.

  check_type_info.py [--machine x86|x64] DLL

--machine requires the DLL to be of that edition. Exit status 0 when the type information holds,
1 otherwise (with what is missing on standard error).
"""
import argparse
import os
import struct
import sys

DISPLAY_CLASS = ".?AVKelvaneMfd@@"
GDI_DISPLAY_CLASS = ".?AVMFD@@"
SKETCHPAD_DISPLAY_CLASS = ".?AVMFD2@@"

MACHINES = {
    # PE machine: (edition, what the check calls it, optional header magic, pointer size,
    # locator signature)
    0x014C: ("x86", "32-bit (i386)", 0x10B, 4, 0),
    0x8664: ("x64", "64-bit (x86-64)", 0x20B, 8, 1),
}
IMAGE_FILE_DLL = 0x2000
IMAGE_SCN_CNT_CODE = 0x20
IMAGE_SCN_MEM_EXECUTE = 0x20000000
# More bases than any display class has; a larger count is garbage.
MAX_BASES = 64
# Of the locators that name a class but do not hold, how many a failure lists.
MAX_LISTED = 4
# The Windows loader refuses an image with more sections.
MAX_SECTIONS = 96
# Longer than any decorated class name here; a longer run of bytes is not a name.
MAX_NAME = 4096


class Unreadable(Exception):
    """The file is not a PE image whose headers this check can read."""


class Section:
    def __init__(self, name, rva, size, raw_offset, raw_size, characteristics):
        self.name = name
        self.rva = rva
        self.size = size  # in memory
        self.raw_offset = raw_offset
        self.raw_size = min(raw_size, size)  # what the file supplies; the rest is zeros
        self.executable = bool(characteristics & (IMAGE_SCN_CNT_CODE | IMAGE_SCN_MEM_EXECUTE))

    def holds(self, rva, length):
        return self.rva <= rva and rva + length <= self.rva + self.size


class Image:
    """A PE image as the loader lays it out, read from the file."""

    def __init__(self, data):
        self.data = data
        if len(data) < 0x40 or data[:2] != b"MZ":
            raise Unreadable("not a PE image: no MZ header")
        (pe,) = self._unpack("<I", 0x3C, "the DOS header")
        if self._bytes(pe, 4, "the PE signature") != b"PE\0\0":
            raise Unreadable(f"not a PE image: no PE signature at 0x{pe:x}")
        machine, sections, _, _, _, optional_size, characteristics = self._unpack(
            "<HHIIIHH", pe + 4, "the file header")
        if machine not in MACHINES:
            raise Unreadable(f"machine 0x{machine:04x} is neither i386 nor x86-64")
        self.edition, self.kind, magic, self.pointer_size, self.signature = MACHINES[machine]
        self.is_dll = bool(characteristics & IMAGE_FILE_DLL)
        optional = pe + 24
        optional_header = self._bytes(optional, optional_size, "the optional header")
        if len(optional_header) < 64:
            raise Unreadable(f"the optional header is {optional_size} bytes, too short")
        (found_magic,) = struct.unpack_from("<H", optional_header, 0)
        if found_magic != magic:
            raise Unreadable(f"optional header magic 0x{found_magic:x} does not match a "
                             f"{self.kind} image (0x{magic:x})")
        if self.pointer_size == 8:
            (self.base,) = struct.unpack_from("<Q", optional_header, 24)
        else:
            (self.base,) = struct.unpack_from("<I", optional_header, 28)
        (self.image_size,) = struct.unpack_from("<I", optional_header, 56)
        if sections > MAX_SECTIONS:
            raise Unreadable(f"{sections} sections; Windows loads at most {MAX_SECTIONS}")
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            raw = self._bytes(table + 40 * i, 40, f"section header {i + 1} of {sections}")
            name = raw[:8].rstrip(b"\0").decode("ascii", "replace")
            size, rva, raw_size, raw_offset = struct.unpack_from("<IIII", raw, 8)
            (flags,) = struct.unpack_from("<I", raw, 36)
            section = Section(name, rva, size or raw_size, raw_offset, raw_size, flags)
            if section.rva + section.size > self.image_size:
                raise Unreadable(f"section {name} ends past the image's size "
                                 f"0x{self.image_size:x}")
            if section.raw_size:
                self._bytes(section.raw_offset, section.raw_size, f"section {name}'s data")
            self.sections.append(section)

    def _bytes(self, offset, length, what):
        if offset < 0 or offset + length > len(self.data):
            raise Unreadable(f"the file ends before {what} (at 0x{offset:x}, {length} bytes; "
                             f"the file has {len(self.data)}): truncated?")
        return self.data[offset:offset + length]

    def _unpack(self, layout, offset, what):
        return struct.unpack(layout, self._bytes(offset, struct.calcsize(layout), what))

    def section_of(self, rva, length=1):
        for section in self.sections:
            if section.holds(rva, length):
                return section
        return None

    def read(self, rva, length):
        """length bytes at rva, all in one section; None when they are not."""
        section = self.section_of(rva, length)
        if section is None:
            return None
        start = rva - section.rva
        stored = self.data[section.raw_offset + min(start, section.raw_size):
                           section.raw_offset + min(start + length, section.raw_size)]
        return stored + bytes(length - len(stored))

    def rva_of(self, address):
        """The RVA of an address (as the file's pointers hold them, for the preferred base) that
        lies in a section; None otherwise."""
        rva = address - self.base
        return rva if self.section_of(rva) else None

    def resolve(self, reference, length):
        """A type information reference: an address in a 32-bit image, an RVA in a 64-bit one.
        The RVA when length bytes there lie in one section; None otherwise."""
        rva = reference if self.pointer_size == 8 else reference - self.base
        return rva if self.read(rva, length) is not None else None

    def type_name(self, reference):
        """The decorated class name of the type descriptor at reference (after its vftable and
        spare pointers), or None when there is no such name in the image."""
        name_offset = 2 * self.pointer_size
        descriptor = self.resolve(reference, name_offset + 1)
        if descriptor is None:
            return None
        section = self.section_of(descriptor)
        start = descriptor + name_offset
        text = self.read(start, min(section.rva + section.size - start, MAX_NAME))
        end = text.find(b"\0")
        name = text[:end]
        if end < 4 or not name.startswith(b".?A") or not all(0x21 <= c < 0x7F for c in name):
            return None
        return name.decode("ascii")


class VirtualTable:
    def __init__(self, rva, locator, locator_offset, name, bases, problems):
        self.rva = rva
        self.locator = locator
        self.locator_offset = locator_offset
        self.name = name
        self.bases = bases
        self.problems = problems


def read_bases(image, reference):
    """The names in the class hierarchy descriptor's base class array, the class first; or a
    problem."""
    hierarchy = image.resolve(reference, 16)
    if hierarchy is None:
        return None, "its class hierarchy descriptor is not in the image"
    _, _, count, array_reference = struct.unpack("<IIII", image.read(hierarchy, 16))
    if count == 0 or count > MAX_BASES:
        return None, f"its class hierarchy descriptor lists {count} bases"
    array = image.resolve(array_reference, 4 * count)
    if array is None:
        return None, "its base class array is not in the image"
    bases = []
    for i, entry in enumerate(struct.unpack(f"<{count}I", image.read(array, 4 * count))):
        # Type descriptor, contained bases, displacements, attributes.
        descriptor = image.resolve(entry, 24)
        if descriptor is None:
            return None, f"its base class descriptor {i} is not in the image"
        (type_reference,) = struct.unpack("<I", image.read(descriptor, 4))
        name = image.type_name(type_reference)
        if name is None:
            return None, f"its base class {i} has no type descriptor in the image"
        bases.append(name)
    return bases, None


def read_locator(image, rva):
    """(class name or None, bases or None, problems, offset) of the complete object locator at
    rva; offset is where the virtual table's pointer sits in the complete object."""
    layout = "<IIIIII" if image.pointer_size == 8 else "<IIIII"
    raw = image.read(rva, struct.calcsize(layout))
    if raw is None:
        return None, None, ["the locator runs out of its section"], None
    fields = struct.unpack(layout, raw)
    signature, offset, _, type_reference, hierarchy_reference = fields[:5]
    problems = []
    if signature != image.signature:
        problems.append(f"locator signature {signature}, not {image.signature}")
    if image.pointer_size == 8 and fields[5] != rva:
        problems.append(f"the locator's own RVA reads 0x{fields[5]:x}, not 0x{rva:x}")
    name = image.type_name(type_reference)
    if name is None:
        return None, None, problems + ["its type descriptor is not in the image"], offset
    bases, problem = read_bases(image, hierarchy_reference)
    if problem:
        problems.append(problem)
    elif bases[0] != name:
        problems.append(f"its base class array starts with {bases[0]}, not the class itself")
    return name, bases, problems, offset


def find_virtual_tables(image):
    """Every pointer pair in a data section that looks like a locator slot followed by a
    virtual table (the first pointer into the image, the second into an executable section),
    with what its locator says."""
    size = image.pointer_size
    layout = "<Q" if size == 8 else "<I"
    tables = []
    for section in image.sections:
        if section.executable:
            continue
        # The file's part only: the zeros the loader adds after it hold no pointer.
        data = image.read(section.rva, section.raw_size)
        slots = [v for (v,) in struct.iter_unpack(layout, data[:len(data) // size * size])]
        for i in range(len(slots) - 1):
            locator = image.rva_of(slots[i])
            first = image.rva_of(slots[i + 1])
            if locator is None or first is None or not image.section_of(first).executable:
                continue
            name, bases, problems, offset = read_locator(image, locator)
            vtable = section.rva + (i + 1) * size
            tables.append(VirtualTable(vtable, locator, offset, name, bases, problems))
    return tables


def find_problems(image, machine=None):
    """(problems, summary) for the display's type information in image."""
    if machine is not None and machine != image.edition:
        other = next(k for e, k, *_ in MACHINES.values() if e == machine)
        return [f"a {image.kind} image, not {other}"], None
    if not image.is_dll:
        return ["not a DLL"], None
    candidates = find_virtual_tables(image)
    tables = [t for t in candidates if not t.problems]
    displays = [t for t in tables if t.name == DISPLAY_CLASS]
    # The host holds the display by its MFD base, the object's first: the table at offset 0.
    primary = [t for t in displays if t.locator_offset == 0]
    if not primary:
        # Locators that name a class but fail a test; the others are pairs of unrelated pointers.
        refused = [t for t in candidates if t.problems and t.name is not None]
        refused_display = [t for t in refused if t.name == DISPLAY_CLASS]
        if displays:
            problem = (f"no virtual table of {DISPLAY_CLASS} at offset 0 of the object "
                       f"(locator offsets {', '.join(str(t.locator_offset) for t in displays)})")
        elif refused_display:
            problem = "; ".join(f"the locator before the virtual table of {DISPLAY_CLASS} at RVA "
                                f"0x{t.rva:x} does not hold: {', '.join(t.problems)}"
                                for t in refused_display[:MAX_LISTED])
            refused = []
        elif tables:
            problem = (f"no virtual table of {DISPLAY_CLASS}; the classes with type "
                       f"information are {' '.join(sorted({t.name for t in tables}))}")
        else:
            problem = (f"no valid complete object locator before any virtual table (of "
                       f"{len(candidates)} pointer pairs that could be a locator slot and a "
                       f"virtual table, none leads to one): no type information, so no "
                       f"{DISPLAY_CLASS}")
        if refused:
            problem += "; locators that do not hold: " + "; ".join(
                f"the one at RVA 0x{t.rva:x} of {t.name}: {', '.join(t.problems)}"
                for t in refused[:MAX_LISTED])
        return [problem], None
    display = primary[0]
    problems = []
    if GDI_DISPLAY_CLASS not in display.bases:
        problems.append(f"{GDI_DISPLAY_CLASS} is not among the bases of {DISPLAY_CLASS} "
                        f"({' '.join(display.bases)}): the host would not draw it through HDC")
    if SKETCHPAD_DISPLAY_CLASS in display.bases:
        problems.append(f"{SKETCHPAD_DISPLAY_CLASS} is among the bases of {DISPLAY_CLASS} "
                        f"({' '.join(display.bases)}): dynamic_cast<MFD2*> would succeed")
    summary = (f"{image.kind}; virtual table of {DISPLAY_CLASS} at RVA 0x{display.rva:x}, "
               f"locator signature {image.signature}, bases {' '.join(display.bases)}; "
               f"{len(tables)} virtual tables with type information")
    return problems, summary


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--machine", choices=sorted(e for e, *_ in MACHINES.values()))
    parser.add_argument("dll")
    args = parser.parse_args()
    dll = os.path.basename(args.dll)
    try:
        with open(args.dll, "rb") as f:
            image = Image(f.read())
    except OSError as e:
        problems, summary = [f"cannot read: {e.strerror}"], None
    except Unreadable as e:
        problems, summary = [str(e)], None
    else:
        problems, summary = find_problems(image, args.machine)
    for p in problems:
        print(f"check_type_info: {dll}: {p}", file=sys.stderr)
    if problems:
        return 1
    print(f"check_type_info: {dll}: {summary}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
