#!/usr/bin/env python3
"""Writes the stand-in orbiter.exe's stock vessel classes as a C++ table, from the built-in
sample's class files in the sectioned form, so that the Windows host flies the same figures as
kelvane-sim. Only the items those files use are read; anything else is an error, so that a changed
sample cannot pass half-read.

  stock_class_table.py --out FILE CLASS.cfg...
"""
import argparse
import os
import re
import sys

NUMBER = re.compile(r"^[-+]?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?$")


class ClassFileError(Exception):
    pass


def read_sections(path):
    """The file's head and its sections, each a dict of lower-case key -> (value, line)."""
    head, sections, current = {}, {}, None
    with open(path, encoding="latin-1") as f:
        for number, raw in enumerate(f, 1):
            line = raw.split(";", 1)[0].strip()
            if not line:
                continue
            if line.startswith("["):
                name = line.strip("[]").strip().upper()
                current = sections.setdefault(name, {})
                continue
            key, eq, value = line.partition("=")
            if not eq:
                raise ClassFileError(f"{path}:{number}: expected 'key = value', found '{line}'")
            (head if current is None else current)[key.strip().lower()] = (value.strip(), number)
    return head, sections


def numbers(items, key, count, path):
    if key not in items:
        raise ClassFileError(f"{path}: no '{key}' item")
    value, line = items[key]
    words = value.split()
    if len(words) != count or not all(NUMBER.match(w) for w in words):
        raise ClassFileError(f"{path}:{line}: expected {count} number(s) after '{key} ='")
    return words


def numbered(sections, prefix):
    found = sorted(int(n[len(prefix):]) for n in sections if n.startswith(prefix))
    if found != list(range(len(found))):
        raise ClassFileError(f"{prefix}n sections are not numbered 0, 1, 2, ...")
    return [sections[f"{prefix}{n}"] for n in found]


def class_table(path, number):
    """The class's tank and thruster arrays, and its VesselFigures row that points at them."""
    head, sections = read_sections(path)
    name = head.get("classname", (os.path.splitext(os.path.basename(path))[0], 0))[0]
    empty_mass = numbers(head, "emptymass", 1, path)[0]
    pmi = numbers(head, "pmi", 3, path)
    tanks = [numbers(s, "maxmass", 1, path)[0] for s in numbered(sections, "PROPELLANT_")]
    thrusters = []
    for s in numbered(sections, "THRUSTER_"):
        tank = numbers(s, "propellant", 1, path)[0] if "propellant" in s else "-1"
        cover = numbers(s, "coverpropellant", 1, path)[0] if "coverpropellant" in s else "-1"
        thrusters.append((numbers(s, "pos", 3, path), numbers(s, "dir", 3, path),
                          numbers(s, "max0", 1, path)[0], numbers(s, "isp0", 1, path)[0], tank,
                          cover))
    arrays = ""
    if tanks:
        arrays += f"const double kTanks{number}[] = {{{', '.join(tanks)}}};\n"
    if thrusters:
        rows = "".join(f"    {{{{{{{', '.join(p)}}}}}, {{{{{', '.join(d)}}}}}, {m}, {i}, {t}, {c}}},\n"
                       for p, d, m, i, t, c in thrusters)
        arrays += f"const host_model::ThrusterFigures kThrusters{number}[] = {{\n{rows}}};\n"
    row = (f"    {{\"{name}\", {empty_mass}, {{{{{', '.join(pmi)}}}}}, {len(tanks)}, "
           f"{f'kTanks{number}' if tanks else 'nullptr'}, {len(thrusters)}, "
           f"{f'kThrusters{number}' if thrusters else 'nullptr'}}}")
    return arrays, row


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", required=True)
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    try:
        tables = [class_table(path, n) for n, path in enumerate(args.files)]
    except (ClassFileError, OSError) as e:
        print(f"stock_class_table.py: {e}", file=sys.stderr)
        return 1
    arrays = "".join(a for a, _ in tables)
    body = ",\n".join(r for _, r in tables)
    text = ("// Written by windows/stock_class_table.py from the built-in sample's class files.\n"
            "#include \"standin/stand_in_host.h\"\n\nnamespace standin {\nnamespace {\n"
            f"{arrays}}} // namespace\n\n"
            f"const host_model::VesselFigures kStockClasses[] = {{\n{body},\n}};\n"
            "const int kStockClassCount = sizeof kStockClasses / sizeof kStockClasses[0];\n\n"
            "} // namespace standin\n")
    with open(args.out, "w", encoding="ascii") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
