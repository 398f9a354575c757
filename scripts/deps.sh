#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what building and running Pelorin needs on Debian 12 (as root).
# With "test": also what the tests, the fuzzers and the benchmarks need.
set -euo pipefail
packages=(build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev libx11-dev
          libx11-xcb-dev libsm-dev libice-dev fonts-ipafont-gothic fonts-dejavu-core xvfb openbox x11-utils xauth imagemagick)
if [ "${1:-}" = test ]; then
    packages+=(libgtest-dev libgmock-dev googletest libbenchmark-dev xdotool wmctrl clang
               libclang-rt-14-dev python3 desktop-file-utils libglib2.0-bin)
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q "${missing[@]}" </dev/null
fi
