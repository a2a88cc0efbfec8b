#!/usr/bin/env python3
"""Times the program's start: from exec to the moment the X server maps its
main window (a MapNotify on the root window, so no polling skews the figure).

    startup_time.py RUNS TITLE_PREFIX COMMAND [ARG...]

Each run starts COMMAND in a fresh home folder (the environment's
QUARLEN_BENCH_HOME_TEMPLATE, if set, is copied in first), waits for a
top-level window whose name starts with TITLE_PREFIX to be mapped, ends the
program with SIGTERM and waits for it. Prints each run's milliseconds and the
median. Needs DISPLAY; the display should have no window manager."""
import ctypes
import os
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
x11.XConnectionNumber.argtypes = [ctypes.c_void_p]
x11.XPending.argtypes = [ctypes.c_void_p]
x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
x11.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
x11.XFlush.argtypes = [ctypes.c_void_p]
MAP_NOTIFY = 19
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19


class MapEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("event", ctypes.c_ulong), ("window", ctypes.c_ulong),
                ("override_redirect", ctypes.c_int)]


class Event(ctypes.Union):
    _fields_ = [("xmap", MapEvent), ("pad", ctypes.c_long * 24)]


def window_name(display, window):
    name = ctypes.c_char_p()
    # The name may be set a moment after the map; a nameless window is not ours yet.
    if x11.XFetchName(display, window, ctypes.byref(name)) and name.value:
        return name.value.decode(errors="replace")
    return ""


def one_start(display, title, command):
    home = tempfile.mkdtemp()
    template = os.environ.get("QUARLEN_BENCH_HOME_TEMPLATE")
    if template:
        shutil.copytree(template, home, dirs_exist_ok=True)
    env = dict(os.environ, HOME=home)
    env.pop("XDG_CONFIG_HOME", None)
    fd = x11.XConnectionNumber(display)
    while x11.XPending(display):  # events of the previous run
        x11.XNextEvent(display, ctypes.byref(Event()))
    started = time.monotonic()
    program = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    mapped = None
    deadline = started + 30
    event = Event()
    while mapped is None and time.monotonic() < deadline:
        if not x11.XPending(display):
            select.select([fd], [], [], 0.5)
            continue
        x11.XNextEvent(display, ctypes.byref(event))
        if event.xmap.type == MAP_NOTIFY and not event.xmap.override_redirect:
            now = time.monotonic()
            if window_name(display, event.xmap.window).startswith(title):
                mapped = now
    program.send_signal(signal.SIGTERM)
    try:
        program.wait(20)
    except subprocess.TimeoutExpired:
        program.kill()
        program.wait()
    shutil.rmtree(home, ignore_errors=True)
    return None if mapped is None else (mapped - started) * 1000


def main():
    runs, title, command = int(sys.argv[1]), sys.argv[2], sys.argv[3:]
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("startup_time: no display")
    x11.XSelectInput(display, x11.XDefaultRootWindow(display), SUBSTRUCTURE_NOTIFY_MASK)
    x11.XFlush(display)
    times = []
    for _ in range(runs):
        ms = one_start(display, title, command)
        print(f"  start to mapped window: {'not mapped in 30 s' if ms is None else f'{ms:.0f} ms'}")
        if ms is not None:
            times.append(ms)
        time.sleep(1)  # the engine's helpers of the last run go away
    if times:
        print(f"start-up, exec to mapped main window: median {statistics.median(times):.0f} ms"
              f" ({min(times):.0f}-{max(times):.0f}) over {len(times)} starts")


main()
