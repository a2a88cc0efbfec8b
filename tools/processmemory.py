"""The memory of a program as the machine sees it: the program's process and
every process below it (the embedded browser's helper processes), read from
/proc. Used by tools/pss-total and the reliability runs."""
import os


def descendants(root):
    """root and every process below it, root first."""
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                stat = f.read()
            # The command in parentheses may hold blanks; the parent pid follows it.
            ppid = int(stat[stat.rindex(")") + 2:].split()[1])
        except (OSError, ValueError, IndexError):
            continue
        children.setdefault(ppid, []).append(int(entry))
    found, todo = [], [root]
    while todo:
        pid = todo.pop()
        found.append(pid)
        todo.extend(children.get(pid, []))
    return found


def process_memory_kib(pid):
    """PSS and private (unshared) memory of one process, in KiB; None when it is gone.
    PSS shares each shared page among the processes that map it, so it drops when
    other programs map the same libraries; the private part does not, so it shows growth."""
    pss = private = 0
    try:
        with open(f"/proc/{pid}/smaps_rollup") as f:
            for line in f:
                if line.startswith("Pss:"):
                    pss = int(line.split()[1])
                elif line.startswith(("Private_Clean:", "Private_Dirty:")):
                    private += int(line.split()[1])
    except OSError:
        return None
    return pss, private
