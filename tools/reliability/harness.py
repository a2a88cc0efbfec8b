"""Shared pieces of the reliability runs: the build's probe program, its feed
server, a private X display, a running copy of the program and its figures.

The runs drive the real program, built with the reliability probe
(app/probe/ReliabilityProbe.h): it prints the loaded store, every
status text and each cycle's longest event-loop gap, and takes "Check For New
Messages" through SIGUSR1. A hook in a separate executable keeps the program
users run free of it, and a signal reaches the command whether the window is
shown or hidden in the tray, where clicking a menu with xdotool would need the
tray icon's position on screen.
"""
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from processmemory import descendants, process_memory_kib  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.dirname(os.path.dirname(HERE))

LIST_FILES = ["kvt_url_list.dat", "kvt_ticker_list.dat", "kvt_subject_list.dat",
              "kvt_description_list.dat", "kvt_date_list.dat", "kvt_read_list.dat",
              "kvt_latest_list.dat", "kvt_latest_subject_list.dat"]
CHARTS_FILE = "kvt_charts_list.dat"

SETTINGS = ('<?xml version="1.0" encoding="iso-8859-1"?>\r\n<Configuration>\r\n'
            '  <PlaySound>TRUE</PlaySound>\r\n  <ShowBaloon>TRUE</ShowBaloon>\r\n'
            '  <ShowBrowser>{browser}</ShowBrowser>\r\n  <RefreshInterval>{interval}</RefreshInterval>\r\n'
            '  <KeepArticles>{keep}</KeepArticles>\r\n</Configuration>\r\n')


def build_port(build):
    """The feed server port the build was configured with (QUARLEN_FEED_SERVER)."""
    with open(os.path.join(build, "CMakeCache.txt")) as cache:
        for line in cache:
            m = re.match(r"QUARLEN_FEED_SERVER:\w+=http://127\.0\.0\.1:(\d+)", line)
            if m:
                return int(m.group(1))
    raise SystemExit("the build's QUARLEN_FEED_SERVER is not a loopback address with a port")


def probe_program(build):
    exe = os.path.join(build, "tools", "reliability", "quarlen-messenger-probe")
    if not os.access(exe, os.X_OK):
        raise SystemExit(f"{exe} is missing: cmake --build {build} --target quarlen-messenger-probe")
    return exe


class FeedServer:
    """The bundled feed server in a state folder of its own."""

    def __init__(self, state, port):
        self.state, self.port = state, port
        code = subprocess.call([os.path.join(TOP, "tools/feedserver/start"), state, str(port)])
        if code != 0:
            raise SystemExit(f"feed server did not start on port {port} (exit {code}; 1: something answers there)")
        self.published = 0

    def publish(self, symbol="SOAK"):
        self.published += 1
        subprocess.check_call([os.path.join(TOP, "tools/feedserver/publish"), "--state", self.state,
                               f"Reliability article {self.published} at {time.time():.3f}", symbol,
                               f"Article {self.published} & more, published by the reliability run."],
                              stdout=subprocess.DEVNULL)

    def stop(self):
        subprocess.call([os.path.join(TOP, "tools/feedserver/stop"), self.state])


def display_number(text):
    """--display: a number, or "auto" for one that no X server on this machine holds."""
    if text != "auto":
        return int(text)
    for _ in range(200):
        n = random.randint(200, 899)
        if not os.path.exists(f"/tmp/.X{n}-lock") and not os.path.exists(f"/tmp/.X11-unix/X{n}"):
            return n
    raise SystemExit("no free X display number")


