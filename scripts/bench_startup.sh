#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Start-up time, memory, idle wake-ups and the CPU a reading every second
# costs, of the monitor, each set against a minimal Qt Widgets program (one
# label, one timer) run the same way on the same private X server, so the
# figures say what the monitor adds to Qt.
#
#   RUNS=10        starts of each program (after one start of each not counted)
#   WAKE_SECONDS=5 how long the context switches of a settled program are counted
#   CPU_SECONDS=20 how long both programs run side by side, each refreshing
#                  every second, while their CPU time is counted
#   JOBS=2         build jobs
#
# Prints the medians and the ratios monitor/minimal, with the CPU time to the
# first window beside the wall time, as on a busy machine the wall time also
# counts waiting for a processor. Goals: start-up time and memory within 1.1x
# of the minimal program; wake-ups of the idle monitor near 0 per second (a
# fresh store has the regular refresh off); with a reading every second, no
# more CPU than the minimal program refreshing its label every second.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
RUNS=${RUNS:-10}
WAKE_SECONDS=${WAKE_SECONDS:-5}
CPU_SECONDS=${CPU_SECONDS:-20}
JOBS=${JOBS:-2}

bash scripts/deps.sh test
cmake -S . -B build-bench -DPELORIN_BENCH=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench --target pelorin bench_minimal_qt -j"$JOBS" >/dev/null
MONITOR="$ROOT/build-bench/pelorin"
MINIMAL="$ROOT/build-bench/bench/bench_minimal_qt"

source tests/e2e/lib.sh
source tests/e2e/window_helpers.sh
# The shared clean-up kills and waits for programs that may have ended
# already; under set -e the first failing kill or wait would end it before
# the X server's folder is removed.
trap 'set +e; e2e_cleanup' EXIT
e2e_start 1280x1024
LOG="$E2E_TMP/bench.log"

# Microseconds since the epoch from bash's own clock: no process is started
# to read it, so it adds nothing to what is measured.
now_us() { local t=$EPOCHREALTIME; echo "${t/./}"; }

# first_window PID: the first viewable window of the process, polled every
# 10 ms for at most 30 s. Each poll is one xdotool run (a few ms), which
# bounds the resolution of the start-up times.
first_window() {
    local pid=$1 deadline=$(( $(now_us) + 30000000 )) id
    while [ "$(now_us)" -lt "$deadline" ]; do
        id=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n1) || true
        [ -n "$id" ] && { echo "$id"; return 0; }
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.01
    done
    return 1
}

