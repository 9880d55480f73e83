#!/usr/bin/env python3
"""Tables from kelvane_bench's JSON output: redraw against floor per page, allocations per
redraw, and the time per item at both ends of each scaling benchmark.

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
    runs = {}
    for b in benchmarks:
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
        floor_ns = floor["real_time"] if floor else float("nan")
        print(f"| {page} | {vessel} | {notation} | {redraw_ns:.0f} | {floor_ns:.0f} | "
              f"{redraw_ns / floor_ns:.2f} | {b.get('allocs/redraw', float('nan')):g} |")
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


if __name__ == "__main__":
    main(sys.argv[1:])
