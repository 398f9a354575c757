#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The command line on a real X server: minimised starts, quitting at the first
# showing (saving, or removing the stored key), and bad options reported one
# message each without stopping the start.
BIN=$(readlink -f "$1")
source "${PELORIN_E2E_LIB:-$(dirname "$0")/lib.sh}"
e2e_start
STORE=$(STORE_FILE)

iconified() { xprop -id "$1" _NET_WM_STATE WM_STATE | grep -qE '_NET_WM_STATE_HIDDEN|Iconic'; }

for option in /M -m; do
    rm -f "$STORE"
    start_pelorin "$BIN" "$option"
    find_any() { w=$(pelorin_any_window); [ -n "$w" ] && xprop -id "$w" WM_STATE | grep -q 'window state'; }
    check "$option: window made" wait_for 30 find_any
    w=$(pelorin_any_window)
    check "$option: starts iconified" wait_for 10 iconified "$w"
    check "$option: figures in the title" wait_for 10 sh -c "xprop -id $w _NET_WM_NAME | grep -q '／.*\[KB\] - ペロリン'"
    # Restoring shows the program's title again; /Q is not set, so it stays.
    xdotool windowactivate "$w" 2>/dev/null || wmctrl -ia "$w"
    check "$option: restored title" wait_for 10 sh -c "xprop -id $w _NET_WM_NAME | grep -q '\"ペロリン\"'"
    wmctrl -ic "$w"
    check "$option: closes" wait_exit "$PELORIN_PID" 30
    check "$option: saved as shown" grep -q '^"Minimized"=dword:00000000' "$STORE"
done

# /M /Q: a minimised start closes only when it is first restored.
rm -f "$STORE"
start_pelorin "$BIN" /M /Q
check "/M /Q: iconified" wait_for 30 sh -c 'w=$(xdotool search --all --pid '"$PELORIN_PID"' --class pelorin | head -n1); [ -n "$w" ] && xprop -id $w _NET_WM_STATE | grep -q HIDDEN'
check "/M /Q: still running while minimised" kill -0 "$PELORIN_PID"
w=$(pelorin_any_window)
xdotool windowactivate "$w" 2>/dev/null || wmctrl -ia "$w"
check "/M /Q: ends when restored" wait_exit "$PELORIN_PID" 30

# /Q: closes by itself as soon as it is shown, and saves.
rm -f "$STORE"
start_pelorin "$BIN" /Q
check "/Q ends by itself" wait_exit "$PELORIN_PID" 30
check "/Q saved the settings" grep -q '^"SDR"=dword:00000001' "$STORE"

# /Q /RC: the key is gone afterwards.
start_pelorin "$BIN" /Q /RC
check "/Q /RC ends by itself" wait_exit "$PELORIN_PID" 30
check "/Q /RC leaves no key" sh -c "! grep -q 'KORVAL\\\\Pelorin' '$STORE'"

# Two bad options: two messages, one after the other, then the window.
rm -f "$STORE"
start_pelorin "$BIN" M /MIN
boxes=0
dismiss_box() {
    local box
    box=$(xdotool search --all --pid "$PELORIN_PID" --onlyvisible --name '^ペロリン$' | head -n1)
    [ -n "$box" ] && xprop -id "$box" _NET_WM_WINDOW_TYPE | grep -q DIALOG || return 1
    xdotool windowactivate --sync "$box" key --clearmodifiers Return
    wait_for 10 sh -c "! xwininfo -id $box 2>/dev/null | grep -q IsViewable"
}
wait_for 30 dismiss_box && boxes=$((boxes + 1))
wait_for 30 dismiss_box && boxes=$((boxes + 1))
check "one message per bad option" test "$boxes" = 2
check "window still comes" wait_window 30
check "no third message" sh -c "! xdotool search --all --pid $PELORIN_PID --onlyvisible --name '^ペロリン$' | while read -r id; do xprop -id \$id _NET_WM_WINDOW_TYPE; done | grep -q DIALOG"
wmctrl -ic "$(pelorin_window)"
wait_exit "$PELORIN_PID" 30

# Options the toolkit knows are the program's as well: each unknown option
# and each value after it is a bad argument with its own message, and none of
# them changes the platform, the display, the style or the direction.
rm -f "$STORE"
start_pelorin "$BIN" -reverse -style x -session x -platform x -display x
boxes=0
for _ in 1 2 3 4 5 6 7 8 9; do
    wait_for 30 dismiss_box || break
    boxes=$((boxes + 1))
done
check "toolkit options: one message each, values too" test "$boxes" = 9
check "toolkit options: window still comes" wait_window 30
check "toolkit options: no further message" sh -c "! xdotool search --all --pid $PELORIN_PID --onlyvisible --name '^ペロリン$' | while read -r id; do xprop -id \$id _NET_WM_WINDOW_TYPE; done | grep -q DIALOG"
wmctrl -ic "$(pelorin_window)"
check "toolkit options: closes" wait_exit "$PELORIN_PID" 30

e2e_finish
