# SPDX-License-Identifier: MIT
# Shared set-up for the end-to-end tests: a private X server under openbox,
# private HOME and XDG folders, and bounded waits. Source it, then call
# e2e_start. Everything started here is stopped on exit.

set -u
E2E_TMP=$(mktemp -d /tmp/pelorin-e2e.XXXXXX)
E2E_PIDS=()
E2E_FAILS=0

e2e_cleanup() {
    local pid
    for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${E2E_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$E2E_TMP"
}
trap e2e_cleanup EXIT

# wait_for SECONDS COMMAND...: polls COMMAND every 50 ms until it succeeds.
wait_for() {
    local limit=$1; shift
    local deadline=$((SECONDS + limit))
    while ! "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.05
    done
    return 0
}

# e2e_start [WxH]: X server, window manager and a clean user environment.
e2e_start() {
    local size=${1:-1280x1024}
    export HOME="$E2E_TMP/home"
    export XDG_CONFIG_HOME="$HOME/.config"
    export XDG_RUNTIME_DIR="$E2E_TMP/run"
    export XDG_CACHE_HOME="$HOME/.cache"
    export XDG_DATA_HOME="$HOME/.local/share"
    mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    unset SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS
    export QT_QPA_PLATFORM=xcb

    exec 5> "$E2E_TMP/displayfd"
    Xvfb -displayfd 5 -screen 0 "${size}x24" -nolisten tcp -noreset >"$E2E_TMP/xvfb.log" 2>&1 &
    E2E_PIDS+=($!)
    exec 5>&-
    wait_for 20 test -s "$E2E_TMP/displayfd" || { echo "Xvfb did not start"; cat "$E2E_TMP/xvfb.log"; exit 1; }
    export DISPLAY=":$(head -n1 "$E2E_TMP/displayfd")"
    wait_for 20 xdpyinfo || { echo "X server not answering"; exit 1; }

    openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
    E2E_PIDS+=($!)
    # openbox announces itself on the root window once it manages the screen.
    wait_for 20 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' \
        || { echo "openbox did not start"; cat "$E2E_TMP/openbox.log"; exit 1; }
}

STORE_FILE() { echo "$XDG_CONFIG_HOME/KORVAL/Pelorin.reg"; }

# start_pelorin BINARY ARGS...: starts the monitor in the background; its pid in PELORIN_PID.
start_pelorin() {
    local bin=$1; shift
    "$bin" "$@" >>"$E2E_TMP/pelorin.log" 2>&1 &
    PELORIN_PID=$!
    E2E_PIDS+=("$PELORIN_PID")
}

# The monitor's top-level window id (decimal), found by its process id.
pelorin_window() {
    local pid=${1:-$PELORIN_PID}
    xdotool search --all --pid "$pid" --onlyvisible --class pelorin 2>/dev/null | head -n1
}
pelorin_any_window() {
    local pid=${1:-$PELORIN_PID}
    xdotool search --all --pid "$pid" --class pelorin 2>/dev/null | head -n1
}

wait_window() {
    wait_for "${1:-30}" sh -c "xdotool search --all --pid $PELORIN_PID --onlyvisible --class pelorin | grep -q ."
}

# wait_exit PID SECONDS: true when the process ended within the time.
wait_exit() {
    local pid=$1 limit=${2:-20}
    wait_for "$limit" sh -c "! kill -0 $pid 2>/dev/null"
}

window_title() { xprop -id "$1" _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p'; }

# check NAME COMMAND...: one assertion; the test fails at the end if any failed.
check() {
    local name=$1; shift
    if "$@"; then
        echo "ok - $name"
    else
        echo "FAIL - $name"
        E2E_FAILS=$((E2E_FAILS + 1))
    fi
}

e2e_finish() {
    if [ "$E2E_FAILS" -ne 0 ]; then
        echo "--- pelorin log"; cat "$E2E_TMP/pelorin.log" 2>/dev/null
        echo "$E2E_FAILS check(s) failed"
        exit 1
    fi
    exit 0
}
