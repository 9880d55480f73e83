#!/usr/bin/env python3
"""Tables from kelvane_bench's JSON output: redraw against floor per page, allocations per
redraw, and the time per item at both ends of each scaling benchmark. A benchmark that stopped
with an error (a floor whose lines differ from the redraw's, a display that did not open) is
listed after the tables, and the report then exits with status 1; a figure it lacks reads "-".

    bench/report.py RESULTS.json [MORE.json …]
"""
import json
import sys


def main(paths):
    benchmarks = []
    for path in paths:
        with open(path) as f:
            data = json.load(f)
        benchmarks += data["benchmarks"]
    runs, errors = {}, {}
    for b in benchmarks:
        if b.get("error_occurred"):
            errors[b.get("run_name", b["name"])] = b.get("error_message", "")
            continue
        # With repetitions, use the medians; without, the single runs.
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        name = b.get("run_name", b["name"])
        if b.get("run_type") == "iteration" and name in runs:
            continue
        runs[name] = b

    ctx = data["context"]
    print(f"machine: {ctx.get('host_name', '?')}, {ctx['num_cpus']} CPUs at "
          f"{ctx['mhz_per_cpu']} MHz, built {ctx.get('library_build_type', '?')} benchmark "
          f"library, {ctx['date']}")
    print()
    print("| page | vessel | notation | redraw ns | floor ns | redraw / floor | allocations per redraw |")
    print("|---|---|---|---:|---:|---:|---:|")
    for name, b in runs.items():
        if not name.startswith("Redraw/"):
            continue
        floor = runs.get("Floor/" + name[len("Redraw/"):])
        _, page, vessel, notation = name.split("/")
        redraw_ns = b["real_time"]
        floor_ns = floor["real_time"] if floor else 0
        ratio = f"{redraw_ns / floor_ns:.2f}" if floor_ns > 0 else "-"
        allocations = b.get("allocs/redraw")
        print(f"| {page} | {vessel} | {notation} | {redraw_ns:.0f} | "
              f"{f'{floor_ns:.0f}' if floor_ns > 0 else '-'} | {ratio} | "
              f"{'-' if allocations is None else f'{allocations:g}'} |")
    print()
    print("| benchmark | items | time | time per item |")
    print("|---|---:|---:|---:|")
    for name, b in runs.items():
        if not name.startswith("BM_") or name.endswith(("_BigO", "_RMS")):
            continue
        per = [k for k in ("per_thruster", "per_block", "per_record") if k in b]
        if not per:
            continue
        parts = name.split("/")
        items = int(parts[1])
        unit = b["time_unit"]
        print(f"| {parts[0][3:]} | {items} | {b['real_time']:.2f} {unit} | "
              f"{b[per[0]] * 1e9:.1f} ns |")
    if errors:
        print()
        print("Benchmarks that stopped with an error:")
        for name, message in errors.items():
            print(f"- {name}: {message}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
