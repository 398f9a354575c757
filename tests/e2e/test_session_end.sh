#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The end of a session: SIGTERM leaves an autostart entry (with /M when
# minimised, none when shutdown restore is off) and saves; the entry starts
# the program again and is removed by it. A session manager's shutdown and a
# shutdown called off.
BIN=$(readlink -f "$1")
source "${PELORIN_E2E_LIB:-$(dirname "$0")/lib.sh}"
e2e_start
STORE=$(STORE_FILE)
ENTRY="$XDG_CONFIG_HOME/autostart/ペロリンSDR.desktop"

# Runs the Exec line of the entry (the test's paths need no unquoting beyond
# the outer double quotes).
start_from_entry() {
    local exec
    exec=$(sed -n 's/^Exec=//p' "$ENTRY")
    eval "set -- $exec"
    start_pelorin "$@"
}

# A start-up message (for a bad option) is open.
message_open() {
    local box
    box=$(xdotool search --all --pid "$PELORIN_PID" --onlyvisible --name '^ペロリン$' | head -n1)
    [ -n "$box" ] && xprop -id "$box" _NET_WM_WINDOW_TYPE | grep -q DIALOG
}

# Shown, SIGTERM: entry without /M, settings saved.
rm -f "$STORE"
start_pelorin "$BIN"
wait_window 30
kill -TERM "$PELORIN_PID"
check "SIGTERM ends the program" wait_exit "$PELORIN_PID" 30
check "entry written" test -f "$ENTRY"
check "entry starts this program" grep -q "^Exec=\"\\?$BIN\"\\? /SDR\$" "$ENTRY"
check "entry is an application" grep -q '^Type=Application$' "$ENTRY"
check "entry named after the program" grep -q '^Name=ペロリン$' "$ENTRY"
check "settings saved" grep -q '^"SDR"=dword:00000001' "$STORE"

# The entry starts the program again, which removes it.
start_from_entry
check "entry starts the program" wait_window 30
check "entry removed by the start" wait_for 10 sh -c "! test -e '$ENTRY'"

# Minimised, SIGHUP: the entry carries /M and brings it back minimised.
xdotool windowminimize "$(pelorin_window)"
wait_for 10 sh -c "xprop -id $(pelorin_any_window) _NET_WM_STATE | grep -q HIDDEN"
kill -HUP "$PELORIN_PID"
check "SIGHUP ends the program" wait_exit "$PELORIN_PID" 30
check "entry with /M" grep -q '/SDR /M$' "$ENTRY"
start_from_entry
check "comes back minimised" wait_for 30 sh -c 'w=$(xdotool search --all --pid '"$PELORIN_PID"' --class pelorin | head -n1); [ -n "$w" ] && xprop -id $w _NET_WM_STATE | grep -q HIDDEN'
check "entry removed again" wait_for 10 sh -c "! test -e '$ENTRY'"
kill -TERM "$PELORIN_PID"; wait_exit "$PELORIN_PID" 30
rm -f "$ENTRY"

# Shutdown restore off: nothing is left behind.
sed -i 's/^"SDR"=dword:00000001/"SDR"=dword:00000000/' "$STORE"
start_pelorin "$BIN"
wait_for 30 sh -c 'w=$(xdotool search --all --pid '"$PELORIN_PID"' --class pelorin | head -n1); [ -n "$w" ]'
kill -TERM "$PELORIN_PID"
check "ends with restore off" wait_exit "$PELORIN_PID" 30
check "no entry with restore off" test ! -e "$ENTRY"
sed -i 's/^"SDR"=dword:00000000/"SDR"=dword:00000001/; s/^"Minimized"=dword:00000001/"Minimized"=dword:00000000/' "$STORE"

