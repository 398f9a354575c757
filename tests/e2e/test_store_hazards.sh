#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Nothing found at the store or the locks keeps the monitor from starting or
# lets two copies run: a FIFO in the store's place, the store's lock held by
# another process, a runtime folder that cannot be used.
BIN=$(readlink -f "$1")
source "${PELORIN_E2E_LIB:-$(dirname "$0")/lib.sh}"
e2e_start
STORE=$(STORE_FILE)
mkdir -p "$(dirname "$STORE")"
export TMPDIR="$E2E_TMP/tmp"
mkdir -p "$TMPDIR"

close_and_wait() {
    wmctrl -ic "$(pelorin_window)"
    wait_exit "$PELORIN_PID" 30
}

# A FIFO would block the open until a writer came, for ever.
mkfifo "$STORE"
start_pelorin "$BIN"
check "window appears with a FIFO as the store" wait_window 30
check "ends when closed" close_and_wait
check "the FIFO is left as it was" test -p "$STORE"
rm "$STORE"

# Another process holds the store's lock for longer than the test runs; the
# subshell becomes the sleep, which keeps the lock until it is killed.
( exec 9>"$STORE.lock" && flock 9 && exec sleep 600 ) &
holder=$!
E2E_PIDS+=("$holder")
wait_for 10 sh -c "! flock -n '$STORE.lock' true"
start_pelorin "$BIN"
check "window appears while the store's lock is held" wait_window 30
check "ends when closed while the lock is held" close_and_wait
check "nothing written while the lock is held" test ! -e "$STORE"
kill "$holder"
wait "$holder" 2>/dev/null

# A runtime folder that is missing (su and sudo can leave one behind): the
# copies meet in the private folder instead, and the second one ends.
export XDG_RUNTIME_DIR="$E2E_TMP/gone"
start_pelorin "$BIN"
check "first copy shows its window without a runtime folder" wait_window 30
first=$PELORIN_PID
"$BIN" >>"$E2E_TMP/second.log" 2>&1 &
second=$!
E2E_PIDS+=("$second")
check "second copy ends by itself" wait_exit "$second" 30
check "second copy shows no window" sh -c "! xdotool search --all --pid $second --class pelorin | grep -q ."
PELORIN_PID=$first
check "first copy ends when closed" close_and_wait

e2e_finish
