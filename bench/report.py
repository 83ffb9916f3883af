#!/usr/bin/env python3
"""Turns the benchmark JSON into one table of the library against its baselines."""
import json
import re
import sys

BASELINES = ["MapBaseline", "PtreeBaseline", "LiteralTableBaseline"]


def main(path):
    with open(path) as f:
        data = json.load(f)
    # With --benchmark_repetitions the median of the repetitions stands for
    # each benchmark (the machine may be shared); otherwise the one run.
    results, medians = {}, {}
    for b in data["benchmarks"]:
        # A benchmark's own minimum time is part of its name; the table
        # knows each by what it measures.
        name = re.sub(r"/(min_time:[0-9.]+|repeats:[0-9]+)", "", b.get("run_name", b["name"]))
        if b.get("run_type") == "aggregate":
            if b.get("aggregate_name") == "median":
                medians[name] = b
        else:
            results[name] = b
    for name, b in medians.items():
        merged = dict(results.get(name, {}))
        merged.update(b)
        results[name] = merged

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

    # Fallback through N parents against N+1 plain gets of the map baseline.
    plain = results.get("BM_Access<MapBaseline, Op::kGetDword>/10")
    extra = []
    for depth in (10, 100):
        b = results.get(f"BM_ParentFallback/{depth}")
        if b and plain:
            lib, base = ns(b, "cpu_time"), (depth + 1) * ns(plain, "cpu_time")
            extra.append([f"get through {depth} parents", f"{lib:.0f} ns",
                          f"{base:.0f} ns ({depth + 1} map gets)", f"{lib / base:.2f}"])
    for size in ("1000", "10000", "100000"):
        lib = results.get(f"BM_SaveLoadTree/{size}")
        pt = results.get(f"BM_SaveLoadPtree/{size}")
        if lib and pt:
            # The library's save is durable (temporary file, fsync, rename,
            # fsync of the directory); ptree's write_ini is not. The fsyncs'
            # wall time is shown apart, and "work" is the wall time without
            # it, compared with ptree's wall time; CPU time leaves the waits
            # out on both sides.
            n = int(size)
            lw, lc = ns(lib, "real_time") / n, ns(lib, "cpu_time") / n
            fs = lib.get("fsync_ns_per_setting", 0.0)
            pw, pc = ns(pt, "real_time") / n, ns(pt, "cpu_time") / n
            extra.append([f"save+load {n:,} settings: work (wall - fsync) / cpu",
                          f"{lw - fs:.0f} / {lc:.0f} ns per setting",
                          f"{pw:.0f} / {pc:.0f} ns per key (ptree ini)",
                          f"{(lw - fs) / pw:.2f} / {lc / pc:.2f}"])
            extra.append([f"save+load {n:,} settings: wall with fsync",
                          f"{lw:.0f} ns per setting, fsync {fs:.0f}",
                          f"{pw:.0f} ns per key (ptree ini, no fsync)",
                          f"{lw / pw:.2f}"])
    b = results.get("BM_LoadSettingsFile1MB")
    if b:
        extra.append(["load 1 MB settings file", f"{ns(b, 'real_time') / 1e6:.1f} ms", "-", "-"])
    lib = results.get("BM_Contended<LibraryStore>/real_time/threads:2")
    base = results.get("BM_Contended<MapBaseline>/real_time/threads:2")
    if lib and base:
        extra.append(["2 threads, one store, 1 set in 4", f"{lib['real_time']:.1f} ns/op",
                      f"{base['real_time']:.1f} ns/op (map)", f"{lib['real_time'] / base['real_time']:.2f}"])
    # Read throughput of n threads over one thread (time per call, all
    # threads together: a gain is time(1) / time(n)).
    for impl, label in (("LibraryStore", "library"), ("MapBaseline", "map")):
        one = results.get(f"BM_ReadThreads<{impl}>/1/real_time/threads:1")
        if not one:
            continue
        for name, desc in ((f"BM_ReadThreads<{impl}>/1/real_time/threads:2", "2 threads, one store"),
                           (f"BM_ReadThreads<{impl}>/2/real_time/threads:4", "4 threads, two stores")):
            b = results.get(name)
            if b:
                # CPU time per call (summed over the threads) shows what
                # contention costs even when a loaded machine hides the wall
                # clock gain; threads blocked on a mutex spend no CPU, so it
                # flatters blocking locks.
                extra.append([f"gets, {desc} ({label})",
                              f"{b['real_time']:.1f} ns/call (cpu {b['cpu_time']:.1f})",
                              f"{one['real_time']:.1f} ns/call (cpu {one['cpu_time']:.1f}), 1 thread",
                              f"{one['real_time'] / b['real_time']:.2f}x throughput, "
                              f"{b['cpu_time'] / one['cpu_time']:.2f}x cpu/call"])
    lib = results.get("BM_BytesPerSetting<LibraryStore>/100000/iterations:1")
    base = results.get("BM_BytesPerSetting<MapBaseline>/100000/iterations:1")
    if lib and base:
        extra.append(["bytes per DWORD setting", f"{lib['bytes_per_setting']:.0f} B",
                      f"{base['bytes_per_setting']:.0f} B (map)",
                      f"{lib['bytes_per_setting'] / base['bytes_per_setting']:.2f}"])
    # A tree load's peak memory: at most the finished store plus the file.
    for name, b in sorted(results.items()):
        m = re.match(r"BM_LoadPeakMemory/(\d+)/(\d+)", name)
        if m and "peak_over_file" in b:
            count, size = map(int, m.groups())
            extra.append([f"load peak, {count:,} settings of {size} B ({b['file_MB']:.0f} MB)",
                          f"{b['peak_over_file']:.2f}x file",
                          f"store {b['store_over_file']:.2f}x file + file",
                          f"{b['peak_over_store_plus_file']:.2f}"])
    if rows and extra:
        print()
    print_table(["measure", "library", "baseline", "ratio"], extra)
    spread = noise(data)
    if spread:
        print()
        print(f"Spread over repetitions (stddev / mean of CPU time): median {spread[0]:.0%}, "
              f"worst {spread[1]:.0%} ({spread[2]}).")


def noise(data):
    """Median and worst coefficient of variation of the repeated benchmarks."""
    mean, std = {}, {}
    for b in data["benchmarks"]:
        if b.get("run_type") != "aggregate":
            continue
        if b.get("aggregate_name") == "mean":
            mean[b["run_name"]] = b["cpu_time"]
        elif b.get("aggregate_name") == "stddev":
            std[b["run_name"]] = b["cpu_time"]
    cvs = sorted((std[n] / mean[n], n) for n in std if mean.get(n))
    if not cvs:
        return None
    return cvs[len(cvs) // 2][0], cvs[-1][0], cvs[-1][1]


UNIT_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def ns(b, field):
    """A time of a benchmark in nanoseconds, whatever unit it was reported in."""
    return b[field] * UNIT_NS[b.get("time_unit", "ns")]


def print_table(header, rows):
    if not rows:  # a run filtered to other benchmarks
        return
    widths = [max(len(str(r[i])) for r in [header] + rows) for i in range(len(header))]
    line = lambda r: "| " + " | ".join(str(c).ljust(w) for c, w in zip(r, widths)) + " |"
    print(line(header))
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for r in rows:
        print(line(r))


if __name__ == "__main__":
    main(sys.argv[1])
