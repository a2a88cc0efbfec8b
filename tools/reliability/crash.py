#!/usr/bin/env python3
"""Crash safety: kill -9 the program at random moments and check what the next
start loads.

Each run starts the program on the same configuration folder and kills it
(main and engine processes, SIGKILL) at a moment drawn at random from one of
three spans, in turn:
  start-up  between the start and the end of the start-up load;
  cycle     anywhere in a refresh cycle run through "Check For New Messages";
  save      from the status "Saving lists" to the end of the cycle (the save of
            the nine files, the reload that rebuilds the grid, the announcement).
Between runs the feed server gets 0 to 2 new articles (so cycles merge and
trim), the keep limit moves between 10 and 25, and some articles are marked
read or unread in the read list, the state that marking leaves on disk. In
one run of ten the charts file is cut short at a random byte, as a writer
killed halfway would leave it.

At each start the script checks what the program loaded and what lies on disk:
  - the nine list files load with equal lengths (url, ticker, subject,
    description, date, read and the charts file's images; latest and latest
    subject) and the program holds as many articles as the url file;
  - every article stored before the killed operation began is still there, in
    its order and with its read state, unless the operation's trim removed it
    (then it is among the oldest and the store holds exactly the keep limit);
  - the charts file never costs an article: the store holds one thumbnail per
    article even where the charts file on disk holds another count.
It prints the count of runs, of kills in each span and of failures.

    python3 tools/reliability/crash.py [--build build] [--runs 300] [--display N|auto] [--seed S]
    python3 tools/reliability/crash.py --short   # 21 kills, 7 in each span (the test suite's form)

Deleting an article from the grid is not driven: the program has no delete
command yet, so no kill can fall inside one.
"""
import argparse
import os
import random
import shutil
import signal
import sys
import time
from collections import Counter

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

SPANS = ["start-up", "cycle", "save"]


def loaded_counts(line):
    return {k: int(v) for k, v in (f.split("=") for f in line.split()[2:])}


class Checker:
    def __init__(self, config):
        self.config = config
        self.reference = None  # the stored state before the killed operation began
        self.keep = 20  # the keep limit in force for the next cycle
        self.keeps = []  # the keep limits of the cycles run since the reference was taken
        self.failures = []

    def check(self, run, counts):
        problems = []
        disk = harness.snapshot(self.config)
        charts = harness.charts_count(os.path.join(self.config, harness.CHARTS_FILE))
        per_article = [disk[n] for n in harness.LIST_FILES[:6]]
        lengths = [len(x) if x is not None else 0 for x in per_article]
        if len(set(lengths)) != 1:
            problems.append(f"list files of unequal length {lengths}")
        latest = [len(disk[n] or []) for n in harness.LIST_FILES[6:]]
        if latest[0] != latest[1]:
            problems.append(f"latest lists of unequal length {latest}")
        held = [counts[k] for k in ("url", "ticker", "subject", "description", "date", "read", "charts",
                                    "refresh_charts")]
        if len(set(held)) != 1:
            problems.append(f"the program holds lists of unequal length {held}")
        if counts["latest"] != counts["latest_subject"]:
            problems.append("the program holds latest lists of unequal length")
        if counts["url"] != lengths[0]:
            problems.append(f"the program holds {counts['url']} articles, the url file {lengths[0]}")
        charts_differs = charts != lengths[0]

        if self.reference is not None:
            old_urls, old_read = self.reference
            new_urls = disk["kvt_url_list.dat"] or []
            new_read = dict(zip((u.lower() for u in new_urls), disk["kvt_read_list.dat"] or []))
            kept = [u for u in old_urls if u.lower() in new_read]
            missing = len(old_urls) - len(kept)
            if kept != old_urls[:len(kept)]:
                problems.append(f"{missing} stored articles missing, not the oldest ones")
            elif missing and len(new_urls) not in self.keeps:
                problems.append(f"{missing} oldest articles missing while the store holds {len(new_urls)}, "
                                f"not the keep limit of a cycle since then {self.keeps}")
            order = [u.lower() for u in new_urls if u.lower() in {k.lower() for k in kept}]
            if order != [u.lower() for u in kept]:
                problems.append("stored articles changed their order")
            changed = sum(1 for u, r in zip(old_urls, old_read) if u.lower() in new_read and new_read[u.lower()] != r)
            if changed:
                problems.append(f"{changed} read states changed")
        if problems:
            self.failures.append((run, problems))
        return problems, charts_differs

    def remember(self):
        disk = harness.snapshot(self.config)
        self.reference = (disk["kvt_url_list.dat"] or [], disk["kvt_read_list.dat"] or [])
        self.keeps = []


def flip_marks(config, rng):
    """Marks one to three articles read or unread, as the grid's commands leave
    the read list; returns {url: new state}. Nothing while a cut-off save waits
    to be finished by the next start."""
    path = os.path.join(config, "kvt_read_list.dat")
    entries = harness.read_lines(path)
    urls = harness.read_lines(os.path.join(config, "kvt_url_list.dat"))
    if not entries or urls is None or len(urls) != len(entries) or \
            os.path.exists(os.path.join(config, "kvt_save_journal.dat")):
        return {}
    flipped = {}
    for i in rng.sample(range(len(entries)), min(len(entries), rng.randint(1, 3))):
        entries[i] = "read" if entries[i] == "unread" else "unread"
        flipped[urls[i].lower()] = entries[i]
    tmp = path + ".marks"
    with open(tmp, "wb") as f:
        f.write(b"".join(e.encode() + b"\r\n" for e in entries))
    os.replace(tmp, path)
    return flipped


