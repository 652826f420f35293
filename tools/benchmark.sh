#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine with the test harness, and prints their figures.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

tools/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw

build=$root/build/mingw
harness=$build/harness
tests/harness/harness.sh start "$harness" "$build/tests/waitForDesktop.exe"
trap 'tests/harness/harness.sh stop "$harness"' EXIT
# Optional argument: how many seconds the line-rate run lasts (600 when not given).
"$harness/wine-run" "$build/tests/port_scan_benchmark.exe"
"$harness/wine-run" "$build/tests/log_growth_benchmark.exe"
"$harness/wine-run" "$build/tests/line_rate_benchmark.exe" "${1:-600}"
