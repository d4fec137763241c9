#!/usr/bin/python3
"""Time from process start to the map of a program's first window, and its peak memory.

    first_window.py [--runs N] [--warmup N] [--settle-ms MS] NAME=COMMAND ...

Starts one private X server (Xvfb, on a free display), watches
the root window for MapNotify with one `xev`, and runs every COMMAND RUNS times,
the programs taking turns so that a change in the machine's load falls on all of
them alike. A run's time is the span from just before the process is started
to the moment the map event of a top-level window owned by that process
(_NET_WM_PID) is read: the program is never polled. Its peak memory is the
process's VmHWM, read SETTLE_MS after the map, while it still runs.

Prints each run, then min/median/max per program and, for every program after
the first, the ratio of its medians to the first program's. Exit status: 0 when
every run was measured, 1 when a run failed, 2 on a setup problem.
"""

import argparse
import os
import random
import re
import select
import shlex
import signal
import statistics
import subprocess
import sys
import tempfile
import time

# xev prints "MapNotify event, serial S, synthetic NO, window ROOT,\n    event ROOT,
# window MAPPED, override NO".
MAP_EVENT = re.compile(rb"MapNotify event,[^\n]*\n\s*event 0x[0-9a-f]+, window (0x[0-9a-f]+),")


class Failure(Exception):
    pass


def start_x_server(work):
    """A private Xvfb on a free display of its own. Left to choose a display
    itself (-displayfd alone), Xvfb writes no lock file, so two such servers
    started at once can take the same one; a display named here is locked, and
    -displayfd still tells when the server is ready."""
    log = open(os.path.join(work, "xvfb.log"), "wb")
    chooser = random.Random()
    for _ in range(30):
        number = chooser.randrange(200, 1000)
        if any(os.path.exists(p) for p in (f"/tmp/.X{number}-lock", f"/tmp/.X11-unix/X{number}")):
            continue
        read_end, write_end = os.pipe()
        server = subprocess.Popen(
            ["Xvfb", f":{number}", "-displayfd", str(write_end), "-nolisten", "tcp", "-noreset",
             "-screen", "0", "1280x1024x24"],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
            start_new_session=True)
        os.close(write_end)
        # The server writes the number and the line end apart, and ends if the
        # pipe is gone in between: read the whole line, and keep the pipe open
        # as long as the server runs.
        told = b""
        deadline = time.monotonic() + 15
        while not told.endswith(b"\n") and time.monotonic() < deadline:
            if not select.select([read_end], [], [], max(0, deadline - time.monotonic()))[0]:
                break
            chunk = os.read(read_end, 64)
            if not chunk:
                break
            told += chunk
        if told.strip() == str(number).encode() and server.poll() is None:
            server.display_pipe = read_end
            return server, f":{number}"
        os.close(read_end)
        stop(server)  # lost the display to another server: try another
    sys.exit("first_window: Xvfb did not start\n"
             + open(log.name, errors="replace").read()[-2000:])


class MapWatch:
    """One xev on the root window for the whole session, reporting MapNotify of
    top-level windows; Xvfb runs no window manager, so top-levels map on the root."""

    def __init__(self, env):
        # A server that has just told its display number may still turn the
        # first client away: try again for a while.
        errors = tempfile.TemporaryFile()
        for _ in range(25):
            self.process = subprocess.Popen(
                ["stdbuf", "-oL", "xev", "-root", "-event", "substructure"], env=env,
                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=errors,
                start_new_session=True)
            try:
                self.process.wait(timeout=0.2)
            except subprocess.TimeoutExpired:
                break  # still running: connected
        else:
            errors.seek(0)
            said = errors.read().decode(errors="replace").strip().splitlines()[-1:]
            raise Failure("; ".join(["xev cannot open the display"] + said))
        self.fd = self.process.stdout.fileno()
        os.set_blocking(self.fd, False)
        self.pending = b""
        self.read_at = 0
        # xev on the root prints nothing until something happens there: map a
        # throwaway window (xev's own) until the watcher reports it, so that no
        # map of a measured program can come before the watcher listens.
        for _ in range(20):
            probe = subprocess.Popen(["xev", "-geometry", "10x10+0+0"], env=env,
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL, start_new_session=True)
            try:
                seen = self.next_map(time.monotonic() + 0.5) is not None
            except Failure:
                stop(self.process)
                raise
            finally:
                stop(probe)
            if seen:
                break
        else:
            stop(self.process)
            raise Failure("xev on the root window reports no map")
        self.drain()

    def drain(self):
        try:
            while os.read(self.fd, 65536):
                pass
        except BlockingIOError:
            pass
        self.pending = b""

    def next_map(self, deadline):
        """(window id, monotonic ns when read) of the next MapNotify, or None at deadline."""
        while True:
            found = MAP_EVENT.search(self.pending)
            if found:
                self.pending = self.pending[found.end():]
                return found.group(1).decode(), self.read_at
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.fd], [], [], left)[0]:
                return None
            try:
                chunk = os.read(self.fd, 65536)
            except BlockingIOError:
                continue
            self.read_at = time.monotonic_ns()
            if not chunk:
                raise Failure("xev ended")
            self.pending += chunk


def window_pid(window, env):
    out = subprocess.run(["xprop", "-id", window, "_NET_WM_PID"], env=env,
                         stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL).stdout.decode()
    found = re.search(r"=\s*(\d+)", out)
    return int(found.group(1)) if found else None


