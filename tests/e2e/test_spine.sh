#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The monitor on a real X server: its window and title, what closing saves,
# a second start bringing the first window forward, and a killed copy
# leaving no lock behind.
BIN=$(readlink -f "$1")
source "${PELORIN_E2E_LIB:-$(dirname "$0")/lib.sh}"
e2e_start
STORE=$(STORE_FILE)
EX='\[HKEY_CURRENT_USER\\Software\\KORVAL\\Pelorin\\ExitState\]'

start_pelorin "$BIN"
wait_window 30 || { echo "no window"; cat "$E2E_TMP/pelorin.log"; exit 1; }
w=$(pelorin_window)
check "title is the program's" test "$(window_title "$w")" = "ペロリン"
geom=$(xwininfo -id "$w")
check "client is 241 x 150" sh -c "echo '$geom' | grep -q 'Width: 241' && echo '$geom' | grep -q 'Height: 150'"
check "framed by the window manager" sh -c "xprop -id $w _NET_FRAME_EXTENTS | grep -qv '= 0, 0, 0, 0'"
check "window id published at start" grep -qi "\"HWND\"=dword:$(printf '%08x' "$w")" "$STORE"

# A second start: the first window, iconified meanwhile, comes forward; the
# second copy ends by itself and leaves the store as it was.
xdotool windowminimize "$w"
wait_for 10 sh -c "xprop -id $w _NET_WM_STATE | grep -q HIDDEN"
before=$(md5sum < "$STORE")
"$BIN" >>"$E2E_TMP/second.log" 2>&1 &
second=$!
check "second copy ends by itself" wait_exit "$second" 30
check "second copy shows no window" sh -c "! xdotool search --all --pid $second --class pelorin | grep -q ."
check "first window brought forward" wait_for 10 sh -c "xprop -root _NET_ACTIVE_WINDOW | grep -qi '$(printf '0x%x' "$w")'"
check "store untouched by the second copy" test "$(md5sum < "$STORE")" = "$before"

# Closing through the window manager saves all fourteen values.
wmctrl -ic "$w"
check "closes on the window manager's request" wait_exit "$PELORIN_PID" 30
for name in MWLeft MWTop Minimized EHFolder BaseWinStyle MOExpDiffe StayOnTop InsideDesktop UnTaskBar Unit \
    RegularUpdate UpdateInterval UseNN SDR HWND; do
    check "saved $name" grep -q "^\"$name\"=" "$STORE"
done
check "saved as shown, not minimised" grep -q '^"Minimized"=dword:00000000' "$STORE"

# A copy killed outright leaves no lock: the next start runs normally.
start_pelorin "$BIN"
wait_window 30
kill -KILL "$PELORIN_PID"; wait "$PELORIN_PID" 2>/dev/null
start_pelorin "$BIN"
check "starts again after a killed copy" wait_window 30
wmctrl -ic "$(pelorin_window)"
wait_exit "$PELORIN_PID" 30

e2e_finish
