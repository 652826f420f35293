#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under Wine through CTest.
#
# Where the kernel runs 32-bit code, the suite runs against the shipped 32-bit build
# (build/mingw). Where it does not, the suite runs against the 64-bit build of the same sources
# (build/mingw64) under Wine's 64-bit loader, and the 32-bit program is still built with
# warnings as errors and checked as a file. Either way the 32-bit program is then started once
# for real (tests/harness/smoke32.sh), or a line says why it could not be.
# VEXLOR_TEST_LOAD=1 runs the tests beside busy loops on every core (tools/lib/machine.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source tools/lib/machine.sh

tools/install-deps.sh
build=$(test_build)
cmake --preset mingw >/dev/null
if [ "$build" = mingw ]; then
    cmake --build --preset mingw
else
    echo "This machine runs no 32-bit code: the tests exercise the 64-bit build (build/mingw64)" \
         "under Wine's 64-bit loader; the shipped 32-bit program is built and checked as a file."
    cmake --build --preset mingw --target VexlorLoader avrdude startCheck
    (cd build/mingw && ctest --output-on-failure -L package)
    cmake --preset mingw64 >/dev/null
    cmake --build --preset mingw64
fi
# The suite's Wine prefix is made before the tests are listed, so that making it never counts
# against the listing's time limit.
VEXLOR_WINE64=$([ "$build" = mingw64 ] && echo 1 || echo 0) \
    tests/harness/harness.sh prefix "build/$build/harness"
# CI registers the 32-bit emulation here, after the suite's prefix was made without it: with
# it, making a 64-bit prefix takes minutes (its 32-bit half is set up under emulation). The
# shipped program's check (shipped.smoke32) makes its own prefix afterwards, beside the suite.
if [ "${VEXLOR_EMULATE_32BIT:-0}" = 1 ]; then
    tools/emulate-32bit.sh
fi
start_load
status=0
(cd "build/$build" && ctest --output-on-failure -j2) || status=$?
# What the shipped program's check found, also when it was skipped or passed.
cat "build/$build/smoke32/verdict.txt" 2>/dev/null || true
exit $status
