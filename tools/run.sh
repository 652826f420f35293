#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it under Wine in a prefix of its own,
# with a simulated gateway on a pseudo-terminal mapped as COM3, and beside it a virtual board
# (a simulated Mega 2560 with its stock bootloader) on COM5 to flash and then log (see the README).
# With no display set it runs on a private Xvfb display, works the window like a user and saves
# a screenshot after each step (build/mingw/screenshot.png after start-up, screenshot-logging.png
# with log mode on the simulated gateway, screenshot-menu.png with the system menu and its log
# file commands open, screenshot-flashing.png while the virtual board is
# flashed, screenshot-board.png after flashing and logging it), then closes the program again. Where the kernel runs no 32-bit code it runs
# the 64-bit build instead (build/mingw64, screenshots there too) and says so.
#
#   tools/run.sh [--dpi N]   N: the prefix's DPI (96 unless given; 144 is 150 % scaling). The
#                            screenshots of another DPI than 96 carry it in their names
#                            (screenshot-144dpi.png, screenshot-logging-144dpi.png, ...).
set -euo pipefail
trap 'echo "tools/run.sh: \"$BASH_COMMAND\" failed with exit code $?" >&2' ERR
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

source tools/lib/machine.sh

dpi=96
if [ $# -gt 0 ]; then
    if [ "$1" != --dpi ] || ! [ "${2:-}" -ge 48 ] 2>/dev/null; then
        echo "usage: tools/run.sh [--dpi N]" >&2
        exit 2
    fi
    dpi=$2
fi
shot=""
[ "$dpi" = 96 ] || shot=-${dpi}dpi

tools/install-deps.sh
preset=$(test_build)
if [ "$preset" = mingw64 ]; then
    echo "This machine runs no 32-bit code: starting the 64-bit build of the same program" \
         "(build/mingw64) under Wine's 64-bit loader."
    use_wine64
fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target VexlorLoader pressButton virtualBoard gatewayFirmware \
    avrdude

build=$root/build/$preset
run_dir=$build/run
mkdir -p "$run_dir"
export WINEPREFIX=$run_dir/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
use_wine_fonts
[ -f "$WINEPREFIX/.ready" ] || { DISPLAY= wineboot -i >/dev/null 2>&1; wineserver -w; touch "$WINEPREFIX/.ready"; }

# The simulated gateway: a banner shortly after the port opens, answers to the program's
# commands, and a reading every few seconds. Wine's own COM1 (the machine's first serial port,
# never a board here) is hidden meanwhile, so the gateway is the port selected at start-up.
# Both are put back as they were when the gateway ends.
hex() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n'; }
start_gateway() {
exec 3> >(exec python3 "$root/tests/fixtures/serialPeer.py" >"$run_dir/gateway.log" 2>&1)
gateway=$!
{
    echo "unlink COM1"
    echo "pty COM3"
    echo "banner COM3 500 $(hex $'20;00;Vexlor Gateway - R47\r\n')"
    echo "answer COM3 $(hex '10;version;') $(hex $'20;01;VER=1.1;REV=47;BUILD=0a;\r\n')"
    echo "answer COM3 $(hex '10;rfdebug=on;') $(hex $'20;02;RFDEBUG=ON;\r\n')"
    echo "answer COM3 $(hex '10;rfdebug=off;') $(hex $'20;03;RFDEBUG=OFF;\r\n')"
    echo "every COM3 4 $(hex $'20;04;Alecto V1;ID=2a01;TEMP=00c3;HUM=58;BAT=OK;\r\n')"
} >&3
sleep 0.5 # the port is mapped before the program scans
}

# The virtual board on COM5: what is flashed stays in virtual-board-flash.bin for the next run.
# avrdude.exe as this build makes it, with its avrdude.conf, and the fixture firmware go into the
# run folder, which is also put on the program's PATH: the program finds avrdude.exe there even
# after the open-file dialog has moved its current folder elsewhere.
bootloader=/usr/share/arduino/hardware/arduino/avr/bootloaders/stk500v2/stk500boot_v2_mega2560.hex
WINEPATH="Z:${run_dir//\//\\}"
export WINEPATH
start_board() {
    cp "$build/avrdude/avrdude.exe" "$build/avrdude/avrdude.conf" \
        "$build/fixtures/firmware/gateway.cpp.hex" \
        "$build/fixtures/firmware/gateway-137k.cpp.hex" "$run_dir/"
    "$build/fixtures/virtualBoard" --bootloader "$bootloader" --link "$WINEPREFIX/dosdevices/com5" \
        --image "$run_dir/virtual-board-flash.bin" --load-image </dev/null \
        >"$run_dir/virtual-board.log" 2>&1 3>&- &
    board=$!
    for _ in $(seq 1 50); do [ -L "$WINEPREFIX/dosdevices/com5" ] && break; sleep 0.1; done
    echo "Virtual board on COM5 (its events: $run_dir/virtual-board.log); firmware to flash:"
    echo "  $run_dir/gateway.cpp.hex"
}

# Wine's services map the machine's serial ports when they start: start them (on the display
# the program will use, setting the prefix's DPI) before the gateway's port is mapped, so they
# cannot map over it.
start_wine() {
    wineserver -p </dev/null >/dev/null 2>&1
    set_wine_dpi "$dpi"
}
stop() {
    kill "${gateway:-}" "${board:-}" 2>/dev/null || true
    sleep 0.5
    wineserver -k 2>/dev/null || true
}

program=$build/bin/VexlorLoader.exe
if [ -n "${DISPLAY:-}" ]; then
    trap stop EXIT
    start_wine
    start_gateway
    start_board
    cd "$run_dir"
    wine "$program" 3>&-
    exit 0
fi

# No display: a private Xvfb (larger as the DPI grows), screenshots of the main window, then a
# clean close.
Xvfb -displayfd 4 -screen 0 $((1280 * dpi / 96))x$((1024 * dpi / 96))x24 -nolisten tcp 4>"$run_dir/display" </dev/null >/dev/null 2>&1 &
xvfb=$!
cleanup() { stop; kill "$xvfb" 2>/dev/null || true; }
trap cleanup EXIT
for _ in $(seq 1 100); do [ -s "$run_dir/display" ] && break; sleep 0.1; done
export DISPLAY=:$(tr -d '[:space:]' <"$run_dir/display")
start_wine
start_gateway
start_board

# The screenshots show the window as a first run does, whatever an earlier run remembered.
rm -f "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/"Vexlor Loader"/settings.ini
(cd "$run_dir" && wine "$program" >/dev/null 2>&1 3>&- &)
window=""
for _ in $(seq 1 200); do
    window=$(xwininfo -root -tree 2>/dev/null | awk '/"Vexlor Loader V1.05"/ {print $1; exit}')
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "The main window did not appear." >&2; exit 1; }
sleep 1 # let the first paint finish
import -window "$window" "$build/screenshot$shot.png"
echo "Screenshot of the main window: $build/screenshot$shot.png"

