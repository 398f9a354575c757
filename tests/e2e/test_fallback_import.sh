#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A start whose stored settings cannot be read takes them from the export
# file beside the program; a file that is not an export file is reported
# with the program's title as caption, and the defaults are used.
BIN=$(readlink -f "$1")
source "${PELORIN_E2E_LIB:-$(dirname "$0")/lib.sh}"
e2e_start
STORE=$(STORE_FILE)
APP="$E2E_TMP/app"
mkdir -p "$APP" "$(dirname "$STORE")"
cp "$BIN" "$APP/pelorin"

# A store whose settings key holds a value of the wrong type.
write_bad_store() {
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\KORVAL\\Pelorin\\ExitState]\r\n"MWLeft"=dword:00000032\r\n"MWTop"=dword:00000028\r\n"Minimized"=dword:00000000\r\n"EHFolder"=""\r\n\r\n[HKEY_CURRENT_USER\\Software\\KORVAL\\Pelorin\\Pref]\r\n"BaseWinStyle"="six"\r\n' > "$STORE"
}

# Style 6 (memory bar only, 29 pixels high), unit MB.
write_bad_store
printf 'PLNIE$2\r\n1\r\n0\r\n0\r\n1\r\n0\r\n0\r\n1\r\n6\r\n2\r\n30\r\n' > "$APP/mine.plne"
start_pelorin "$APP/pelorin"
check "window appears" wait_window 30
w=$(pelorin_window)
check "imported layout: borderless bar 29 high" sh -c "xwininfo -id $w | grep -q 'Height: 29'"
check "position still from the store" sh -c "xwininfo -id $w | grep -q 'Absolute upper-left X:  50'"
wmctrl -ic "$w"
check "ends when closed" wait_exit "$PELORIN_PID" 30
check "imported style saved" grep -q '^"BaseWinStyle"=dword:00000006' "$STORE"
check "imported unit saved" grep -q '^"Unit"=dword:00000002' "$STORE"
check "imported interval saved" grep -q '^"UpdateInterval"=dword:0000001e' "$STORE"

# Not an export file: the message comes first, with the title as caption.
write_bad_store
rm "$APP/mine.plne"
printf 'plnie$2\r\n1\r\n' > "$APP/other.plne"
start_pelorin "$APP/pelorin"
box=""
find_box() { box=$(xdotool search --all --pid "$PELORIN_PID" --onlyvisible --name '^ペロリン$' | head -n1); [ -n "$box" ]; }
check "message shown" wait_for 30 find_box
check "message is a dialog" sh -c "xprop -id $box _NET_WM_WINDOW_TYPE | grep -q DIALOG"
check "message caption is the title" test "$(window_title "$box")" = "ペロリン"
xdotool windowactivate --sync "$box" key --clearmodifiers Return
check "window appears after the message" wait_for 30 sh -c "xdotool search --all --pid $PELORIN_PID --onlyvisible --class pelorin | grep -v '^$box\$' | grep -q ."
w=$(xdotool search --all --pid "$PELORIN_PID" --onlyvisible --class pelorin | grep -v "^$box\$" | head -n1)
check "defaults: framed standard layout" sh -c "xwininfo -id $w | grep -q 'Height: 150'"
wmctrl -ic "$w"
wait_exit "$PELORIN_PID" 30

e2e_finish
