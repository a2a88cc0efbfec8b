# Sourced by the end-to-end tests that need a notification area: the set-up of
# e2e_lib.sh on a private Xvfb with trayer on it, and the program's tray icon.
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
here=$e2e_here
e2e_setup

# A display of our own: the shared test display has no tray, and other tests rely on that.
start_tray_host() {
  start_xvfb || return 1
  trayer --edge top --align right --widthtype pixel --width 120 --height 24 >"$home/trayer.log" 2>&1 &
  started_pids+=($!)
  waitfor 100 has_panel
}
panel_window() { xdotool search --name '^panel$' 2>/dev/null | head -1; }
has_panel() { [ -n "$(panel_window)" ]; }
for tool in Xvfb trayer xdotool xwininfo; do
  command -v $tool >/dev/null || skip "needs $tool (tools/install-deps installs it)"
done
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
export QT_QPA_PLATFORM=xcb
start_tray_host || start_tray_host || fail "trayer did not start"
panel=$(panel_window)

# The program's window inside trayer's panel: its tray icon, once embedded.
tray_icon() {
  local w
  for w in $(xdotool search --pid "$1" 2>/dev/null); do
    xwininfo -tree -id "$panel" | grep -q "$(printf '0x%x' "$w") " && { echo "$w"; return 0; }
  done
  return 1
}
