#!/usr/bin/python3
"""The contact sheet of a configuration against the wizard's first window.

    config_preview.py [--runs N] BIN_FOLDER CONFIG

Times `register-config preview CONFIG` (every section, one whole process) and
the time `register` (from BIN_FOLDER, with the config.xml beside it) takes to
map its first window, on one private X server, the two taking turns so that a
change in the machine's load falls on both alike. The first window is measured
exactly as first_window.py measures it. Prints each run, the medians, and how
many first windows the sheet costs (the target is under 15).
"""

import argparse
import os
import resource
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import first_window  # noqa: E402  (the measuring of the first window, shared)


def children_cpu_ms():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (usage.ru_utime + usage.ru_stime) * 1000


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("bin")
    parser.add_argument("config")
    args = parser.parse_args()
    register = os.path.abspath(os.path.join(args.bin, "register"))
    checker = os.path.abspath(os.path.join(args.bin, "register-config"))
    config = os.path.abspath(args.config)

    work = tempfile.mkdtemp(prefix="config_preview.")
    for sub in ("home", "config", "runtime"):
        os.makedirs(os.path.join(work, sub), mode=0o700)
    server, display = first_window.start_x_server(work)
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
               HOME=os.path.join(work, "home"), XDG_CONFIG_HOME=os.path.join(work, "config"),
               XDG_RUNTIME_DIR=os.path.join(work, "runtime"))
    watch = first_window.MapWatch(env)
    first, sheet, screens = [], [], 0
    print(f"config_preview: {args.runs} runs each (+1 warm-up); load average "
          f"{first_window.load_average()}")
    try:
        for round_ in range(-1, args.runs):
            label = "warm-up" if round_ < 0 else f"run {round_ + 1:2}/{args.runs}"
            ms, cpu, _ = first_window.one_run([register], env, watch, work, 20, 0.05)
            out = os.path.join(work, "sheet")
            subprocess.run(["rm", "-rf", out], check=True)
            before_cpu, start = children_cpu_ms(), time.monotonic_ns()
            subprocess.run([checker, "preview", config, "--out", out], env=env, check=True)
            sheet_ms = (time.monotonic_ns() - start) / 1e6
            sheet_cpu = children_cpu_ms() - before_cpu
            screens = sum(1 for f in os.listdir(out) if f.endswith(".png"))
            print(f"{label}  first window {ms:7.1f} ms ({cpu:6.1f} ms processor)   "
                  f"sheet {sheet_ms:7.1f} ms ({sheet_cpu:6.1f} ms processor)", flush=True)
            if round_ >= 0:
                first.append((ms, cpu))
                sheet.append((sheet_ms, sheet_cpu))
    except (first_window.Failure, subprocess.CalledProcessError) as e:
        print(f"config_preview: {e}", file=sys.stderr)
        return 1
    finally:
        first_window.stop(watch.process)
        first_window.stop(server)
        subprocess.run(["rm", "-rf", work])

    f_ms, f_cpu = (statistics.median(r[i] for r in first) for i in (0, 1))
    s_ms, s_cpu = (statistics.median(r[i] for r in sheet) for i in (0, 1))
    print(f"\nload average at the end {first_window.load_average()}")
    print(f"register first window   median {f_ms:7.1f} ms   processor {f_cpu:6.1f} ms")
    print(f"preview, {screens} screens  median {s_ms:7.1f} ms   processor {s_cpu:6.1f} ms")
    print(f"RATIO sheet/first window: time {s_ms / f_ms:.2f}x  processor {s_cpu / f_cpu:.2f}x"
          f"  (target: under 15)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
