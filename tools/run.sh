#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it under Wine in a prefix of its own.
# With no display set it runs on a private Xvfb display, saves a screenshot of the main window
# to build/mingw/screenshot.png and closes the program again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

tools/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target VexlorLoader

build=$root/build/mingw
run_dir=$build/run
mkdir -p "$run_dir"
export WINEPREFIX=$run_dir/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/.ready" ] || { DISPLAY= wineboot -i >/dev/null 2>&1; wineserver -w; touch "$WINEPREFIX/.ready"; }

program=$build/bin/VexlorLoader.exe
if [ -n "${DISPLAY:-}" ]; then
    cd "$run_dir"
    exec wine "$program"
fi

# No display: a private Xvfb, a screenshot of the main window, then a clean close.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$run_dir/display" </dev/null >/dev/null 2>&1 &
xvfb=$!
cleanup() { wineserver -k 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true; }
trap cleanup EXIT
for _ in $(seq 1 100); do [ -s "$run_dir/display" ] && break; sleep 0.1; done
export DISPLAY=:$(tr -d '[:space:]' <"$run_dir/display")

(cd "$run_dir" && wine "$program" >/dev/null 2>&1 &)
window=""
for _ in $(seq 1 200); do
    window=$(xwininfo -root -tree 2>/dev/null | awk '/"Vexlor Loader V1.05"/ {print $1; exit}')
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "The main window did not appear." >&2; exit 1; }
sleep 1 # let the first paint finish
import -window "$window" "$build/screenshot.png"
echo "Screenshot of the main window: $build/screenshot.png"
