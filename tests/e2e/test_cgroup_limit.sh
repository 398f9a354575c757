#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Free memory as the program's control group sees it: started minimised in a
# 1 GiB memory-limited group, the total in its title is at most 1 GiB; started
# outside it, the machine's MemTotal. Making the group needs root and a
# writable memory controller (legacy or unified); without them the test is
# skipped. The group is removed on exit, also when a check fails.
BIN=$(readlink -f "$1")
source "${PELORIN_E2E_LIB:-$(dirname "$0")/lib.sh}"
SKIP=77
LIMIT_KB=1048576

skip() { echo "SKIP: $*"; exit "$SKIP"; }

# The legacy memory controller where it is mounted, else the unified
# hierarchy with the memory controller passed on to its children.
memory_mount() {
    local mp
    mp=$(awk '{ for (i = 7; i <= NF; i++) if ($i == "-") break;
                if ($(i + 1) == "cgroup" && ("," $(i + 3) ",") ~ /,memory,/) { print $5; exit } }' /proc/self/mountinfo)
    if [ -n "$mp" ]; then echo "legacy $mp"; return; fi
    mp=$(awk '{ for (i = 7; i <= NF; i++) if ($i == "-") break;
                if ($(i + 1) == "cgroup2") { print $5; exit } }' /proc/self/mountinfo)
    if [ -n "$mp" ] && grep -qw memory "$mp/cgroup.subtree_control" 2>/dev/null; then echo "unified $mp"; fi
}

[ "$(id -u)" = 0 ] || skip "making a control group needs root"
read -r KIND MOUNT < <(memory_mount)
[ -n "${KIND:-}" ] || skip "no memory controller mounted that this test can use"
MACHINE_KB=$(awk '/^MemTotal:/ { print $2 }' /proc/meminfo)
[ "$MACHINE_KB" -gt "$LIMIT_KB" ] || skip "the machine has no more than 1 GiB, so a 1 GiB limit shows nothing"

GROUP="$MOUNT/pelorin-e2e-$$"
mkdir "$GROUP" 2>/dev/null || skip "cannot make a group under $MOUNT"
remove_group() {
    e2e_cleanup
    # The kernel removes a group only once its processes are gone; they were
    # stopped above, but their exit is noted a moment later.
    local tries=0
    while [ -d "$GROUP" ] && ! rmdir "$GROUP" 2>/dev/null && [ "$tries" -lt 100 ]; do
        tries=$((tries + 1)); sleep 0.05
    done
    [ -d "$GROUP" ] && echo "could not remove $GROUP"
}
trap remove_group EXIT

if [ "$KIND" = legacy ]; then LIMIT_FILE=memory.limit_in_bytes; else LIMIT_FILE=memory.max; fi
echo $((LIMIT_KB * 1024)) > "$GROUP/$LIMIT_FILE" 2>/dev/null || skip "cannot set $LIMIT_FILE in $GROUP"
echo "group $GROUP ($KIND), machine $MACHINE_KB kB"

e2e_start

# The figures of the minimised title: "free／total[KB] - ペロリン".
title_figures() {
    local w
    w=$(pelorin_any_window) && [ -n "$w" ] || return 1
    window_title "$w" | sed -n 's/^\([0-9]*\)／\([0-9]*\)\[KB\] - ペロリン$/\1 \2/p' | grep .
}

# start_in_group ARGS...: the program with its first instruction already in the group.
start_in_group() {
    start_pelorin sh -c 'echo $$ > "$1/cgroup.procs" && shift && exec "$@"' sh "$GROUP" "$BIN" "$@"
}

stop_pelorin() {
    kill "$PELORIN_PID" 2>/dev/null
    wait_exit "$PELORIN_PID" 30
}

start_in_group /M
check "in the group: figures in the title" wait_for 30 title_figures
read -r FREE TOTAL < <(title_figures)
echo "in the group: ${FREE:-?}／${TOTAL:-?} KB"
check "in the group: total at most 1 GiB" test "${TOTAL:-0}" -gt 0 -a "${TOTAL:-0}" -le "$LIMIT_KB"
check "in the group: free within the total" test "${FREE:-1}" -le "${TOTAL:-0}"
check "in the group: the program is in it" grep -q "$PELORIN_PID" "$GROUP/cgroup.procs"
check "in the group: ends" stop_pelorin

start_pelorin "$BIN" /M
check "outside: figures in the title" wait_for 30 title_figures
read -r FREE TOTAL < <(title_figures)
echo "outside: ${FREE:-?}／${TOTAL:-?} KB"
check "outside: the machine's MemTotal" test "${TOTAL:-0}" = "$MACHINE_KB"
check "outside: ends" stop_pelorin

e2e_finish
