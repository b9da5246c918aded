#!/usr/bin/env python3
"""Turns the JSON of tessaly_bench (run with --benchmark_repetitions) into one Markdown table of
medians, the ratios between cases and the targets, met or missed.

Usage: bench_table.py RESULTS.json

Times are medians of the process's CPU time; the wall-clock median follows in brackets. Ratios
and targets use CPU time, which other work on a shared machine disturbs least.
"""

import json
import os
import sys

MODELS = ("scatter", "walk")

# (benchmark name, row title, kind): kind "time" prints milliseconds, "rate" MB/s of file text.
ROWS = (
    ("case1_full_redraw", "1 full redraw, RasterCanvas", "time"),
    ("case2_qpainter_redraw", "2 full redraw, QPainterCanvas", "time"),
    ("case3_fill_floor", "3 fill floor (as many pixels as 1)", "time"),
    ("case4_drag_step", "4 drag step (erase, turn, draw)", "time"),
    ("case5_move_step", "5 move step (SetXYZ, full redraw)", "time"),
    ("case6_pick_no_hit", "6 pick over the whole model, no hit", "time"),
    ("case7_save", "7 save (SaveFile)", "rate"),
    ("case7_load", "7 load (LoadFileEx)", "rate"),
    ("case8_window_refresh", "8 window refresh (mnuRefresh_Click)", "time"),
)

UNIT_TO_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def medians(data):
    """{(case, model): benchmark entry} for every median aggregate."""
    out = {}
    for entry in data.get("benchmarks", []):
        if entry.get("aggregate_name") != "median":
            continue
        case, _, model = entry["run_name"].partition("/")
        out[(case, model)] = entry
    return out


def ms(entry, key):
    return entry[key] * UNIT_TO_MS[entry.get("time_unit", "ns")]


def mb_per_s(entry, key):
    seconds = ms(entry, key) / 1e3
    return entry["file_bytes"] / seconds / 1e6 if seconds > 0 else float("inf")


def fmt_ms(value):
    if value < 1.0:
        return f"{value:.3f} ms"
    if value < 100.0:
        return f"{value:.2f} ms"
    return f"{value:.0f} ms"


def fmt_wall_ms(value):
    return f"{value:.3f}" if value < 1.0 else f"{value:.1f}"


def cell(entry, kind):
    if entry is None:
        return "not measured"
    if kind == "rate":
        return f"{mb_per_s(entry, 'cpu_time'):.0f} MB/s ({mb_per_s(entry, 'real_time'):.0f})"
    return f"{fmt_ms(ms(entry, 'cpu_time'))} ({fmt_wall_ms(ms(entry, 'real_time'))})"


def cpu_model():
    try:
        with open("/proc/cpuinfo", encoding="utf-8") as info:
            for line in info:
                if line.startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return "unknown"


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    with open(argv[1], encoding="utf-8") as f:
        data = json.load(f)
    table = medians(data)
    if not table:
        print("no median aggregates: run with --benchmark_repetitions of 2 or more", file=sys.stderr)
        return 1
    context = data.get("context", {})
    repetitions = max((e.get("repetitions", 0) for e in data.get("benchmarks", [])), default=0)

    def get(case, model):
        return table.get((case, model))

    def cpu_ms(case, model):
        entry = get(case, model)
        return ms(entry, "cpu_time") if entry else None

    def ratio(a, b, model):
        x, y = cpu_ms(a, model), cpu_ms(b, model)
        return x / y if x is not None and y else None

    load = context.get("load_avg") or []
    print(f"Date: {context.get('date', '?')}  ")
    print(f"Machine: {os.cpu_count()} cores (`nproc`), {cpu_model()}, "
          f"load average at start {', '.join(f'{v:.1f}' for v in load) or '?'}  ")
    print(f"Medians of {repetitions} repetitions: CPU time of the process, wall-clock time in "
          "brackets (ms, or MB/s of G3D text).")
    print()
    print("| Case | " + " | ".join(MODELS) + " |")
    print("|---|" + "---|" * len(MODELS))
    for case, title, kind in ROWS:
        if case == "case3_fill_floor":
            pixels = [get(case, m)["pixels"] for m in MODELS if get(case, m)]
            if pixels:
                title += " — " + " / ".join(f"{p / 1e6:.2f} M" for p in pixels) + " pixels"
        print(f"| {title} | " + " | ".join(cell(get(case, m), kind) for m in MODELS) + " |")

    ratios = (
        ("case2_qpainter_redraw", "case1_full_redraw", "ratio 2 ÷ 1 (QPainter ÷ raster)"),
        ("case1_full_redraw", "case3_fill_floor", "ratio 1 ÷ 3 (raster ÷ fill floor)"),
        ("case8_window_refresh", "case1_full_redraw", "ratio 8 ÷ 1 (window ÷ raster)"),
    )
    for a, b, title in ratios:
        values = [ratio(a, b, m) for m in MODELS]
        print(f"| {title} | " + " | ".join("—" if v is None else f"{v:.1f}×" for v in values) + " |")

    # Targets: (description, value, text of the value, met).
    targets = []

    def at_least(description, value, limit, text):
        if value is not None:
            targets.append((description, text(value), value >= limit))

    def below(description, value, limit, text):
        if value is not None:
            targets.append((description, text(value), value < limit))

    times = lambda v: f"{v:.1f}×"  # noqa: E731
    millis = lambda v: fmt_ms(v)  # noqa: E731
    rate = lambda v: f"{v:.0f} MB/s"  # noqa: E731
    at_least("full redraw ≥ 15× faster than QPainter, scatter",
             ratio("case2_qpainter_redraw", "case1_full_redraw", "scatter"), 15.0, times)
    at_least("full redraw ≥ 10× faster than QPainter, walk",
             ratio("case2_qpainter_redraw", "case1_full_redraw", "walk"), 10.0, times)
    below("full redraw within 3× of the fill floor, scatter",
          ratio("case1_full_redraw", "case3_fill_floor", "scatter"), 3.0 + 1e-9, times)
    below("full redraw within 5× of the fill floor, walk",
          ratio("case1_full_redraw", "case3_fill_floor", "walk"), 5.0 + 1e-9, times)
    below("drag step < 16 ms, walk", cpu_ms("case4_drag_step", "walk"), 16.0, millis)
    below("move step < 16 ms, walk", cpu_ms("case5_move_step", "walk"), 16.0, millis)
    for model in MODELS:
        for case, what in (("case7_save", "save"), ("case7_load", "load")):
            entry = get(case, model)
            if entry:
                at_least(f"{what} ≥ 50 MB/s, {model}", mb_per_s(entry, "cpu_time"), 50.0, rate)
    for model in MODELS:
        below(f"pick over the whole model < 0.5 ms, {model}",
              cpu_ms("case6_pick_no_hit", model), 0.5, millis)
    for model in MODELS:
        below(f"window refresh within 1.3× of the full redraw, {model}",
              ratio("case8_window_refresh", "case1_full_redraw", model), 1.3 + 1e-9, times)

    print()
    print("| Target | Measured | |")
    print("|---|---|---|")
    for description, text, met in targets:
        print(f"| {description} | {text} | {'met' if met else '**missed**'} |")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
