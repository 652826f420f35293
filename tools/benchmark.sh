#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine with the test harness, and prints their figures.
# They measure the build the tests exercise on this machine: the shipped 32-bit program where
# the kernel runs 32-bit code, the 64-bit build of the same sources where it does not.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source tools/lib/machine.sh

build_tested
harness=$build/harness
if [ "$preset" = mingw64 ]; then
    echo "Measuring the 64-bit build (build/mingw64): this machine runs no 32-bit code."
    export VEXLOR_WINE64=1
else
    echo "Measuring the shipped 32-bit build (build/mingw)."
fi
tests/harness/harness.sh start "$harness" "$build/tests/waitForDesktop.exe"
trap 'tests/harness/harness.sh stop "$harness"' EXIT
# Optional argument: how many seconds the line-rate run lasts (600 when not given).
"$harness/wine-run" "$build/tests/port_scan_benchmark.exe"
"$harness/wine-run" "$build/tests/log_growth_benchmark.exe"
"$harness/wine-run" "$build/tests/half_day_benchmark.exe"
"$harness/wine-run" "$build/tests/flash_overhead_benchmark.exe"
"$harness/wine-run" "$build/tests/startup_benchmark.exe"
"$harness/wine-run" "$build/tests/line_rate_benchmark.exe" "${1:-600}"
