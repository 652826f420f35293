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
for _ in 1 2 3; do "$harness/wine-run" "$build/tests/port_scan_benchmark.exe"; done
