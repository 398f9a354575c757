#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds Pelorin and runs it. On a machine without a display it runs the
# monitor for a few seconds on a private X server and saves a screenshot.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-release --target pelorin -j"$(nproc)"
if [ -n "${DISPLAY:-}" ]; then
    exec build-release/pelorin "$@"
fi
source tests/e2e/lib.sh
e2e_start 1024x768
start_pelorin "$PWD/build-release/pelorin" "$@"
wait_window 30 || { echo "the monitor window did not appear"; cat "$E2E_TMP/pelorin.log"; exit 1; }
sleep 3
shot="$PWD/pelorin-screenshot.png"
import -window root "$shot"
echo "screenshot: $shot"
