#!/usr/bin/env python3
"""Turns the JSON of tessaly_bench (run with --benchmark_repetitions) into Markdown: the machine,
one table of medians, the ratios between cases and the targets, met or missed.

Usage: bench_table.py RESULTS.json

Every case reports the wall-clock time and the CPU time of the whole process; both medians are
printed, wall-clock first. Each target says which of the two it is judged on.
"""

import json
import sys

MODELS = ("scatter", "walk")

# (benchmark name, row title, kind): kind "time" prints milliseconds, "rate" MB/s of file text.
ROWS = (
    ("case1_redraw_one_core", "1 full redraw, RasterCanvas, one core", "time"),
    ("case1_redraw_all_cores", "1 full redraw, RasterCanvas, all cores", "time"),
    ("case2_qpainter_redraw", "2 full redraw, QPainter, all cores", "time"),
    ("case2_cairo_redraw", "2 full redraw, Cairo, all cores", "time"),
    ("case2_agg_redraw", "2 full redraw, AGG, all cores", "time"),
    ("case3_same_address_floor", "3 same-address floor (the stores of 1), one core", "time"),
    ("case4_drag_step", "4 drag step (erase, turn, draw), all cores", "time"),
    ("case5_move_step", "5 move step (SetXYZ, full redraw), all cores", "time"),
    ("case6_pick_no_hit", "6 pick over the whole model, no hit", "time"),
    ("case7_save", "7 save (SaveFile)", "rate"),
    ("case7_load", "7 load (LoadFileEx)", "rate"),
    ("case8_window_refresh", "8 window refresh (mnuRefresh_Click), all cores", "time"),
)

PEERS = (("case2_qpainter_redraw", "QPainter"), ("case2_cairo_redraw", "Cairo"),
         ("case2_agg_redraw", "AGG"))

UNIT_TO_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
WALL, CPU = "real_time", "cpu_time"


def medians(data):
    """{(case, model): benchmark entry} for every median aggregate."""
    out = {}
    for entry in data.get("benchmarks", []):
        if entry.get("aggregate_name") != "median":
            continue
        case, model = entry["run_name"].split("/")[:2]
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


def fmt_cpu(value):
    return f"{value:.3f}" if value < 1.0 else f"{value:.1f}"


