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
# Needs a display and xdotool; the read-only case as root needs a mount
# namespace of its own.
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
