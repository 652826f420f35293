#!/usr/bin/env bash
# Runs a Windows test program of this build once at each DPI given, with VEXLOR_DPI telling it
# which one to expect:
#
#   atEachDpi.sh HARNESS_DIR PROGRAM DPI...
#
# Wine takes the DPI from the prefix's registry (LogPixels) when a process starts, and the tests
# share one prefix, so the runs happen in a prefix of their own (HARNESS_DIR/dpi/prefix: the
# harness's prefix with its own registry and folders, its files hard-linked, as Wine only reads
# them) on an X display of their own, which leave the shared prefix and display alone.
set -euo pipefail
source "$(dirname "$0")/../../tools/lib/machine.sh"
[ "${VEXLOR_WINE64:-0}" = 1 ] && use_wine64

usage="usage: atEachDpi.sh HARNESS_DIR PROGRAM DPI..."
harness=$(cd "${1:?$usage}" && pwd)
program=${2:?$usage}
shift 2
[ $# -gt 0 ] || { echo "$usage" >&2; exit 2; }

"$(dirname "$0")/harness.sh" prefix "$harness"
dir=$harness/dpi
rm -rf "$dir"
mkdir -p "$dir/prefix/dosdevices"
cp -a "$harness/prefix/"*.reg "$harness/prefix/.update-timestamp" "$dir/prefix/"
cp -al "$harness/prefix/drive_c" "$dir/prefix/"
# Drives C: and Z: only: the shared prefix's COM port links come and go as other tests run.
ln -s ../drive_c "$dir/prefix/dosdevices/c:"
ln -s / "$dir/prefix/dosdevices/z:"
# A Wine desktop large enough for the window at the highest DPI (read when the desktop starts).
sed -i 's/^"Default"="[0-9]*x[0-9]*"$/"Default"="2560x2048"/' "$dir/prefix/user.reg"
grep -q '^"Default"="2560x2048"$' "$dir/prefix/user.reg" ||
    { echo "The harness's prefix has no Wine desktop to enlarge." >&2; exit 1; }

export WINEPREFIX=$dir/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
use_wine_fonts
Xvfb -displayfd 3 -screen 0 2560x2048x24 -nolisten tcp 3>"$dir/display" </dev/null \
    >"$dir/xvfb.log" 2>&1 &
xvfb=$!
finish() {
    wineserver -k 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap finish EXIT
for _ in $(seq 1 100); do [ -s "$dir/display" ] && break; sleep 0.1; done
DISPLAY=:$(tr -d '[:space:]' <"$dir/display")
export DISPLAY
wineserver -p </dev/null >/dev/null 2>&1

failed=0
for dpi in "$@"; do
    set_wine_dpi "$dpi"
    echo "At $dpi DPI:"
    # As wine-run does: Wine's helper processes must not hold the test runner's pipe.
    VEXLOR_DPI=$dpi wine "$program" </dev/null >"$dir/output" 2>&1 || failed=1
    cat "$dir/output"
done
exit $failed
