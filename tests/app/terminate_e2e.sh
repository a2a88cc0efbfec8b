#!/usr/bin/env bash
# Starts the program where its config folder cannot be made, in two ways:
#   blocked   a plain file of that name stands in its place;
#   readonly  the application-data folder is read-only, so neither the folder
#             nor the settings files can be written.
# Passes when each case shows the "Error creating config folder" boxes and, once
# they are closed, the program ends by itself with exit code 0. In the blocked
# case both settings files are written. In the read-only case the boxes about
# the settings files are left open for 11 s each and must still be there
# then: no timer work may run from their loops (the update check is due 10 s
# after start-up), and exactly the four boxes the program names appear.
# Then the exit on a slow disk made with strace, whose every fsync (the list
# saves' files and folder) is held for the row's delay: three rows deleted
# with the keyboard and SIGTERM right after. Each row says how the exit must go:
#   slow          every delete is in the list files; exit code 0
#   second signal the same with a second SIGTERM during the exit, which
#                 neither spins a core nor cuts the saves short
#   too slow      a save outlasts the 10 s limit: the program ends all the
#                 same, says so on standard error, and the list files are
#                 whole (all of equal length)
#   session       the program is a client of a real session manager (xsm,
#                 which shuts its session down on SIGTERM: save yourself,
#                 then die); every delete is in the list files
# Needs a display and xdotool; the read-only case as root needs a mount
# namespace of its own; the slow-disk rows need strace, the session row xsm
# and iceauth.
program=$1
source "$(dirname "$0")/e2e_lib.sh"
needs_display
e2e_setup

# close_boxes HOLD_FROM: closes the program's boxes as they come, holding those
# from the HOLD_FROMth on for 11 s each, and waits for the program to end;
# sets $boxes and $code.
close_boxes() {
  local box
  boxes=0
  : >"$home/seen"
  for _ in $(seq 600); do
    has_ended $pid && break
    for box in $(xdotool search --pid $pid --onlyvisible --name "^Quarlen Messenger$" 2>/dev/null); do
      [ "$box" = "$(main_window $pid)" ] && continue
      if ! grep -qx "$box" "$home/seen"; then
        echo "$box" >>"$home/seen"
        boxes=$((boxes + 1))
        # Held past the update check's 10 s; a crash shows in the exit code.
        if [ $boxes -ge $1 ]; then
          sleep 11
          is_mapped "$box" || fail "box $boxes closed by itself"
        fi
      fi
      xdotool windowfocus "$box" >/dev/null 2>&1
      xdotool key --window "$box" Return 2>/dev/null
      # The box goes on the key press, so xdotool's release can fail on the
      # vanished window; a Return left held down would then auto-repeat into
      # every later box and close it at once.
      xdotool keyup Return 2>/dev/null
    done
    sleep 0.2
  done
  has_ended $pid || fail "the program did not end after $boxes boxes"
  wait $pid
  code=$?
  [ $code -eq 0 ] || fail "exit code $code"
}

mkdir -p "$home/.config"
echo "not a folder" >"$home/.config/QuarlenMessenger"
start_program blocked.log
close_boxes 1000
[ $boxes -ge 1 ] || fail "blocked: no message box"
for f in KVTSettings.xml KVTNetworkSettings.xml; do
  [ -s "$home/.config/$f" ] || fail "blocked: $f not written"
done