def cell(entry, kind):
    if entry is None:
        return "not measured"
    if kind == "rate":
        return f"{mb_per_s(entry, WALL):.0f} MB/s ({mb_per_s(entry, CPU):.0f})"
    return f"{fmt_ms(ms(entry, WALL))} ({fmt_cpu(ms(entry, CPU))})"


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

    def time(case, model, key):
        entry = get(case, model)
        return ms(entry, key) if entry else None

    def ratio(a, b, model, key):
        x, y = time(a, model, key), time(b, model, key)
        return x / y if x is not None and y else None

    def per_segment_ns(model, key):
        entry = get("case1_redraw_one_core", model)
        return ms(entry, key) * 1e6 / entry["segments"] if entry else None

    cores = context.get("tessaly_cores", "?")
    print(f"Date: {context.get('date', '?')}  ")
    print(f"Machine: {cores} cores (`nproc`), {context.get('tessaly_cpu_model', '?')} "
          f"(`/proc/cpuinfo`), load average at start {context.get('tessaly_load_average', '?')}; "
          f"redraw threads {context.get('tessaly_redraw_threads', '?')}  ")
    print(f"Libraries: Qt {context.get('tessaly_qt_version', '?')}, "
          f"Cairo {context.get('tessaly_cairo_version', 'not built')}, "
          f"AGG {context.get('tessaly_agg_version', 'not built')}  ")
    print(f"Medians of {repetitions} repetitions: wall-clock time, the process's CPU time in "
          "brackets (ms, or MB/s of G3D text). \"All cores\" is "
          f"{cores}; \"one core\" pins every thread of the process to one of them.")
    print()
    print("| Case | " + " | ".join(MODELS) + " |")
    print("|---|" + "---|" * len(MODELS))
    for case, title, kind in ROWS:
        if case == "case3_same_address_floor":
            pixels = [get(case, m)["pixels"] for m in MODELS if get(case, m)]
            if pixels:
                title += " — " + " / ".join(f"{p / 1e6:.2f} M" for p in pixels) + " pixels"
        print(f"| {title} | " + " | ".join(cell(get(case, m), kind) for m in MODELS) + " |")

    def both(values_of):
        """A row cell per model from (wall, cpu) pairs."""
        cells = []
        for model in MODELS:
            wall, cpu = values_of(model, WALL), values_of(model, CPU)
            cells.append("—" if wall is None else f"{wall:.2f}× ({cpu:.2f}×)")
        return cells

    derived = [
        ("1 one core, per segment", [
            "—" if per_segment_ns(m, WALL) is None else
            f"{per_segment_ns(m, WALL):.1f} ns ({per_segment_ns(m, CPU):.1f})" for m in MODELS]),
        ("ratio 1 one core ÷ 3 floor", both(
            lambda m, k: ratio("case1_redraw_one_core", "case3_same_address_floor", m, k))),
        ("ratio 1 all cores ÷ 1 one core", both(
            lambda m, k: ratio("case1_redraw_all_cores", "case1_redraw_one_core", m, k))),
    ]
    for case, name in PEERS:
        derived.append((f"ratio 2 {name} ÷ 1 all cores", both(
            lambda m, k, c=case: ratio(c, "case1_redraw_all_cores", m, k))))
    derived.append(("ratio 8 window ÷ 1 all cores", both(
        lambda m, k: ratio("case8_window_refresh", "case1_redraw_all_cores", m, k))))
    for title, cells in derived:
        print(f"| {title} | " + " | ".join(cells) + " |")

    # Targets: (description, text of the value, met).
    targets = []

    def check(description, value, limit, at_most, text):
        if value is not None:
            targets.append((description, text(value), value <= limit if at_most else value >= limit))

    times = lambda v: f"{v:.2f}×"  # noqa: E731
    millis = lambda v: fmt_ms(v)  # noqa: E731
    nanos = lambda v: f"{v:.1f} ns"  # noqa: E731
    rate = lambda v: f"{v:.0f} MB/s"  # noqa: E731
    check("full redraw, scatter, one core ÷ same-address floor ≤ 1.10× (CPU)",
          ratio("case1_redraw_one_core", "case3_same_address_floor", "scatter", CPU), 1.10, True,
          times)
    check("full redraw, walk, cost per segment, one core ≤ 15 ns (CPU)",
          per_segment_ns("walk", CPU), 15.0, True, nanos)
    for model in MODELS:
        check(f"full redraw, {model}, all cores ÷ one core ≤ 0.60 (wall)",
              ratio("case1_redraw_all_cores", "case1_redraw_one_core", model, WALL), 0.60, True,
              times)
    check("drag step, walk ≤ 10 ms (wall)", time("case4_drag_step", "walk", WALL), 10.0, True,
          millis)
    check("drag step, scatter ≤ 35 ms (wall)", time("case4_drag_step", "scatter", WALL), 35.0,
          True, millis)
    for model in MODELS:
        check(f"window refresh ÷ full redraw, {model} ≤ 1.15× (wall)",
              ratio("case8_window_refresh", "case1_redraw_all_cores", model, WALL), 1.15, True,
              times)
    goals = {"scatter": (40.0, 25.0, 10.0), "walk": (30.0, 40.0, 5.0)}
    for model in MODELS:
        for (case, name), goal in zip(PEERS, goals[model]):
            check(f"{model}: {name} ÷ Tessaly ≥ {goal:.0f}× (wall)",
                  ratio(case, "case1_redraw_all_cores", model, WALL), goal, False, times)
    check("move step, walk < 16 ms (wall)", time("case5_move_step", "walk", WALL), 16.0, True,
          millis)
    for model in MODELS:
        check(f"pick over the whole model, {model} < 0.5 ms (wall)",
              time("case6_pick_no_hit", model, WALL), 0.5, True, millis)
        for case, what in (("case7_save", "save"), ("case7_load", "load")):
            entry = get(case, model)
            if entry:
                check(f"{what}, {model} ≥ 50 MB/s (wall)", mb_per_s(entry, WALL), 50.0, False,
                      rate)

    print()
    print("| Target | Measured | |")
    print("|---|---|---|")
    for description, text, met in targets:
        print(f"| {description} | {text} | {'met' if met else '**missed**'} |")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
