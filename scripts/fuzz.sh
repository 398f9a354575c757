#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets with clang in build-fuzz and runs each for a
# bounded time (PELORIN_FUZZ_SECONDS, 30 by default) from a scratch copy of its
# seed corpus, so the inputs a run discovers never land in the source tree.
# Exits non-zero on any crash, leak, timeout or broken check; the input that
# caused it is kept in build-fuzz/findings/ to be turned into a unit test.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${PELORIN_FUZZ_SECONDS:-30}
targets=(fuzz_export_reader fuzz_regtree fuzz_meminfo fuzz_cgroup)

# -O1 keeps the runs fast while asserts stay in.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DPELORIN_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" >/dev/null
cmake --build build-fuzz --target "${targets[@]}" -j"${PELORIN_FUZZ_JOBS:-1}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p build-fuzz/findings

status=0
for target in "${targets[@]}"; do
  cp -R "fuzz/corpus/$target" "$work/$target"
  echo "== $target: ${seconds} s"
  # libFuzzer stops itself after max_total_time; the outer limit only guards
  # against a run that cannot stop.
  if timeout --kill-after=10 $((seconds + 120)) "build-fuzz/fuzz/$target" \
      -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="build-fuzz/findings/$target-" "$work/$target" >"$work/$target.log" 2>&1; then
    grep -E '^stat::number_of_executed_units' "$work/$target.log" || true
  else
    tail -n 60 "$work/$target.log"
    echo "$target: FAILED (input kept in build-fuzz/findings/)"
    status=1
  fi
done
exit "$status"