def cpu_ms(pid):
    """Processor time of all the process's threads so far (schedstat, in ns)."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        except OSError:
            pass  # a thread that just ended
    return total / 1e6


def peak_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    raise Failure(f"no VmHWM for process {pid}")


def stop(process):
    """Ends the started process and its group (a session of its own), by id only."""
    for sig in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.killpg(process.pid, sig)
        except ProcessLookupError:
            break
        try:
            process.wait(timeout=3)
            break
        except subprocess.TimeoutExpired:
            continue
    process.wait()


def one_run(command, env, watch, work, timeout_s, settle_s):
    """(ms to map, processor ms to map, peak MiB) of one start of command."""
    watch.drain()
    errors = open(os.path.join(work, "stderr.log"), "wb")
    start = time.monotonic_ns()
    process = subprocess.Popen(command, env=env, cwd=work, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=errors,
                               start_new_session=True)
    try:
        deadline = time.monotonic() + timeout_s
        while True:
            event = watch.next_map(deadline)
            if event is None:
                state = (f"exited with status {process.poll()}" if process.poll() is not None
                         else f"no window within {timeout_s:g} s")
                raise Failure(state)
            window, mapped_at = event
            if window_pid(window, env) == process.pid:
                # Read at once: the program goes on painting after the map.
                cpu = cpu_ms(process.pid)
                break
        time.sleep(settle_s)
        if process.poll() is not None:
            raise Failure(f"exited with status {process.returncode} after its window mapped")
        return (mapped_at - start) / 1e6, cpu, peak_kib(process.pid) / 1024
    except Failure as e:
        errors.flush()
        tail = open(errors.name, errors="replace").read().strip().splitlines()[-5:]
        raise Failure("; ".join([str(e)] + tail))
    finally:
        stop(process)
        errors.close()


def load_average():
    return open("/proc/loadavg").read().split()[0]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=15)
    parser.add_argument("--warmup", type=int, default=1)
    parser.add_argument("--settle-ms", type=int, default=300)
    parser.add_argument("--timeout-s", type=float, default=20)
    parser.add_argument("programs", nargs="+", metavar="NAME=COMMAND")
    args = parser.parse_args()
    if args.runs < 1 or args.warmup < 0:
        parser.error("--runs must be at least 1 and --warmup not negative")
    programs = []
    for spec in args.programs:
        name, sep, command = spec.partition("=")
        if not sep or not name or not command.strip():
            parser.error(f"not NAME=COMMAND: {spec!r}")
        argv = shlex.split(command)
        if os.sep in argv[0]:  # the programs run in a folder of their own
            argv[0] = os.path.abspath(argv[0])
        programs.append((name, argv))

    work = tempfile.mkdtemp(prefix="first_window.")
    for sub in ("home", "config", "runtime"):
        os.makedirs(os.path.join(work, sub), mode=0o700)
    server, display = start_x_server(work)
    # A private home, configuration and runtime folder: the programs leave
    # nothing behind in the user's, and find nothing of it either.
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
               HOME=os.path.join(work, "home"), XDG_CONFIG_HOME=os.path.join(work, "config"),
               XDG_RUNTIME_DIR=os.path.join(work, "runtime"))
    results = {name: [] for name, _ in programs}
    width = max(len(name) for name, _ in programs)
    print(f"first_window: display {display}, {args.runs} runs each (+{args.warmup} warm-up), "
          f"peak memory {args.settle_ms} ms after the map; load average {load_average()}")
    failed = False
    watch = None
    name = "setup"
    try:
        watch = MapWatch(env)
        for round_ in range(-args.warmup, args.runs):
            # Take turns, and start each round with another program.
            order = programs[round_ % len(programs):] + programs[:round_ % len(programs)]
            for name, command in order:
                label = "warm-up" if round_ < 0 else f"run {round_ + 1:2}/{args.runs}"
                ms, cpu, mib = one_run(command, env, watch, work, args.timeout_s,
                                  args.settle_ms / 1000)
                print(f"{label}  {name:<{width}}  {ms:7.1f} ms  {cpu:6.1f} ms processor  "
                      f"{mib:6.1f} MiB", flush=True)
                if round_ >= 0:
                    results[name].append((ms, cpu, mib))
    except Failure as e:
        print(f"first_window: {name}: {e}", file=sys.stderr)
        if server.poll() is not None:
            print(f"first_window: the X server ended with status {server.returncode}:\n"
                  + open(os.path.join(work, "xvfb.log"), errors="replace").read()[-1500:],
                  file=sys.stderr)
        failed = True
    finally:
        if watch:
            stop(watch.process)
        stop(server)
        os.close(server.display_pipe)
        subprocess.run(["rm", "-rf", work])
    if failed:
        return 1

    print(f"\nload average at the end {load_average()} (figures are comparable within one run only)")
    medians = {}
    for name, _ in programs:
        ms = [r[0] for r in results[name]]
        cpu = [r[1] for r in results[name]]
        mib = [r[2] for r in results[name]]
        medians[name] = (statistics.median(ms), statistics.median(mib), statistics.median(cpu))
        print(f"{name:<{width}}  time to map (ms): min {min(ms):6.1f}  median {medians[name][0]:6.1f}"
              f"  max {max(ms):6.1f}   processor (ms): median {medians[name][2]:5.1f}"
              f"   peak memory (MiB): min {min(mib):5.1f}  median {medians[name][1]:5.1f}"
              f"  max {max(mib):5.1f}")
    base = programs[0][0]
    for name, _ in programs[1:]:
        print(f"RATIO {name}/{base}: time {medians[name][0] / medians[base][0]:.2f}x  "
              f"memory {medians[name][1] / medians[base][1]:.2f}x  "
              f"(processor time {medians[name][2] / medians[base][2]:.2f}x)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