class Display:
    """DISPLAY as given, or a private Xvfb on the given number; optionally a tray host."""

    def __init__(self, number=None, tray=False):
        self.procs = []
        if number is not None:
            self.name = f":{number}"
            xvfb = subprocess.Popen(["Xvfb", self.name, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.procs.append(xvfb)
            for _ in range(100):
                if os.path.exists(f"/tmp/.X11-unix/X{number}"):
                    break
                time.sleep(0.05)
        else:
            self.name = os.environ.get("DISPLAY") or raise_no_display()
        if tray:
            if not shutil.which("trayer"):
                raise SystemExit("trayer is not installed (tools/install-deps installs it)")
            env = dict(os.environ, DISPLAY=self.name)
            self.procs.append(subprocess.Popen(["trayer", "--edge", "top", "--align", "right", "--widthtype",
                                                "pixel", "--width", "120", "--height", "24"], env=env,
                                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
            time.sleep(1.0)

    def stop(self):
        for p in reversed(self.procs):
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()


def raise_no_display():
    raise SystemExit("no DISPLAY: pass --display N to start a private Xvfb")


class Program:
    """One run of the probe program with HOME in home; its output lines are kept
    with the time they arrived."""

    def __init__(self, exe, home, display, log, extra_env=None):
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"), DISPLAY=display,
                   QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox", **(extra_env or {}))
        env.pop("QT_QPA_PLATFORM", None)
        self.lines = []
        self.cond = threading.Condition()
        self.proc = subprocess.Popen([exe], env=env, stdout=subprocess.PIPE, stderr=log, stdin=subprocess.DEVNULL,
                                     start_new_session=True, text=True, bufsize=1)
        self.pid = self.proc.pid
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for line in self.proc.stdout:
            with self.cond:
                self.lines.append((time.monotonic(), line.rstrip("\n")))
                self.cond.notify_all()
        with self.cond:
            self.cond.notify_all()

    def wait_for(self, prefix, after=0, timeout=60.0):
        """The first line starting with prefix at index after or later: (index, time, line), or None."""
        deadline = time.monotonic() + timeout
        with self.cond:
            while True:
                for i in range(after, len(self.lines)):
                    if self.lines[i][1].startswith(prefix):
                        return i, self.lines[i][0], self.lines[i][1]
                left = deadline - time.monotonic()
                if left <= 0 or (self.proc.poll() is not None and not self.reader.is_alive()):
                    return None
                self.cond.wait(min(left, 0.2))

    def count(self):
        with self.cond:
            return len(self.lines)

    def statuses(self, after=0, before=None):
        """Status texts from line index after up to (not including) before."""
        with self.cond:
            return [l[7:].split(" ", 1)[1] for _, l in self.lines[after:before] if l.startswith("status ")]

    def signal(self, number):
        os.kill(self.pid, number)

    def kill9(self):
        """Kill -9 of the whole program: the main process first, then its engine processes."""
        try:
            os.kill(self.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        self.proc.wait()
        try:
            os.killpg(self.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        self.reader.join(5)

    def end(self):
        """SIGTERM, as a session logout ends it; kill -9 after 10 s."""
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                pass
        self.kill9()
        return self.proc.returncode


def memory_kib(pid):
    """The program's memory (main process and every process below it, the
    embedded browser's engine) in KiB: PSS, the private part of it (which a
    leak grows; PSS also moves as other programs share the same libraries),
    and the number of processes."""
    pss = private = count = 0
    for p in descendants(pid):
        memory = process_memory_kib(p)
        if memory is not None:
            pss += memory[0]
            private += memory[1]
            count += 1
    return pss, private, count


def read_lines(path):
    """A list file's entries as the program reads them (CR LF, lone CR or LF end a line)."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except FileNotFoundError:
        return None
    data = data.split(b"\0", 1)[0]
    if not data:
        return []
    entries = re.split(rb"\r\n|\r|\n", data)
    if data.endswith((b"\r", b"\n")):
        entries.pop()
    return [e.decode("utf-8", "replace") for e in entries]


def charts_count(path):
    """Images held by the charts file's header, or None when it is missing or not one."""
    try:
        with open(path, "rb") as f:
            head = f.read(28)
    except FileNotFoundError:
        return None
    if len(head) < 28 or head[:2] != b"IL":
        return None
    return int.from_bytes(head[4:6], "little")


def snapshot(config):
    return {name: read_lines(os.path.join(config, name)) for name in LIST_FILES}


def write_settings(home, keep=20, interval=30, browser=False):
    folder = os.path.join(home, ".config")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "KVTSettings.xml"), "w", newline="") as f:
        f.write(SETTINGS.format(keep=keep, interval=interval, browser="TRUE" if browser else "FALSE"))


def new_home(prefix):
    return tempfile.mkdtemp(prefix=prefix)


def exit_on_sigterm():
    """SIGTERM (and SIGINT, which a background job ignores) ends the run through
    its clean-up: program, display and server are stopped."""
    def stop(number, frame):
        raise SystemExit(f"stopped by signal {number}")
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
