# SPDX-License-Identifier: MIT
# The monitor window's behaviour on a real X server under openbox: a drag by
# the body moves the window by the pointer's travel, a drop past the left
# edge lands at x 0 with InsideDesktop and stays without it, StayOnTop and
# UnTaskBar reach the window manager's state, and minimising from the menu
# or from the window manager puts the figures into the title until the
# window is restored, with the task bar entry there exactly while minimised
# when UnTaskBar is on.
# Usage: test_behaviour.sh PELORIN_BINARY
source "${PELORIN_E2E_LIB:-$(dirname "$0")/lib.sh}"
source "$(dirname "${PELORIN_E2E_LIB:-$0}")/window_helpers.sh"
PELORIN_BIN=$1

e2e_start 1280x1024

# drag NAME FROM_X FROM_Y TO_X TO_Y: presses the left button at one point,
# moves the pointer in two steps and releases it at the other; the window
# must have followed the pointer before the release.
drag() {
    local name=$1 fx=$2 fy=$3 tx=$4 ty=$5 x y w h
    read -r x y w h <<<"$(outer_geometry "$WID")"
    local ex=$((x + tx - fx)) ey=$((y + ty - fy))
    pointer_to "$fx" "$fy"
    xdotool mousedown 1
    pointer_to $(((fx + tx) / 2)) $(((fy + ty) / 2))
    pointer_to "$tx" "$ty"
    expect "$name: the window follows the pointer while dragged" 10 outer_corner_is "$WID" "$ex $ey"
    xdotool mouseup 1
    DRAG_END="$ex $ey"
}

# minimise_and_restore HOW_DOWN HOW_UP UNTASKBAR: one minimise and restore
# cycle; the window's place and the stay-on-top state must survive it.
minimise_and_restore() {
    local down=$1 up=$2 untaskbar=$3 corner above
    corner=$(outer_geometry "$WID" | cut -d' ' -f1-2)
    has_state "$WID" _NET_WM_STATE_ABOVE && above=yes || above=no
    case $down in
    menu)
        # A right click on the body opens the menu at the pointer; its
        # item "&M・最小化" answers to the key m.
        read -r x y _ <<<"$(client_geometry "$WID")"
        pointer_to $((x + 120)) $((y + 14))
        xdotool click 3
        expect "menu: opens on a right click" 10 menu_open
        xdotool key m
        ;;
    wm) xdotool windowminimize "$WID" ;;
    esac
    expect "$down: minimised" 10 is_iconic "$WID"
    expect "$down: the figures in the title" 10 title_has_figures "$WID"
    expect "$down: a task bar entry while minimised" 10 lacks_state "$WID" _NET_WM_STATE_SKIP_TASKBAR

    case $up in
    wmctrl) wmctrl -ia "$WID" ;;
    xdotool) xdotool windowactivate "$WID" ;;
    esac
    expect "$up: restored" 10 is_normal "$WID"
    expect "$up: the program's title back" 10 title_is "$WID" "ペロリン"
    if [ "$untaskbar" -eq 1 ]; then
        expect "$up: off the task bar again" 10 has_state "$WID" _NET_WM_STATE_SKIP_TASKBAR
    else
        check "$up: still on the task bar" lacks_state "$WID" _NET_WM_STATE_SKIP_TASKBAR
    fi
    if [ "$above" = yes ]; then
        expect "$up: still above other windows" 10 has_state "$WID" _NET_WM_STATE_ABOVE
    fi
    expect "$up: back in its place" 10 outer_corner_is "$WID" "$corner"
}

# --- A borderless window kept inside the screen, on top, off the task bar.
park_pointer
write_store 200 150 1 InsideDesktop=1 StayOnTop=1 UnTaskBar=1
if launch; then
    expect "borderless: outer geometry" 10 outer_is "$WID" "200 150 241 106"
    expect "StayOnTop: above other windows" 10 has_state "$WID" _NET_WM_STATE_ABOVE
    expect "UnTaskBar: no task bar entry while shown" 10 has_state "$WID" _NET_WM_STATE_SKIP_TASKBAR

    # By the memory bar (an image), then by its name label.
    drag "drag by the bar" 320 164 420 260
    expect "drag by the bar: dropped inside, stays" 10 outer_corner_is "$WID" "$DRAG_END"
    read -r x y _ <<<"$(outer_geometry "$WID")"
    drag "drag by the label" $((x + 20)) $((y + 12)) $((x - 40)) $((y + 42))
    expect "drag by the label: dropped inside, stays" 10 outer_corner_is "$WID" "$DRAG_END"

    # Past the left edge: off the screen while dragged, at x 0 once dropped.
    read -r x y _ <<<"$(outer_geometry "$WID")"
    drag "past the left edge" $((x + 120)) $((y + 14)) 70 $((y + 14))
    expect "past the left edge: lands at x 0 with InsideDesktop" 10 outer_corner_is "$WID" "0 ${DRAG_END#* }"

    minimise_and_restore menu wmctrl 1
    minimise_and_restore wm xdotool 1
    close_monitor
fi

# --- A framed window, free to leave the screen, normal stacking, with its
# task bar entry.
park_pointer
write_store 300 200 0
if launch; then
    expect "framed: caption and border" 10 extents_not "$WID" "0 0 0 0"
    check "StayOnTop off: not above other windows" lacks_state "$WID" _NET_WM_STATE_ABOVE

    read -r cx cy _ <<<"$(client_geometry "$WID")"
    drag "framed: drag by the bar" $((cx + 120)) $((cy + 14)) $((cx + 180)) $((cy + 64))
    expect "framed: dropped inside, stays" 10 outer_corner_is "$WID" "$DRAG_END"
    read -r cx cy _ <<<"$(client_geometry "$WID")"
    drag "framed: past the left edge" $((cx + 120)) $((cy + 14)) 60 $((cy + 14))
    expect "framed: stays past the left edge without InsideDesktop" 10 outer_corner_is "$WID" "$DRAG_END"
    check "UnTaskBar off: on the task bar while shown" lacks_state "$WID" _NET_WM_STATE_SKIP_TASKBAR

    minimise_and_restore wm wmctrl 0
    minimise_and_restore menu xdotool 0
    close_monitor
    check "framed: the dropped corner saved" \
        test "$(stored_dword ExitState MWLeft) $(stored_dword ExitState MWTop)" = "$DRAG_END"
fi

e2e_finish
