#!/usr/bin/env python3
"""Soak: the program hidden in a real tray (trayer) runs "Check For New
Messages" once a minute for an hour against the bundled feed server, which
gets a new article before every cycle (so every cycle merges, trims, fetches
the thumbnails, saves and shows a balloon). Prints each cycle's duration and
longest gap between two event-loop turns, and every 10 minutes the whole
program's memory: the PSS of the main process and of every engine process
below it, from /proc/PID/smaps_rollup.

    python3 tools/reliability/soak.py [--build build] [--minutes 60] [--interval 60]
                                      [--every 10] [--display N|auto]
    python3 tools/reliability/soak.py --short   # 2 minutes, a cycle every 10 s (the test suite's form)

The build must have the probe program (target quarlen-messenger-probe); the
feed server runs on the port the build was configured for.
"""
import argparse
import os
import shutil
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402


def main_window_mapped(pid, display):
    """True when the main window is on screen; the tray icon and a balloon are windows of their own."""
    env = dict(os.environ, DISPLAY=display)
    ids = subprocess.run(["xdotool", "search", "--pid", str(pid), "--name", "Quarlen Messenger"],
                         env=env, capture_output=True, text=True).stdout.split()
    for wid in ids:
        info = subprocess.run(["xwininfo", "-id", wid], env=env, capture_output=True, text=True).stdout
        if '"Quarlen Messenger 1.' in info:
            return "IsViewable" in info
    return False


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default=os.path.join(harness.TOP, "build"))
    ap.add_argument("--minutes", type=float, default=60)
    ap.add_argument("--interval", type=float, default=60, help="seconds between cycles")
    ap.add_argument("--every", type=float, default=10, help="minutes between memory figures")
    ap.add_argument("--display", type=harness.display_number, help="start a private Xvfb on this display number")
    ap.add_argument("--short", action="store_true", help="2 minutes, a cycle every 10 s, for the test suite")
    args = ap.parse_args()
    if args.short:
        args.minutes, args.interval, args.every = 2, 10, 1
    harness.exit_on_sigterm()

    exe = harness.probe_program(args.build)
    port = harness.build_port(args.build)
    home = harness.new_home("quarlen-soak-")
    # Bringing the window forward for new articles would end "hidden in the tray".
    harness.write_settings(home, keep=20, interval=60, browser=False)
    server = harness.FeedServer(os.path.join(home, "feedserver"), port)
    display = harness.Display(args.display, tray=True)
    log = open(os.path.join(home, "program.log"), "w")
    program = harness.Program(exe, home, display.name, log)
    failures = 0
    try:
        if not program.wait_for("loaded", timeout=60):
            raise SystemExit("the program did not start")
        # The start-up cycle (10 s after start) runs first, as it would for a user.
        program.wait_for("status", timeout=5)
        time.sleep(15)
        program.signal(signal.SIGUSR2)
        hidden = program.wait_for("hidden", timeout=10)
        print(f"soak: {args.minutes:g} min, a cycle every {args.interval:g} s, port {port}; "
              f"{hidden[2] if hidden else 'hide: no answer'}; main window mapped {main_window_mapped(program.pid, display.name)}",
              flush=True)
        print("cycle  minute  duration_ms  longest_gap_ms  articles  last_status", flush=True)
        start = time.monotonic()
        next_memory = 0.0
        n = 0
        gaps = []
        while time.monotonic() - start < args.minutes * 60:
            due = start + n * args.interval
            time.sleep(max(0.0, due - time.monotonic()))
            n += 1
            server.publish(symbol=f"S{n % 7}")
            mark = program.count()
            program.signal(signal.SIGUSR1)
            end = program.wait_for("cycle-end", after=mark, timeout=max(args.interval, 130))
            urls = harness.read_lines(os.path.join(home, ".config/QuarlenMessenger/kvt_url_list.dat")) or []
            # Up to the cycle's end: a banner reload may show "Connected" just after it.
            statuses = program.statuses(mark, end[0] if end else None)
            minute = (time.monotonic() - start) / 60
            if end is None:
                failures += 1
                print(f"{n:5d}  {minute:6.1f}  no end of cycle within the wait; statuses {statuses}", flush=True)
                if program.proc.poll() is not None:
                    print(f"soak: the program ended with code {program.proc.returncode}", flush=True)
                    break
                continue
            _, _, duration, gap = end[2].split()
            gaps.append(int(gap))
            last = statuses[-1] if statuses else "-"
            # Every cycle against the bundled server should get through to the end.
            failed = last != "Ready"
            failures += failed
            print(f"{n:5d}  {minute:6.1f}  {duration:>11}  {gap:>14}  {len(urls):8d}  {last}"
                  f"{'  FAIL: not Ready' if failed else ''}", flush=True)
            if minute >= next_memory or n == 1:
                kib, private, procs = harness.memory_kib(program.pid)
                print(f"memory at minute {minute:5.1f}: PSS {kib / 1024:7.1f} MiB (private {private / 1024:.1f} MiB) "
                      f"in {procs} processes; "
                      f"main window mapped {main_window_mapped(program.pid, display.name)}", flush=True)
                next_memory = (int(minute / args.every) + 1) * args.every
        kib, private, procs = harness.memory_kib(program.pid)
        print(f"memory at the end ({(time.monotonic() - start) / 60:.1f} min): PSS {kib / 1024:.1f} MiB "
              f"(private {private / 1024:.1f} MiB) in {procs} processes", flush=True)
        if gaps:
            print(f"cycles {n}, failed {failures}; longest gap per cycle: median {sorted(gaps)[len(gaps) // 2]} ms, "
                  f"largest {max(gaps)} ms", flush=True)
    finally:
        code = program.end()
        print(f"soak: SIGTERM exit code {code}", flush=True)
        display.stop()
        server.stop()
        log.close()
        if failures == 0:
            shutil.rmtree(home, ignore_errors=True)
        else:
            print(f"soak: kept {home}", flush=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