press() { wine "$build/tests/pressButton.exe" "$@" 2>/dev/null 3>&-; }
press 1054 >/dev/null # "Serial Port Logging"
sleep 9 # the start takes about 3 s; then a reading or two arrive
import -window "$window" "$build/screenshot-logging$shot.png"
echo "Screenshot with log mode running: $build/screenshot-logging$shot.png"
# The system menu with the log file commands: a window of its own, so the screen is taken.
press menu >/dev/null
sleep 1
geometry=$(xwininfo -id "$window" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /Width/ {w=$NF} /Height/ {h=$NF} END {print w "x" h "+" x "+" y}')
import -window root -crop "$geometry" +repage "$build/screenshot-menu$shot.png"
press endmenu >/dev/null
echo "Screenshot of the system menu: $build/screenshot-menu$shot.png"

# The virtual board: flash the 137 KiB fixture image on COM5 (about half a minute, so the
# window can be seen while it flashes), then log it.
press 1054 >/dev/null # stop logging on COM3
sleep 1
press 1055 >/dev/null # "Clear log window"
press text 1006 "Z:${run_dir//\//\\}\\gateway-137k.cpp.hex" >/dev/null
press pick 1058 1 >/dev/null # COM3, COM5: the board
press 1015 >/dev/null # "Upload/Program Firmware to device"
sleep 9
import -window "$window" "$build/screenshot-flashing$shot.png"
echo "Screenshot while flashing: $build/screenshot-flashing$shot.png"
outcome=""
for _ in 1 2 3 4 5 6 7 8 9; do # each look waits up to ten seconds for the verdict box
    outcome=$(press answer | tr -d '\r') && break
done
echo "Flashing the virtual board on COM5: $outcome"
sleep 1
press 1054 >/dev/null # "Serial Port Logging" on COM5
sleep 5
import -window "$window" "$build/screenshot-board$shot.png"
echo "Screenshot with the flashed board logging: $build/screenshot-board$shot.png"
