#!/usr/bin/python3
"""What a screen reader finds in the running program, through the real
accessibility bus: the article table, its read states and their change when
an article is marked read from the keyboard, the Tab order of the window, the
named logo and banner, the status bar's age of the news, and the fields of
the network settings dialog.

    a11y_walk.py PROGRAM_PID WINDOW_ID     exits 0 when all holds, else says what failed
"""
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

pid, window = int(sys.argv[1]), sys.argv[2]
failures = []
events = []
# Waiting is bounded only so a broken run ends; nothing here judges speed.
PATIENCE = 20


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    if not ok:
        failures.append(what)


def pump(seconds=0.0):
    end = time.monotonic() + seconds
    context = GLib.MainContext.default()
    while True:
        while context.iteration(False):
            pass
        if time.monotonic() >= end:
            return
        time.sleep(0.05)


def wait(condition, what):
    end = time.monotonic() + PATIENCE
    while time.monotonic() < end:
        pump()
        value = condition()
        if value:
            check(True, what)
            return value
        time.sleep(0.1)
    check(False, what)
    return None


def key(*keys):
    subprocess.run(["xdotool", "key", "--clearmodifiers", *keys], check=True)


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    try:
        children = [node.getChildAtIndex(i) for i in range(node.childCount)]
    except Exception:
        return
    for child in children:
        yield from walk(child, depth + 1)


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:
            pass
    return None


def find(root, role=None, name=None):
    for node in walk(root):
        try:
            if (role is None or node.getRole() == role) and (name is None or node.name == name):
                return node
        except Exception:
            pass
    return None


focus_events = []


def focused(root=None):
    """What has the focus now, as a reader follows it: the source of the
    latest focus event (a table cell keeps its focused state after the table
    lost the focus, so walking for that state would mislead)."""
    return focus_events[-1] if focus_events else None


def record(event):
    events.append((event.type, event.source.name if event.source else ""))


def record_focus(event):
    if event.detail1 == 1 and event.source is not None:
        focus_events.append(event.source)


pyatspi.Registry.registerEventListener(record, "object:property-change:accessible-description")
pyatspi.Registry.registerEventListener(record_focus, "object:state-changed:focused")

app = wait(application, "the program appears on the accessibility bus")
if app is None:
    sys.exit(1)
table = wait(lambda: find(app, pyatspi.ROLE_TABLE, "Articles"), "a table named Articles")
if table is None:
    sys.exit(1)
cells = table.queryTable()
check([cells.getColumnDescription(c) for c in range(cells.nColumns)] == ["Chart", "Subject"],
      "the columns are named Chart and Subject")
check(cells.nRows == 3, "three rows, one per article (%d)" % cells.nRows)
for row in range(3):
    chart, subject = cells.getAccessibleAt(row, 0), cells.getAccessibleAt(row, 1)
    check(chart.name == "t%d chart" % row, "row %d's chart cell is named after its ticker (%r)" % (row, chart.name))
    check(subject.name == "Subject %d" % row, "row %d's subject cell is named after the subject" % row)
    check(subject.description == "unread, Desk - Mar %d 2007, Text %d" % (row + 1, row),
          "row %d describes read state, date line and description (%r)" % (row, subject.description))
check(find(app, name="Quarlen logo") is not None, "the logo has a name")
# The age of the news: a field of its own in the status bar, read out by its
# text; this run never reaches the feed server.
age = next((n for n in walk(app) if n.description == "When the news was last read from the feed server"), None)
check(age is not None and age.getRole() == pyatspi.ROLE_LABEL and age.name == "Not updated yet",
      "the status bar's age field reads 'Not updated yet' (%r)" % (age.name if age else None))
check(find(app, name="Banner") is not None, "the banner has a name")

# The keyboard alone: row 1, the context menu, its access key for "Mark as Read".
key("Down")
wait(lambda: (f := focused(app)) is not None and f.name in ("Subject 1", "t1 chart"), "Down makes row 1 current")
key("Menu")
pump(1)
key("r")
described = wait(lambda: [n for t, n in events if n in ("Subject 1", "t1 chart")],
                 "marking row 1 read announces the change of its description")
subject = cells.getAccessibleAt(1, 1)
check(subject.description.startswith("read, "), "row 1 now reads 'read' (%r)" % subject.description)
check(cells.getAccessibleAt(0, 1).description.startswith("unread, "), "row 0 stays unread")

# Tab through the window: reading order, never a trap, back to the grid.
grid_names = {"Subject 1", "t1 chart", "Articles"}


names = []
for _ in range(10):
    seen = len(focus_events)
    key("Tab")
    node = wait(lambda: len(focus_events) > seen and focus_events[-1], "Tab moves the focus")
    if node is None:
        break
    names.append(node.name if node.getRole() != pyatspi.ROLE_COMBO_BOX else node.description)
    if node.name in grid_names:
        break
print("Tab order:", names, flush=True)
visited = [n for n in names if n in ("Ticker", "Chart period", "GO!", "Contact Quarlen!") or n in grid_names]
check(visited[:4] == ["Ticker", "Chart period", "GO!", "Contact Quarlen!"] and visited[4:5] and
      visited[4] in grid_names, "Tab goes ticker, period, GO!, (tabs,) Contact and back to the grid: %s" % names)
seen = len(focus_events)
key("shift+Tab")
back = wait(lambda: len(focus_events) > seen and focus_events[-1], "Shift+Tab leaves the grid")
check(back is not None and back.name == "Contact Quarlen!", "Shift+Tab goes back to Contact (%s)"
      % (back.name if back else None))
key("Tab")
wait(lambda: (f := focused(app)) is not None and f.name in grid_names, "Tab returns to the grid")
key("ctrl+Tab")
wait(lambda: (f := focused(app)) is not None and f.name == "Ticker", "Ctrl+Tab leaves the grid for the ticker")

# The network settings dialog from the menu's access keys.
key("alt+o")
pump(1)
key("n")
dialog = wait(lambda: find(app, pyatspi.ROLE_DIALOG, "Network Settings"), "the network settings dialog opens")
if dialog is not None:
    for name in ("Hostname", "Port", "Username", "Password"):
        check(find(dialog, name=name) is not None, "a field named %s" % name)
    port = find(dialog, name="Port")
    if port is not None:
        shown = port.queryText().getText(0, -1) if "Text" in pyatspi.listInterfaces(port) else None
        value = port.queryValue().currentValue
        check(shown is None or str(int(value)) == shown, "the port reports the value it shows (%s, %r)"
              % (value, shown))
        check(int(value) == 3128, "the port reports the stored 3128, not 0 (%s)" % value)
    key("alt+c")
    wait(lambda: find(app, pyatspi.ROLE_DIALOG, "Network Settings") is None or
         not find(app, pyatspi.ROLE_DIALOG, "Network Settings").getState().contains(pyatspi.STATE_SHOWING),
         "Cancel's access key closes the dialog")

print("events:", events, flush=True)
sys.exit(1 if failures else 0)