# The session ends while a start-up message is open: the window is told all
# the same, and the rest of the start-up neither shows it nor removes the
# entry just written ("/SDR" after the bad option).
for sig in TERM HUP; do
    rm -f "$ENTRY" "$STORE"
    start_pelorin "$BIN" M /SDR
    check "SIG$sig during a message: message open" wait_for 30 message_open
    kill -"$sig" "$PELORIN_PID"
    check "SIG$sig during a message: ends" wait_exit "$PELORIN_PID" 30
    check "SIG$sig during a message: entry written" test -f "$ENTRY"
    check "SIG$sig during a message: settings saved" grep -q '^"SDR"=dword:00000001' "$STORE"
    kill -KILL "$PELORIN_PID" 2>/dev/null
done
rm -f "$ENTRY"

# A session manager of our own: a shutdown, then a shutdown called off.
if [ -n "${PELORIN_XSMP_MANAGER:-}" ]; then
    mkfifo "$E2E_TMP/sm.in"
    "$PELORIN_XSMP_MANAGER" <"$E2E_TMP/sm.in" >"$E2E_TMP/sm.out" 2>"$E2E_TMP/sm.err" &
    E2E_PIDS+=($!)
    exec 6>"$E2E_TMP/sm.in"
    wait_for 10 test -s "$E2E_TMP/sm.out" || { echo "session manager did not start"; cat "$E2E_TMP/sm.err"; exit 1; }
    SESSION_MANAGER=$(head -n1 "$E2E_TMP/sm.out")
    sm() { echo "$1" >&6; wait_for 20 grep -q "^done $1" "$E2E_TMP/sm.out"; }

    SESSION_MANAGER=$SESSION_MANAGER start_pelorin "$BIN"
    wait_window 30
    wait_for 10 grep -q 'client' "$E2E_TMP/sm.out" || true
    check "cancelled shutdown answered" sm cancel
    check "program keeps running after a cancelled shutdown" kill -0 "$PELORIN_PID"
    check "no entry after a cancelled shutdown" wait_for 10 test ! -e "$ENTRY"
    check "shutdown answered" sm shutdown
    check "program ends with the session" wait_exit "$PELORIN_PID" 30
    check "entry after the shutdown" test -f "$ENTRY"

    # The manager's shutdown while a start-up message is open.
    rm -f "$ENTRY" "$STORE"
    SESSION_MANAGER=$SESSION_MANAGER start_pelorin "$BIN" M
    check "shutdown during a message: message open" wait_for 30 message_open
    check "shutdown during a message: answered" sm shutdown
    check "shutdown during a message: ends" wait_exit "$PELORIN_PID" 30
    check "shutdown during a message: entry written" test -f "$ENTRY"
    check "shutdown during a message: settings saved" grep -q '^"SDR"=dword:00000001' "$STORE"
    kill -KILL "$PELORIN_PID" 2>/dev/null
    echo quit >&6
    exec 6>&-
fi

# The display going away (as at logout without a session manager): the entry
# and the settings are still written on the way out. This ends the X server,
# so it comes last.
rm -f "$ENTRY" "$STORE"
start_pelorin "$BIN"
wait_window 30
wait_for 10 test -s "$STORE"
kill -TERM "${E2E_PIDS[0]}"
check "ends when the display goes away" wait_exit "$PELORIN_PID" 30
check "entry written when the display went away" test -f "$ENTRY"
check "settings saved when the display went away" grep -q '^"UpdateInterval"=dword:0000003c' "$STORE"

# The display going away while a start-up message is open, on a new X server.
first_new=${#E2E_PIDS[@]}
e2e_start
rm -f "$ENTRY" "$STORE"
start_pelorin "$BIN" M
check "display gone during a message: message open" wait_for 30 message_open
kill -TERM "${E2E_PIDS[$first_new]}"
check "display gone during a message: ends" wait_exit "$PELORIN_PID" 30
check "display gone during a message: entry written" test -f "$ENTRY"
check "display gone during a message: settings saved" grep -q '^"UpdateInterval"=dword:0000003c' "$STORE"

e2e_finish