# slow_exit NAME FSYNC_DELAY_MICROSECONDS SECOND_SIGNAL [session]: the row's
# run; sets $code (not for the session row, whose program is xsm's child).
slow_exit() {
  local name=$1 delay=$2 second=$3 way=${4:-signal} tracer session ticks
  rm -rf "$home/.config" "$home"/.XSM* "$home"/.SM-* "$home/.xsmstartup"
  put_list url http://news.example.org/a{0,1,2,3,4}.html
  put_list ticker t0 t1 t2 t3 t4
  put_list subject "Subject "{0,1,2,3,4}
  put_list description "Text "{0,1,2,3,4}
  put_list date "Desk - Mar "{1,2,3,4,5}" 2007"
  put_list read unread unread unread unread unread
  if [ "$way" = session ]; then
    # xsm starts the session's clients from this file, with SESSION_MANAGER set.
    echo "$program" >"$home/.xsmstartup"
    HOME=$home XDG_CONFIG_HOME= PATH=$home/bin:$PATH xsm >"$home/slow-$name.log" 2>&1 &
    session=$!
    started_pids+=("$session")
    waitfor 300 eval 'wid=$(find_main_window_anywhere); [ -n "$wid" ]' || fail "$name: no window"
    pid=$(xdotool getwindowpid "$wid")
  else
    start_program "slow-$name.log"
    waitfor 300 has_main_window $pid || fail "$name: no window"
    wid=$(main_window $pid)
  fi
  # The disk turns slow once the window is up: strace holds every fsync of
  # every thread of the program (started under strace, the engine's helper
  # processes would be traced too, and their start-up can stall).
  strace -p "$pid" -f -qq -o "${STRACE_LOG:-/dev/null}" -tt -e trace=fsync -e "inject=fsync:delay_exit=$delay" &
  tracer=$!
  started_pids+=("$tracer")
  waitfor 100 traced "$pid" || fail "$name: strace did not attach"
  waitfor 100 is_mapped "$wid" || fail "$name: the window is not shown"
  sleep 2
  # Row 0, then two more rows while the first save is still on the disk.
  xdotool windowfocus "$wid" key --window "$wid" Home Delete Down Delete Down Delete
  sleep 0.3
  if [ "$way" = session ]; then
    kill -TERM $session
    waitfor 250 has_ended $pid || fail "$name: the program did not end with its session"
    return
  fi
  kill -TERM $pid
  if [ "$second" = yes ]; then
    sleep 0.5
    kill -TERM $pid 2>/dev/null
    # The exit waits on the disk: the process sleeps, it does not spin.
    ticks=$(awk '{ print $14 + $15 }' /proc/$pid/stat 2>/dev/null || echo 0)
    sleep 2
    if ! has_ended $pid; then
      ticks=$(($(awk '{ print $14 + $15 }' /proc/$pid/stat 2>/dev/null || echo $ticks) - ticks))
      [ $ticks -lt $(($(getconf CLK_TCK) * 3 / 2)) ] || fail "$name: $ticks clock ticks of CPU in 2 s of exit"
    fi
  fi
  waitfor 250 has_ended $pid || fail "$name: the program did not end"
  wait $pid
  code=$?
  [ $code -eq 0 ] || fail "$name: exit code $code"
}
# traced PID: every thread of PID is under a tracer.
traced() { ! grep -qs '^TracerPid:[[:space:]]*0$' /proc/"$1"/task/*/status; }
find_main_window_anywhere() { xdotool search --all --name "^${program_title//./\\.}\$" 2>/dev/null | head -1; }
lines() { grep -c '' "$home/.config/QuarlenMessenger/kvt_$1_list.dat"; }

if command -v strace >/dev/null && strace -f -qq -o /dev/null -e trace=fsync -e inject=fsync:delay_exit=1 true 2>/dev/null; then
  rows=("slow 150000 no" "second-signal 150000 yes" "too-slow 3000000 no")
  if command -v xsm >/dev/null && command -v iceauth >/dev/null; then
    rows+=("session 150000 no session")
  else
    echo "xsm or iceauth is missing: the session row is left out"
  fi
  for row in "${rows[@]}"; do
    set -- $row
    slow_exit "$@"
    urls=$(tr -d '\r' <"$home/.config/QuarlenMessenger/kvt_url_list.dat" | paste -sd,)
    for list in ticker subject description date read; do
      [ "$(lines $list)" = "$(lines url)" ] || fail "$1: kvt_${list}_list.dat has $(lines $list) lines, url $(lines url)"
    done
    if [ "$1" = too-slow ]; then
      grep -q "still being written after 10 s" "$home/slow-$1.log" || fail "$1: nothing said on standard error"
    else
      # Three distinct rows went (which ones depends on when the grid shows the first save).
      [ "$(lines url)" = 2 ] && ! grep -q a0.html "$home/.config/QuarlenMessenger/kvt_url_list.dat" ||
        fail "$1: the lists hold $urls"
      grep -q "still being written" "$home/slow-$1.log" && fail "$1: the saves were cut short"
    fi
    echo "$1: $urls"
  done
else
  echo "strace with fault injection is missing: the slow-disk rows are left out"
fi

readonly_home=$home/readonly
mkdir -p "$readonly_home/.config"
if [ "$(id -u)" -eq 0 ]; then
  # Root writes through permission bits; a read-only mount stops it.
  unshare -m true 2>/dev/null || skip "the read-only case needs unshare -m as root"
  HOME=$readonly_home XDG_CONFIG_HOME= unshare -m sh -c \
    'mount --bind -o ro "$HOME/.config" "$HOME/.config" && exec "$0"' "$program" >"$home/readonly.log" 2>&1 &
else
  chmod a-w "$readonly_home/.config"
  HOME=$readonly_home XDG_CONFIG_HOME= "$program" >"$home/readonly.log" 2>&1 &
fi
pid=$!
started_pids+=("$pid")
# Two folder boxes (loading the lists, completing the start-up), then one for
# each settings file that can't be written at the end.
close_boxes 3
[ $boxes -eq 4 ] || fail "read-only: $boxes boxes, not 4"
chmod -R u+w "$readonly_home"
echo "PASS"
