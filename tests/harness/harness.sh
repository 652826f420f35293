#!/usr/bin/env bash
# The test harness's own Wine prefix and X display, shared by every test of one run.
#
#   harness.sh prefix DIR   make the Wine prefix in DIR/prefix if it is missing
#   harness.sh start DIR [PROGRAM]
#                           prefix, a fresh Xvfb display and a persistent wineserver; then
#                           runs PROGRAM (a Windows program that waits for the desktop)
#   harness.sh stop DIR     end the wineserver of that prefix and the Xvfb it started
#
# Only processes this harness started are ended: the prefix's own wineserver and the
# Xvfb whose pid it wrote down. With VEXLOR_WINE64=1 every Wine program of the prefix starts
# through Wine's 64-bit loader (the 64-bit build, on machines that run no 32-bit code).
set -euo pipefail
source "$(dirname "$0")/../../tools/lib/machine.sh"
[ "${VEXLOR_WINE64:-0}" = 1 ] && use_wine64

usage="usage: harness.sh prefix|start|stop DIR [PROGRAM]"
command=${1:?$usage}
dir=${2:?$usage}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd) # Wine takes only an absolute prefix path

export WINEPREFIX="$dir/prefix"
use_wine_fonts
export WINEDEBUG=-all
# Without these overrides Wine offers to download Mono and Gecko in a dialog.
export WINEDLLOVERRIDES="mscoree,mshtml="

make_prefix() {
    exec 9>"$dir/prefix.lock"
    flock 9
    if [ ! -f "$WINEPREFIX/.ready" ]; then
        rm -rf "$WINEPREFIX"
        DISPLAY= wineboot -i >/dev/null 2>&1
        # A crashing program ends at once instead of waiting behind Wine's crash dialog.
        DISPLAY= wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        # Windows live in a Wine virtual desktop: without a window manager on the display,
        # Wine otherwise waits about 2 s for X to confirm each closed top-level window.
        DISPLAY= wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1
        DISPLAY= wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1280x1024 /f >/dev/null 2>&1
        # Under emulation a device service may keep running after the prefix is made, and the
        # server would wait for it forever: end it (the registry is saved as the server ends).
        timeout 120 wineserver -w || wineserver -k
        touch "$WINEPREFIX/.ready"
    fi
    flock -u 9
}

start_display() {
    if [ -f "$dir/xvfb.pid" ] && kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null; then
        return
    fi
    rm -f "$dir/display"
    # -displayfd lets Xvfb pick a free display number and tell it once it accepts clients.
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
        3>"$dir/display.tmp" </dev/null >"$dir/xvfb.log" 2>&1 &
    echo $! >"$dir/xvfb.pid"
    for _ in $(seq 1 100); do
        if [ -s "$dir/display.tmp" ]; then
            echo ":$(tr -d '[:space:]' <"$dir/display.tmp")" >"$dir/display"
            return
        fi
        sleep 0.1
    done
    echo "Xvfb did not start; see $dir/xvfb.log" >&2
    exit 1
}

case "$command" in
prefix)
    make_prefix
    ;;
start)
    make_prefix
    start_display
    # Wine processes left from listing the tests run without this display (their desktop
    # would refuse every window): end them, then start afresh on the test display.
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    # A persistent wineserver makes every later Wine start quick.
    setsid wineserver -p </dev/null >/dev/null 2>&1 || true
    if [ -n "${3:-}" ]; then
        DISPLAY=$(cat "$dir/display") wine "$3" </dev/null >/dev/null 2>&1
    fi
    ;;
stop)
    wineserver -k 2>/dev/null || true
    if [ -f "$dir/xvfb.pid" ]; then
        kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
        rm -f "$dir/xvfb.pid"
    fi
    rm -f "$dir/display" "$dir/display.tmp"
    ;;
*)
    echo "$usage" >&2
    exit 2
    ;;
esac