# CPU time of all threads so far, in ms, from the scheduler's own nanosecond
# count: unlike the wall time it hardly changes with the load of the machine.
cpu_ms() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ sum += $1 } END { printf "%.1f", sum / 1e6 }'; }
status_kb() { awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/status"; }
# Pages count as private only while no other process maps them: another Qt
# program running on the machine at the time makes the figure drop, hence
# the medians.
private_kb() { awk '$1 == "Private_Clean:" || $1 == "Private_Dirty:" { sum += $2 } END { print sum }' "/proc/$1/smaps_rollup"; }
# Voluntary context switches are the times a thread slept and was woken;
# counted over all threads, as Qt's X event reader runs in a thread of its own.
voluntary_switches() {
    cat /proc/"$1"/task/*/status 2>/dev/null | awk '$1 == "voluntary_ctxt_switches:" { sum += $2 } END { print sum + 0 }'
}

# close_program PID WINDOW: asks the window manager to close the window, as a
# user would; a program still running after 10 s is killed.
close_program() {
    local pid=$1 window=$2
    wmctrl -ic "$(printf '0x%x' "$window")" 2>/dev/null || true
    if ! wait_exit "$pid" 10; then
        echo "pid $pid did not close within 10 s; killed" >&2
        kill "$pid" 2>/dev/null || true
    fi
    wait "$pid" 2>/dev/null || true
    # Off the clean-up list: by the end of the script its number may be
    # another process's.
    local kept=() p
    for p in "${E2E_PIDS[@]}"; do [ "$p" = "$pid" ] || kept+=("$p"); done
    E2E_PIDS=("${kept[@]}")
}

# measure NAME BINARY OUT: one start, appending "ms cpu_ms rss_kb private_kb switches"
# to OUT (or to nothing for the start that warms the caches).
measure() {
    local name=$1 bin=$2 out=$3 pid window t0 t1 cpu rss priv w0 w1
    # The cursor far from where either window opens: the monitor watches the
    # cursor only while it is over its window.
    xdotool mousemove 1279 1023
    [ "$name" = monitor ] && rm -f "$(STORE_FILE)"
    t0=$(now_us)
    "$bin" >>"$LOG" 2>&1 &
    pid=$!
    E2E_PIDS+=("$pid")
    if ! window=$(first_window "$pid"); then
        echo "$name: no window within 30 s" >&2
        cat "$LOG" >&2
        exit 1
    fi
    t1=$(now_us)
    cpu=$(cpu_ms "$pid")
    sleep 1
    rss=$(status_kb "$pid" VmRSS)
    priv=$(private_kb "$pid")
    w0=$(voluntary_switches "$pid")
    sleep "$WAKE_SECONDS"
    w1=$(voluntary_switches "$pid")
    close_program "$pid" "$window"
    [ -n "$out" ] && echo "$(( (t1 - t0) / 1000 )).$(( (t1 - t0) % 1000 / 100 )) $cpu $rss $priv $(( w1 - w0 ))" >>"$out"
    return 0
}

MIN_OUT="$E2E_TMP/minimal.txt"
MON_OUT="$E2E_TMP/monitor.txt"
measure minimal "$MINIMAL" ""
measure monitor "$MONITOR" ""
for ((i = 1; i <= RUNS; i++)); do
    measure minimal "$MINIMAL" "$MIN_OUT"
    measure monitor "$MONITOR" "$MON_OUT"
done

# Running cost: both programs at once, each refreshing every second (the
# monitor from its store, the minimal program from its argument), the cursor
# away from both; the on-CPU nanoseconds of all their threads over
# CPU_SECONDS, after a settling second.
write_store 100 100 0 RegularUpdate=1 UpdateInterval=1
xdotool mousemove 1279 1023
"$MINIMAL" 1000 >>"$LOG" 2>&1 &
RUN_MIN=$!
E2E_PIDS+=("$RUN_MIN")
"$MONITOR" >>"$LOG" 2>&1 &
RUN_MON=$!
E2E_PIDS+=("$RUN_MON")
RUN_MIN_WIN=$(first_window "$RUN_MIN") || { echo "minimal: no window" >&2; exit 1; }
RUN_MON_WIN=$(first_window "$RUN_MON") || { echo "monitor: no window" >&2; exit 1; }
sleep 2
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ sum += $1 } END { printf "%d", sum }'; }
MIN_NS0=$(cpu_ns "$RUN_MIN"); MON_NS0=$(cpu_ns "$RUN_MON")
MIN_W0=$(voluntary_switches "$RUN_MIN"); MON_W0=$(voluntary_switches "$RUN_MON")
sleep "$CPU_SECONDS"
MIN_NS1=$(cpu_ns "$RUN_MIN"); MON_NS1=$(cpu_ns "$RUN_MON")
MIN_W1=$(voluntary_switches "$RUN_MIN"); MON_W1=$(voluntary_switches "$RUN_MON")
close_program "$RUN_MIN" "$RUN_MIN_WIN"
close_program "$RUN_MON" "$RUN_MON_WIN"

# median FILE COLUMN
median() {
    awk -v c="$2" '{ print $c }' "$1" | sort -g | awk '{ v[NR] = $1 } END {
        if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

report() {
    local label=$1 column=$2 unit=$3 goal=$4 min mon
    min=$(median "$MIN_OUT" "$column")
    mon=$(median "$MON_OUT" "$column")
    awk -v l="$label" -v u="$unit" -v a="$min" -v b="$mon" -v g="$goal" 'BEGIN {
        r = a > 0 ? b / a : 0
        printf "%-22s minimal %9.1f %-3s  monitor %9.1f %-3s  ratio %.2fx (goal <= %.1fx: %s)\n",
               l, a, u, b, u, r, g, r <= g ? "met" : "missed" }'
}

echo "medians of $RUNS starts each (Release, Xvfb + openbox, fresh store for every monitor start)"
report "time to first window" 1 ms 1.1
report "CPU to first window" 2 ms 1.1
report "resident (VmRSS)" 3 kB 1.1
report "private (clean+dirty)" 4 kB 1.1
awk -v s="$WAKE_SECONDS" -v a="$(median "$MIN_OUT" 5)" -v b="$(median "$MON_OUT" 5)" 'BEGIN {
    printf "%-22s minimal %9.2f /s   monitor %9.2f /s   (voluntary context switches, all threads, over %d s, cursor away, refresh off)\n",
           "idle wake-ups", a / s, b / s, s }'
awk -v s="$CPU_SECONDS" -v a="$((MIN_NS1 - MIN_NS0))" -v b="$((MON_NS1 - MON_NS0))" \
    -v wa="$((MIN_W1 - MIN_W0))" -v wb="$((MON_W1 - MON_W0))" 'BEGIN {
    r = a > 0 ? b / a : 0
    printf "%-22s minimal %9.1f ms   monitor %9.1f ms   ratio %.2fx (goal <= 1.0x: %s)\n",
           "CPU, reading every 1 s", a / 1e6, b / 1e6, r, r <= 1.0 ? "met" : "missed"
    printf "%-22s (both at once for %d s, all threads, schedstat; wake-ups %.1f /s and %.1f /s)\n",
           "", s, wa / s, wb / s }'
echo "--- each start: window_ms cpu_ms rss_kB private_kB switches_in_${WAKE_SECONDS}s"
echo "minimal:"; sed 's/^/  /' "$MIN_OUT"
echo "monitor:"; sed 's/^/  /' "$MON_OUT"
