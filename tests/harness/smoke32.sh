#!/usr/bin/env bash
# The shipped 32-bit program, started once for real: its main window appears (class, caption,
# controls), a screenshot of it is saved, and it closes with exit code 0.
#
#   smoke32.sh BUILD_DIR     BUILD_DIR: the build whose test programs drive it (mingw or mingw64)
#
# Where the suite runs the 32-bit build this takes seconds in the suite's own prefix. Where it
# runs the 64-bit build, the 32-bit program runs only through registered user-mode emulation,
# in a 64-bit prefix of its own made after the registration (then it takes minutes); without
# emulation the check is skipped with one line. Every step is bounded. A prefix that cannot be
# made within its bound is reported in one line and does not fail; once the prefix is there,
# a program that crashes, shows no window or ends badly does.
set -uo pipefail
source "$(dirname "$0")/../../tools/lib/machine.sh"
build=$(cd "${1:?usage: smoke32.sh BUILD_DIR}" && pwd)
program=$VEXLOR_ROOT/build/mingw/bin/VexlorLoader.exe
prefix_seconds=${VEXLOR_SMOKE_PREFIX_SECONDS:-480}
say() { echo "32-bit smoke test: $*"; }

if ! runs_32bit; then
    say "skipped, this machine runs no 32-bit code (see the README to register emulation for it)"
    exit 0
fi
how=natively
runs_32bit_natively || how="under emulation"
if [ "$(basename "$build")" = mingw ]; then
    harness=$build/harness
else
    harness=$build/smoke32
    export VEXLOR_WINE64=1
    use_wine64
fi
harness_script=$VEXLOR_ROOT/tests/harness/harness.sh
export WINEPREFIX=$harness/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
stop() { "$harness_script" stop "$harness" >/dev/null 2>&1; }
trap stop EXIT

started=$(date +%s)
if ! timeout "$prefix_seconds" "$harness_script" prefix "$harness" >/dev/null 2>&1; then
    wineserver -k 2>/dev/null
    say "not run, Wine could not make its prefix $how within $prefix_seconds s"
    exit 0
fi
prefix_time=$(($(date +%s) - started))
if ! timeout 300 "$harness_script" start "$harness" "$build/tests/waitForDesktop.exe"; then
    say "FAILED, the display and Wine's desktop did not start"
    exit 1
fi

screenshot=$build/smoke32.png
rm -f "$screenshot" "$build/smoke32.bmp"
output=$(mktemp)
started=$(date +%s)
DISPLAY=$(cat "$harness/display") \
    VEXLOR_SMOKE_PROGRAM="Z:${program//\//\\}" VEXLOR_SMOKE_SCREENSHOT="Z:${build//\//\\}\\smoke32.bmp" \
    timeout 600 wine "$build/tests/smoke_test.exe" </dev/null >"$output" 2>&1
status=$?
run_time=$(($(date +%s) - started))
if [ $status -ne 0 ]; then
    cat "$output"
    rm -f "$output"
    say "FAILED $how (exit code $status after $run_time s; the program: $program)"
    exit 1
fi
rm -f "$output"
convert "$build/smoke32.bmp" "$screenshot" 2>/dev/null && rm -f "$build/smoke32.bmp"
say "passed $how in $run_time s (prefix ready after $prefix_time s); screenshot: $screenshot"
