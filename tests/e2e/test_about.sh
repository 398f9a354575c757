#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The about box on a real X server under openbox: the menu item opens one box
# centred on the screen with the program's name, version and title; a second
# click brings the same box back, restored when minimised; OK hides it; and
# the program ends cleanly, with the box open, by closing its main window and
# at the end of the session.
# Usage: test_about.sh PELORIN_BINARY
source "${PELORIN_E2E_LIB:-$(dirname "$0")/lib.sh}"
source "$(dirname "${PELORIN_E2E_LIB:-$0}")/window_helpers.sh"
source "$(dirname "${PELORIN_E2E_LIB:-$0}")/browser_helpers.sh"
PELORIN_BIN=$1
TITLE='ペロリンのバージョン情報'

e2e_start 1280x1024

# The about box's windows (shown or not) among the program's.
about_windows() {
    local w
    for w in $(xdotool search --all --pid "$PELORIN_PID" 2>/dev/null); do
        [ "$(window_title "$w")" = "$TITLE" ] && echo "$w"
    done
}
about_shown() {
    local w
    for w in $(about_windows); do
        xwininfo -id "$w" 2>/dev/null | grep -q 'Map State: IsViewable' && { echo "$w"; return 0; }
    done
    return 1
}
about_hidden() { ! about_shown >/dev/null; }
# The outer rectangle's centre lies on the screen's centre, give or take a pixel.
centred() {
    local x y w h
    read -r x y w h <<<"$(outer_geometry "$1")"
    [ -n "${h:-}" ] || return 1
    local dx=$((2 * x + w - 1280)) dy=$((2 * y + h - 1024))
    [ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ]
}
open_about() {
    menu_item a
    expect "the about box is shown" 10 about_shown
    ABOUT=$(about_shown)
}

write_store 100 100 0
launch
open_about
check "one about box" test "$(about_windows | wc -l)" -eq 1
expect "it is centred on the screen" 10 centred "$ABOUT"
check "it is a dialog window" sh -c "xprop -id $ABOUT _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_DIALOG"

# Minimised, then chosen again: the same box, restored.
xdotool windowminimize "$ABOUT"
expect "the box is minimised" 10 is_iconic "$ABOUT"
open_about
check "still one about box" test "$(about_windows | wc -l)" -eq 1
expect "the box is restored" 10 is_normal "$ABOUT"

# OK (the default button) hides it; the next click shows the same window.
xdotool windowactivate "$ABOUT" 2>/dev/null
expect "the box is active" 10 sh -c "[ \"\$(xdotool getactivewindow)\" = $ABOUT ]"
xdotool key Return
expect "OK hides the box" 10 about_hidden
open_about
check "the same box again" test "$(about_windows | wc -l)" -eq 1

# Closing the monitor with the box open ends the program (close_monitor
# fails the test otherwise).
close_monitor

# The end of the session with the box open: a clean end. The leak check is
# on for this run; system libraries may report leaks of their own, but no
# leaked block may come from the program's code (the box's form included).
: > "$E2E_TMP/pelorin.log"
ASAN_OPTIONS=detect_leaks=1 launch
open_about
kill -TERM "$PELORIN_PID"
check "SIGTERM with the box open ends the program" wait_exit "$PELORIN_PID" 30
wait "$PELORIN_PID" 2>/dev/null
check "no crash at the end" sh -c "! grep -Eq 'ERROR: AddressSanitizer|runtime error|Segmentation' '$E2E_TMP/pelorin.log'"
own_leaks() {
    awk '/^(Direct|Indirect) leak of/ { inleak = 1; next } /^$/ { inleak = 0 } inleak' "$E2E_TMP/pelorin.log" \
        | grep -E '\.\./(app|components|platform|settings|shared)/|/pelorin\+0x'
}
no_own_leaks() { ! own_leaks; }
check "nothing of the program's own leaks" no_own_leaks

e2e_finish
