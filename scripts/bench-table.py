#!/usr/bin/env python3
"""Prints one table from the Google Benchmark JSON files of the bench executables: per benchmark
its time per iteration (CPU time, or the wall time of a latency the benchmark times itself; the
median where repetitions were run) and its counters."""
import json
import re
import sys
from pathlib import Path

UNITS = [(1e9, "s"), (1e6, "ms"), (1e3, "µs"), (1.0, "ns")]
TO_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def duration(value, unit):
    ns = value * TO_NS.get(unit, 1.0)
    for scale, name in UNITS:
        if ns >= scale or scale == 1.0:
            return f"{ns / scale:.3g} {name}"
    return ""


def number(value):
    if abs(value) >= 1e6:
        return f"{value / 1e6:.3g}M"
    if abs(value) >= 1e3:
        return f"{value / 1e3:.3g}k"
    return f"{value:.3g}"


# Keys of a benchmark entry that are not user counters.
STANDARD = {"name", "family_index", "per_family_instance_index", "run_name", "run_type",
            "repetitions", "repetition_index", "threads", "iterations", "real_time", "cpu_time",
            "time_unit", "aggregate_name", "aggregate_unit", "label", "error_occurred",
            "error_message", "items_per_second", "bytes_per_second"}


def short(run_name):
    return re.sub(r"/(repeats|iterations):\d+|/manual_time", "", run_name)


def rows(path):
    report = json.loads(path.read_text())
    entries = report.get("benchmarks", [])
    # With repetitions only the aggregates are reported: keep the median.
    medians = {e["run_name"] for e in entries if e.get("aggregate_name") == "median"}
    for e in entries:
        if e["run_name"] in medians and e.get("aggregate_name") != "median":
            continue
        if e.get("run_type") == "aggregate" and e.get("aggregate_name") != "median":
            continue
        if e.get("error_occurred"):
            yield path.stem, short(e["run_name"]), "error", e.get("error_message", "")
            continue
        counters = [f"{k}={number(v)}" for k, v in sorted(e.items())
                    if k not in STANDARD and isinstance(v, (int, float))]
        if "items_per_second" in e:
            counters.append(f"items/s={number(e['items_per_second'])}")
        # A latency measured by the benchmark itself is wall time; the CPU time would be its
        # thread's share only.
        time = e["real_time"] if "/manual_time" in e["run_name"] else e["cpu_time"]
        yield path.stem, short(e["run_name"]), duration(time, e["time_unit"]), " ".join(counters)


def main(paths):
    table = [("executable", "benchmark", "time", "counters")]
    for path in paths:
        table.extend(rows(Path(path)))
    widths = [max(len(row[i]) for row in table) for i in range(3)]
    for n, row in enumerate(table):
        print("  ".join(cell.ljust(width) for cell, width in zip(row, widths)) + "  " + row[3])
        if n == 0:
            print("  ".join("-" * width for width in widths) + "  " + "-" * 8)


if __name__ == "__main__":
    main(sys.argv[1:])
