#!/usr/bin/env python3
"""Turns the JSON of tessaly_bench (run with --benchmark_repetitions) into Markdown: the machine,
one table of medians, the ratios between cases and the targets, met or missed.

Usage: bench_table.py RESULTS.json... [--today TODAY.json...]

Several files of one binary are pooled: the medians are taken over the repetitions of all of
them. TODAY is the JSON of the same benchmark built from another revision and run alternately
with it; its drawing cases are printed beside the new ones, with the ratios new ÷ today.

Every case reports the wall-clock time and the CPU time of the whole process; both medians are
printed, wall-clock first. Each target says which of the two it is judged on.
"""

import json
import statistics
import sys

MODELS = ("scatter", "walk", "teapot")

# (benchmark name, row title, kind): kind "time" prints milliseconds, "rate" MB/s of file text.
ROWS = (
    ("case1_redraw_one_core", "1 full redraw, RasterCanvas, one core", "time"),
    ("case1_redraw_all_cores", "1 full redraw, RasterCanvas, all cores", "time"),
    ("case2_qpainter_redraw", "2 full redraw, QPainter, all cores", "time"),
    ("case2_cairo_redraw", "2 full redraw, Cairo, all cores", "time"),
    ("case2_agg_redraw", "2 full redraw, AGG, all cores", "time"),
    ("case3_same_address_floor", "3 same-address floor (the stores of 1), one core", "time"),
    ("case3b_cache_floor", "3b cache floor (as many stores into 32 KiB), one core", "time"),
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


# The cases run from today's revision too, to be printed beside the new ones.
TODAY_ROWS = (
    ("case1_redraw_one_core", "1 full redraw, one core"),
    ("case1_redraw_all_cores", "1 full redraw, all cores"),
    ("case4_drag_step", "4 drag step, all cores"),
)


def medians(runs):
    """{(case, model): entry} with the medians over the repetitions of every file in runs (the
    first entry's counters kept), or the files' own median aggregates where they hold no
    repetitions."""
    pooled = {}
    for data in runs:
        for entry in data.get("benchmarks", []):
            if entry.get("run_type") == "iteration":
                case, model = entry["run_name"].split("/")[:2]
                pooled.setdefault((case, model), []).append(entry)
    out = {}
    for key, entries in pooled.items():
        entry = dict(entries[0])
        for field in (WALL, CPU):
            entry[field] = statistics.median(e[field] for e in entries)
        entry["repetitions"] = len(entries)
        out[key] = entry
    for data in runs:
        for entry in data.get("benchmarks", []):
            if entry.get("aggregate_name") == "median":
                out.setdefault(tuple(entry["run_name"].split("/")[:2]), entry)
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
    files = argv[1:]
    today_files = files[files.index("--today") + 1:] if "--today" in files else []
    files = files[:files.index("--today")] if "--today" in files else files
    if not files:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    runs = []
    for name in files + today_files:
        with open(name, encoding="utf-8") as f:
            runs.append(json.load(f))
    data = runs[0]
    table = medians(runs[:len(files)])
    today = medians(runs[len(files):])
    if not table:
        print("no median aggregates: run with --benchmark_repetitions of 2 or more", file=sys.stderr)
        return 1
    context = data.get("context", {})
    repetitions = max((e.get("repetitions", 0) for e in table.values()), default=0)

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
    for case, title in TODAY_ROWS if today else ():
        print(f"| today: {title} | " + " | ".join(
            cell(today.get((case, m)), "time") for m in MODELS) + " |")

    def new_to_today(case, model, key):
        entry, before = get(case, model), today.get((case, model))
        return ms(entry, key) / ms(before, key) if entry and before else None

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
        ("ratio 1 one core ÷ 3b cache floor", both(
            lambda m, k: ratio("case1_redraw_one_core", "case3b_cache_floor", m, k))),
        ("ratio 3 floor ÷ 3b cache floor", both(
            lambda m, k: ratio("case3_same_address_floor", "case3b_cache_floor", m, k))),
        ("ratio 1 all cores ÷ 1 one core", both(
            lambda m, k: ratio("case1_redraw_all_cores", "case1_redraw_one_core", m, k))),
    ]
    for case, name in PEERS:
        derived.append((f"ratio 2 {name} ÷ 1 all cores", both(
            lambda m, k, c=case: ratio(c, "case1_redraw_all_cores", m, k))))
    derived.append(("ratio 8 window ÷ 1 all cores", both(
        lambda m, k: ratio("case8_window_refresh", "case1_redraw_all_cores", m, k))))
    for case, title in TODAY_ROWS if today else ():
        derived.append((f"ratio {title}, new ÷ today", both(
            lambda m, k, c=case: new_to_today(c, m, k))))
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
        for (case, name), goal in zip(PEERS, goals.get(model, ())):
            check(f"{model}: {name} ÷ Tessaly ≥ {goal:.0f}× (wall)",
                  ratio(case, "case1_redraw_all_cores", model, WALL), goal, False, times)
    check("full redraw, walk, one core ÷ same-address floor ≤ 2× (CPU)",
          ratio("case1_redraw_one_core", "case3_same_address_floor", "walk", CPU), 2.0, True, times)
    check("full redraw, scatter, one core ÷ cache floor ≤ 2× (CPU)",
          ratio("case1_redraw_one_core", "case3b_cache_floor", "scatter", CPU), 2.0, True, times)
    check("full redraw, scatter, one core, new ÷ today ≤ 0.7× (CPU)",
          new_to_today("case1_redraw_one_core", "scatter", CPU), 0.7, True, times)
    check("drag step, walk ≤ 4 ms (wall)", time("case4_drag_step", "walk", WALL), 4.0, True,
          millis)
    check("drag step, scatter ≤ 16.7 ms (wall)", time("case4_drag_step", "scatter", WALL), 16.7,
          True, millis)
    for model in ("scatter", "walk"):
        check(f"drag step, {model}, new ÷ today ≤ 0.8× (wall)",
              new_to_today("case4_drag_step", model, WALL), 0.8, True, times)
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
