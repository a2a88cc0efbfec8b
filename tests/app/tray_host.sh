# Sourced by the end-to-end tests that need a notification area: a private
# Xvfb with trayer on it, a fresh home folder, and helpers to find the windows.
# Everything started here ends with the test.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
home=$(mktemp -d)
started_pids=()
cleanup() {
  local p
  for p in "${started_pids[@]}"; do kill -KILL "$p" 2>/dev/null; wait "$p" 2>/dev/null; done
  rm -rf "$home"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; for f in "$home"/*.log; do [ -f "$f" ] && { echo "--- $f"; cat "$f"; }; done; exit 1; }

# waitfor TENTHS COMMAND...: true once COMMAND succeeds, false after TENTHS tenths of a second.
waitfor() {
  local tries=$1
  shift
  for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.1; done
  return 1
}

# A display of our own: the shared test display has no tray, and other tests rely on that.
# A display number another server let go of a moment ago can still refuse the
# first client, so the server and its panel get a second try.
start_tray_host() {
  Xvfb -displayfd 4 -screen 0 1280x1024x24 -nolisten tcp 4>"$home/display" 2>"$home/xvfb.log" &
  started_pids+=($!)
  waitfor 100 grep -q '[0-9]' "$home/display" || return 1
  export DISPLAY=:$(tr -dc 0-9 <"$home/display")
  trayer --edge top --align right --widthtype pixel --width 120 --height 24 >"$home/trayer.log" 2>&1 &
  started_pids+=($!)
  waitfor 100 has_panel
}
panel_window() { xdotool search --name '^panel$' 2>/dev/null | head -1; }
has_panel() { [ -n "$(panel_window)" ]; }
for tool in Xvfb trayer xdotool xwininfo; do
  command -v $tool >/dev/null || { echo "SKIP: needs $tool (tools/install-deps installs it)"; exit 77; }
done
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
export QT_QPA_PLATFORM=xcb
export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:---no-sandbox}"
start_tray_host || start_tray_host || fail "trayer did not start"
panel=$(panel_window)

# start_program LOG: the program under test in the fresh home; sets $pid.
start_program() {
  HOME=$home XDG_CONFIG_HOME= "$program" >"$home/$1" 2>&1 &
  pid=$!
  started_pids+=($pid)
}
main_window() { xdotool search --all --pid "$1" --name '^Quarlen Messenger 1\.2\.5\.149$' 2>/dev/null | head -1; }
has_main_window() { [ -n "$(main_window "$1")" ]; }
is_mapped() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
is_unmapped() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsUnMapped'; }
# The program's window inside trayer's panel: its tray icon, once embedded.
tray_icon() {
  local w
  for w in $(xdotool search --pid "$1" 2>/dev/null); do
    xwininfo -tree -id "$panel" | grep -q "$(printf '0x%x' "$w") " && { echo "$w"; return 0; }
  done
  return 1
}
