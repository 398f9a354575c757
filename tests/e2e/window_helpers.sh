# SPDX-License-Identifier: MIT
# Helpers for the end-to-end tests of the monitor window's place, size and
# states under openbox. Source after lib.sh (not a test itself: ctest runs
# only test_*.sh).

# write_store LEFT TOP STYLE [NAME=VALUE]...: a complete store with the window
# at LEFT, TOP (outer top-left) in STYLE; the named settings override the
# defaults below. SDR stays off so that no run writes an autostart entry.
write_store() {
    local left=$1 top=$2 style=$3; shift 3
    local -A pref=([BaseWinStyle]=$style [MOExpDiffe]=1 [StayOnTop]=0 [InsideDesktop]=0 [UnTaskBar]=0
                   [Unit]=1 [RegularUpdate]=0 [UpdateInterval]=60 [UseNN]=1 [SDR]=0)
    local pair name
    for pair in "$@"; do pref[${pair%%=*}]=${pair#*=}; done
    mkdir -p "$XDG_CONFIG_HOME/KORVAL"
    {
        printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\KORVAL\\Pelorin\\ExitState]\r\n'
        printf '"MWLeft"=dword:%08x\r\n"MWTop"=dword:%08x\r\n' $((left & 0xffffffff)) $((top & 0xffffffff))
        printf '"Minimized"=dword:00000000\r\n"EHFolder"=""\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Software\\KORVAL\\Pelorin\\Pref]\r\n'
        for name in BaseWinStyle MOExpDiffe StayOnTop InsideDesktop UnTaskBar Unit RegularUpdate \
                    UpdateInterval UseNN SDR; do
            printf '"%s"=dword:%08x\r\n' "$name" $((pref[$name] & 0xffffffff))
        done
    } > "$(STORE_FILE)"
}

# stored_dword KEY NAME: a value of the store as a signed decimal, empty if missing.
stored_dword() {
    local hex
    hex=$(tr -d '\r' < "$(STORE_FILE)" | awk -v key="$1" -v name="\"$2\"" '
        /^\[/ { inkey = ($0 ~ "\\\\" key "\\]$") }
        inkey && index($0, name "=dword:") == 1 { sub(/.*dword:/, ""); print }')
    [ -n "$hex" ] || return 0
    local v=$((16#$hex))
    [ "$v" -ge 2147483648 ] && v=$((v - 4294967296))
    echo "$v"
}

# frame_extents WID: "left right top bottom" of the window manager's frame.
frame_extents() {
    local v
    v=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/^_NET_FRAME_EXTENTS(CARDINAL) = //p')
    [ -n "$v" ] || v="0, 0, 0, 0"
    echo "${v//,/}"
}

# client_geometry WID: "x y width height" of the program's own window.
client_geometry() {
    xwininfo -id "$1" 2>/dev/null | awk '
        /Absolute upper-left X:/ { x = $NF } /Absolute upper-left Y:/ { y = $NF }
        /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF }
        END { if (w != "") print x, y, w, h }'
}

# outer_geometry WID: "x y width height" with the frame included.
outer_geometry() {
    local l r t b x y w h
    read -r l r t b <<<"$(frame_extents "$1")"
    read -r x y w h <<<"$(client_geometry "$1")"
    [ -n "${h:-}" ] || return 1
    echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}

outer_is() { [ "$(outer_geometry "$1")" = "$2" ]; }
outer_corner_is() { [ "$(outer_geometry "$1" | cut -d' ' -f1-2)" = "$2" ]; }
client_size_is() { [ "$(client_geometry "$1" | cut -d' ' -f3-4)" = "$2" ]; }
extents_are() { [ "$(frame_extents "$1")" = "$2" ]; }
extents_not() { [ "$(frame_extents "$1")" != "$2" ]; }
has_state() { xprop -id "$1" _NET_WM_STATE 2>/dev/null | grep -q "$2"; }
lacks_state() { xprop -id "$1" _NET_WM_STATE >/dev/null 2>&1 && ! has_state "$1" "$2"; }
is_iconic() { xprop -id "$1" WM_STATE 2>/dev/null | grep -q 'window state: Iconic'; }
is_normal() { xprop -id "$1" WM_STATE 2>/dev/null | grep -q 'window state: Normal'; }
title_is() { [ "$(window_title "$1")" = "$2" ]; }
title_has_figures() { window_title "$1" | grep -Eq '^[0-9]+／[0-9]+\[KB\] - ペロリン$'; }
# More than the monitor itself is mapped: its popup menu is open.
menu_open() { [ "$(xdotool search --all --onlyvisible --pid "$PELORIN_PID" 2>/dev/null | wc -l)" -ge 2 ]; }

# expect NAME SECONDS COMMAND...: a check that may take a moment to come true.
# On failure it shows the window's geometry and states as they ended up.
expect() {
    local name=$1 limit=$2; shift 2
    if wait_for "$limit" "$@"; then
        echo "ok - $name"
    else
        echo "FAIL - $name"
        [ -n "${WID:-}" ] && echo "  outer: $(outer_geometry "$WID") extents: $(frame_extents "$WID")" \
            "title: $(window_title "$WID")" "$(xprop -id "$WID" _NET_WM_STATE WM_STATE 2>/dev/null | tr '\n' ' ')"
        E2E_FAILS=$((E2E_FAILS + 1))
    fi
}

# launch ARGS...: starts the monitor and waits for its window; its id in WID.
launch() {
    WID=
    start_pelorin "$PELORIN_BIN" "$@"
    if ! wait_window 30; then
        echo "FAIL - the window did not appear"; cat "$E2E_TMP/pelorin.log"
        E2E_FAILS=$((E2E_FAILS + 1))
        return 1
    fi
    WID=$(pelorin_window)
}

# close_monitor: closes the window through the window manager, as a user
# would, and waits for the program to save and end.
close_monitor() {
    [ -n "${WID:-}" ] && wmctrl -ic "$WID"
    if ! wait_exit "$PELORIN_PID" 20; then
        echo "FAIL - the program did not end after its window was closed"
        E2E_FAILS=$((E2E_FAILS + 1))
        kill "$PELORIN_PID" 2>/dev/null
        wait_exit "$PELORIN_PID" 10
    fi
    wait "$PELORIN_PID" 2>/dev/null
    WID=
}

# pointer_to X Y: moves the pointer and waits until it is there. (xdotool's
# own --sync waits for a movement, so it hangs when the pointer is already in
# place.)
pointer_at() { [ "$(xdotool getmouselocation 2>/dev/null | sed -n 's/^x:\([-0-9]*\) y:\([-0-9]*\) .*/\1 \2/p')" = "$1 $2" ]; }
pointer_to() {
    xdotool mousemove "$1" "$2"
    wait_for 5 pointer_at "$1" "$2" || echo "note: the pointer did not reach $1,$2"
}
# A point where no window of the tests lies.
park_pointer() { pointer_to 1200 980; }
