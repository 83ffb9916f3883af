#!/usr/bin/env python3
"""Turns the benchmark JSON into one table of the library against its baselines."""
import json
import re
import sys

BASELINES = ["MapBaseline", "PtreeBaseline", "LiteralTableBaseline"]


def main(path):
    with open(path) as f:
        data = json.load(f)
    results = {}
    for b in data["benchmarks"]:
        if b.get("run_type") == "aggregate":
            continue
        results[b["name"]] = b

    rows = []
    # Store access: library against the three baselines, size by size.
    for name, b in results.items():
        m = re.match(r"BM_Access<LibraryStore, Op::k(\w+)>/(\d+)$", name)
        if not m:
            continue
        op, size = m.groups()
        lib = b["cpu_time"]
        row = [f"{op} @ {int(size):,}", f"{lib:.1f} ns"]
        for base in BASELINES:
            other = results.get(f"BM_Access<{base}, Op::k{op}>/{size}")
            row += [f"{other['cpu_time']:.1f} ns", f"{lib / other['cpu_time']:.2f}"] if other else ["-", "-"]
        rows.append(row)

    header = ["measure", "library", "map (a)", "lib/map", "ptree (b)", "lib/ptree",
              "literal (c)", "lib/literal"]
    print_table(header, rows)

    # Fallback through N parents against N+1 plain lookups at size 10.
    plain = results.get("BM_Access<LibraryStore, Op::kGetDword>/10")
    extra = []
    for depth in (10, 100):
        b = results.get(f"BM_ParentFallback/{depth}")
        if b and plain:
            ratio = b["cpu_time"] / ((depth + 1) * plain["cpu_time"])
            extra.append([f"get through {depth} parents", f"{b['cpu_time']:.0f} ns",
                          f"{(depth + 1) * plain['cpu_time']:.0f} ns ({depth + 1} plain gets)",
                          f"{ratio:.2f}"])
    for size in ("1000", "10000", "100000"):
        lib = results.get(f"BM_SaveLoadTree/{size}")
        pt = results.get(f"BM_SaveLoadPtree/{size}")
        if lib and pt:
            # The counters hold seconds per setting.
            extra.append([f"save+load {int(size):,} settings",
                          f"{lib['per_setting_ns'] * 1e9:.0f} ns/setting",
                          f"{pt['per_setting_ns'] * 1e9:.0f} ns/key (ptree ini)",
                          f"{lib['per_setting_ns'] / pt['per_setting_ns']:.2f}"])
    b = results.get("BM_LoadSettingsFile1MB")
    if b:
        extra.append(["load 1 MB settings file", f"{b['real_time']:.1f} ms", "-", "-"])
    lib = results.get("BM_Contended<LibraryStore>/real_time/threads:2")
    base = results.get("BM_Contended<MapBaseline>/real_time/threads:2")
    if lib and base:
        extra.append(["2 threads, one store", f"{lib['real_time']:.1f} ns/op",
                      f"{base['real_time']:.1f} ns/op (map)", f"{lib['real_time'] / base['real_time']:.2f}"])
    lib = results.get("BM_BytesPerSetting<LibraryStore>/100000/iterations:1")
    base = results.get("BM_BytesPerSetting<MapBaseline>/100000/iterations:1")
    if lib and base:
        extra.append(["bytes per DWORD setting", f"{lib['bytes_per_setting']:.0f} B",
                      f"{base['bytes_per_setting']:.0f} B (map)",
                      f"{lib['bytes_per_setting'] / base['bytes_per_setting']:.2f}"])
    print()
    print_table(["measure", "library", "baseline", "ratio"], extra)


def print_table(header, rows):
    widths = [max(len(str(r[i])) for r in [header] + rows) for i in range(len(header))]
    line = lambda r: "| " + " | ".join(str(c).ljust(w) for c, w in zip(r, widths)) + " |"
    print(line(header))
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for r in rows:
        print(line(r))


if __name__ == "__main__":
    main(sys.argv[1])
