#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Started where no X display can be opened, the program says so on standard
# error and ends with status 1, leaving nothing behind.
BIN=$(readlink -f "$1")
source "${PELORIN_E2E_LIB:-$(dirname "$0")/lib.sh}"
export HOME="$E2E_TMP/home"
export XDG_CONFIG_HOME="$HOME/.config" XDG_RUNTIME_DIR="$E2E_TMP/run" XDG_CACHE_HOME="$HOME/.cache"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM
# No core file whatever the ending.
ulimit -c 0

# run_without CASE ENV...: runs the program with the environment changes
# given; its status in status, its standard error in err.
run_without() {
    local name=$1; shift
    status=0
    env "$@" timeout 30 "$BIN" >"$E2E_TMP/$name.out" 2>"$E2E_TMP/$name.err" </dev/null || status=$?
    err=$(cat "$E2E_TMP/$name.err")
}

for case in "unset:-u DISPLAY" "empty:DISPLAY=" "absent:DISPLAY=:4711" "bad-name:DISPLAY=nohost.invalid:0"; do
    name=${case%%:*}
    # shellcheck disable=SC2086 # the env arguments are split on purpose
    run_without "$name" ${case#*:}
    check "$name: status 1" test "$status" = 1
    check "$name: says no X display could be opened" grep -q 'X ディスプレイを開けません' "$E2E_TMP/$name.err"
    check "$name: no abort message from the toolkit" sh -c "! grep -q 'could not connect to display' '$E2E_TMP/$name.err'"
    check "$name: nothing stored" test ! -e "$XDG_CONFIG_HOME/KORVAL/Pelorin.reg"
    [ "$status" = 1 ] || { echo "--- $name stderr"; echo "$err"; }
done

e2e_finish
