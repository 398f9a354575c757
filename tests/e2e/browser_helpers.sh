# SPDX-License-Identifier: MIT
# Helpers for the end-to-end tests of the help and home page items: fake
# browsers and a fake address opener that record what they were given.
# Source after lib.sh and window_helpers.sh (not a test itself).

# fake_program NAME LOG [STATUS]: an executable in $E2E_TMP/fakebin that
# appends its arguments, one call a line, to $E2E_TMP/LOG and exits with STATUS.
fake_program() {
    local name=$1 log=$2 status=${3:-0}
    mkdir -p "$E2E_TMP/fakebin"
    printf '#!/bin/sh\necho "$*" >> "%s"\nexit %s\n' "$E2E_TMP/$log" "$status" > "$E2E_TMP/fakebin/$name"
    chmod +x "$E2E_TMP/fakebin/$name"
}

# log_has LOG LINE: the fake's log holds exactly that line.
log_has() { [ -f "$E2E_TMP/$1" ] && grep -qxF -- "$2" "$E2E_TMP/$1"; }
log_lines() { [ -f "$E2E_TMP/$1" ] && wc -l < "$E2E_TMP/$1" || echo 0; }

# menu_item KEY: opens the monitor's menu with a right click on its body and
# chooses the item with that accelerator key.
menu_item() {
    local x y
    read -r x y _ <<<"$(client_geometry "$WID")"
    pointer_to $((x + 120)) $((y + 14))
    xdotool click 3
    expect "the menu opens for the item $1" 10 menu_open
    xdotool key "$1"
}

# A visible dialog of the monitor: its message box.
message_box() {
    local w
    for w in $(xdotool search --all --onlyvisible --pid "$PELORIN_PID" 2>/dev/null); do
        xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_DIALOG && { echo "$w"; return 0; }
    done
    return 1
}
no_message_box() { ! message_box >/dev/null; }