def damage_charts(config, rng):
    path = os.path.join(config, harness.CHARTS_FILE)
    if os.path.exists(path) and not os.path.exists(os.path.join(config, "kvt_save_journal.dat")):
        size = os.path.getsize(path)
        os.truncate(path, rng.randint(0, max(0, size - 1)))
        return True
    return False


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default=os.path.join(harness.TOP, "build"))
    ap.add_argument("--runs", type=int, default=300)
    ap.add_argument("--display", type=harness.display_number)
    ap.add_argument("--seed", type=int, default=int(time.time()))
    ap.add_argument("--short", action="store_true", help="21 kills, for the test suite")
    args = ap.parse_args()
    if args.short:
        args.runs = 21
    harness.exit_on_sigterm()
    rng = random.Random(args.seed)

    exe = harness.probe_program(args.build)
    port = harness.build_port(args.build)
    home = harness.new_home("quarlen-crash-")
    config = os.path.join(home, ".config", "QuarlenMessenger")
    server = harness.FeedServer(os.path.join(home, "feedserver"), port)
    display = harness.Display(args.display)
    log = open(os.path.join(home, "program.log"), "w")
    checker = Checker(config)
    spans_hit = Counter()
    phases = Counter()
    journals = charts_mismatch = damaged = 0
    print(f"crash: {args.runs} kills, seed {args.seed}, port {port}", flush=True)

    # A first, whole run fills the store and measures the spans.
    harness.write_settings(home, keep=checker.keep, interval=60)
    program = harness.Program(exe, home, display.name, log)
    t0 = time.monotonic()
    first = program.wait_for("loaded", timeout=60)
    if not first:
        raise SystemExit("the program did not start")
    load_s = first[1] - t0
    mark = program.count()
    program.signal(signal.SIGUSR1)
    end = program.wait_for("cycle-end", after=mark, timeout=120)
    save_at = next((t for t, l in program.lines[mark:] if l.endswith(" Saving lists")), None)
    cycle_s = end[1] - program.lines[mark][0] if end else 1.0
    save_s = end[1] - save_at if end and save_at else 0.2
    program.end()
    print(f"crash: start-up load {load_s * 1000:.0f} ms, cycle {cycle_s * 1000:.0f} ms, "
          f"save to end of cycle {save_s * 1000:.0f} ms", flush=True)

    try:
        for run in range(1, args.runs + 1):
            span = SPANS[run % 3]
            for _ in range(rng.randint(0, 2)):
                server.publish(symbol=f"K{run % 5}")
            checker.keep = rng.randint(10, 25)
            harness.write_settings(home, keep=checker.keep, interval=60)
            if rng.random() < 0.3:
                flipped = flip_marks(config, rng)
                if checker.reference is not None:
                    urls, reads = checker.reference
                    checker.reference = (urls, [flipped.get(u.lower(), r) for u, r in zip(urls, reads)])
            if rng.random() < 0.1:
                damaged += damage_charts(config, rng)
            program = harness.Program(exe, home, display.name, log)
            started = time.monotonic()
            if span == "start-up":
                delay = rng.uniform(0, load_s * 1.1)
                time.sleep(delay)
                loaded = program.wait_for("loaded", timeout=0)
            else:
                loaded = program.wait_for("loaded", timeout=60)
            if loaded:
                problems, differs = checker.check(run, loaded_counts(loaded[2]))
                charts_mismatch += differs
                for p in problems:
                    print(f"run {run}: FAIL {p}", flush=True)
                checker.remember()
            elif span != "start-up":
                checker.failures.append((run, ["no start"]))
                print(f"run {run}: FAIL the program did not load its store", flush=True)
            if span != "start-up" and loaded:
                mark = program.count()
                checker.keeps.append(checker.keep)
                program.signal(signal.SIGUSR1)
                if span == "cycle":
                    time.sleep(rng.uniform(0, cycle_s * 1.1))
                else:
                    at = program.wait_for("status", after=mark, timeout=30)
                    while at and not at[2].endswith(" Saving lists"):
                        at = program.wait_for("status", after=at[0] + 1, timeout=30)
                    time.sleep(rng.uniform(0, save_s))
            program.kill9()
            spans_hit[span] += 1
            statuses = [l for _, l in program.lines if l.startswith(("status", "loaded", "cycle-end"))]
            last = (statuses[-1].split(" ", 2)[-1] if statuses and statuses[-1].startswith("status")
                    else (statuses[-1].split()[0] if statuses else "before the load"))
            phases[last.split(" http")[0]] += 1
            if os.path.exists(os.path.join(config, "kvt_save_journal.dat")):
                journals += 1
            if run % 50 == 0:
                print(f"crash: {run} runs, {len(checker.failures)} failures, "
                      f"{time.monotonic() - started:.1f} s the last", flush=True)
        # The start after the last kill is checked too.
        program = harness.Program(exe, home, display.name, log)
        loaded = program.wait_for("loaded", timeout=60)
        if loaded:
            checker.check(args.runs + 1, loaded_counts(loaded[2]))
        program.end()
    finally:
        display.stop()
        server.stop()
        log.close()
    print(f"crash: kills by span: {dict(spans_hit)}", flush=True)
    print("crash: last thing shown before the kill: " +
          ", ".join(f"{k!r} {v}" for k, v in phases.most_common()), flush=True)
    print(f"crash: kills that left a save journal (cut between renames): {journals}; charts files cut short: "
          f"{damaged}; starts whose charts file held another count than the lists: {charts_mismatch}", flush=True)
    print(f"crash: {args.runs} runs, {len(checker.failures)} failures", flush=True)
    for run, problems in checker.failures:
        print(f"  run {run}: {'; '.join(problems)}")
    if not checker.failures:
        shutil.rmtree(home, ignore_errors=True)
    else:
        print(f"crash: kept {home}")
    return 1 if checker.failures else 0


if __name__ == "__main__":
    sys.exit(main())
