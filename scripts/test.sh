#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds Pelorin with the sanitizers and runs every test through ctest, then
# the fuzzers for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DPELORIN_TESTS=ON -DPELORIN_SANITIZE=ON >/dev/null
cmake --build build-test -j"$(nproc)"
status=0
(cd build-test && ctest --output-on-failure --timeout 300 -j2) || status=1
bash scripts/fuzz.sh || status=1
exit "$status"
