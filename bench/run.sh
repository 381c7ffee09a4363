#!/bin/sh
# Runs every benchmark from a build folder and prints their figures; nothing here passes
# or fails. Build it first, optimised:
#   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release
#   cmake --build build-bench --target bench_link talvaro-bench-firmware bench_firmware_transfer \
#       bench_startup bench_history
# Usage: bench/run.sh [build folder] [runs]
set -eu
build=${1:-build}
runs=${2:-}
bench="$build/bench"

echo "== link round trip"
"$bench/bench_link" ${runs:+--runs "$runs"}

echo
echo "== firmware file and AES-256-CBC"
"$bench/talvaro-bench-firmware" ${runs:+--runs "$runs"}
echo "-- the same with OpenSSL kept off AES-NI"
OPENSSL_ia32cap="~0x200000000000000" "$bench/talvaro-bench-firmware" ${runs:+--runs "$runs"} |
    grep -A2 '^  OpenSSL '

echo
echo "== firmware transfer at 57600 baud (about 40 s a run)"
"$bench/bench_firmware_transfer" ${runs:+--runs "$runs"}

echo
echo "== start-up and peak memory"
"$bench/bench_startup" ${runs:+--runs "$runs"}
if command -v xvfb-run >/dev/null 2>&1; then
    echo "-- the same on an X server (Xvfb)"
    xvfb-run -a "$bench/bench_startup" --platform xcb ${runs:+--runs "$runs"}
fi

echo
echo "== history of 10,000 entries"
"$bench/bench_history" ${runs:+--runs "$runs"}
