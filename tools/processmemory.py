"""The memory of a program as the machine sees it: the program's process and
every process below it (the embedded browser's helper processes), read from
/proc. Used by tools/pss-total and the reliability runs."""
import os
import struct


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


# Mappings of shared memory without a file on disk behind them: the browser
# engine's buffers between its processes. They count as anonymous memory.
_SHMEM_PREFIXES = ("/memfd:", "/dev/shm/", "/SYSV", "/dev/zero")


def _mappings_with_pages(pid):
    """(start, end, name) of every mapping of pid that has resident pages; smaps
    tells which, so the engine's many gigabytes of reserved address space are skipped."""
    found = []
    current = None
    with open(f"/proc/{pid}/smaps") as f:
        for line in f:
            first = line.split(maxsplit=1)[0]
            if "-" in first and not first.endswith(":"):
                parts = line.split(maxsplit=5)
                start, end = (int(x, 16) for x in parts[0].split("-"))
                current = (start, end, parts[5].strip() if len(parts) > 5 else "")
            elif first == "Rss:" and current and int(line.split()[1]) > 0:
                found.append(current)
    return found


def mapping_kind(name):
    """A short label of a mapping for the breakdown: the file's name, or the kind of anonymous memory."""
    if not name:
        return "[anonymous]"
    if name.startswith(_SHMEM_PREFIXES):
        return "[shared memory]"
    if name.startswith("["):
        return name.split(":")[0] + ("]" if ":" in name else "")
    return os.path.basename(name.replace(" (deleted)", ""))


def resident_pages(pids):
    """Every physical page resident in any of pids, each counted once (read from
    /proc/PID/pagemap, which needs root for the frame numbers). Returns
    {frame: (pid, mapping label, anonymous)}: the first process and mapping met
    that holds the page. Anonymous: not a page of a file on disk (private
    anonymous memory, copied-on-write file pages and shared memory)."""
    pages = {}
    page_size = os.sysconf("SC_PAGE_SIZE")
    for pid in pids:
        try:
            mappings = _mappings_with_pages(pid)
            pagemap = open(f"/proc/{pid}/pagemap", "rb")
        except OSError:
            continue
        with pagemap:
            for start, end, name in mappings:
                label = mapping_kind(name)
                shmem = label == "[shared memory]"
                pagemap.seek(start // page_size * 8)
                data = pagemap.read((end - start) // page_size * 8)
                for (entry,) in struct.iter_unpack("<Q", data):
                    if not entry >> 63:  # not present (swapped or never touched)
                        continue
                    frame = entry & ((1 << 55) - 1)
                    if frame == 0:
                        raise PermissionError("pagemap hides frame numbers: run as root")
                    if frame not in pages:
                        # Bit 61: a page of a file or shared memory; clear for private anonymous pages.
                        pages[frame] = (pid, label, shmem or not (entry >> 61) & 1)
    return pages
