#!/usr/bin/env bash
# The shipped 32-bit program, checked as a user gets it, in a fresh Wine prefix of its own:
#   1. the release archive unzipped into an empty folder: the program shows its whole window
#      (screenshot saved) and closes with exit code 0, and `--flash` writes the gateway firmware
#      onto the virtual board with the avrdude.exe shipped beside it;
#   2. the installer, silently (/S): the files, the Start-menu shortcut and the entry in the list
#      of installed programs are there, the installed program flashes the board the same way,
#      installing again and uninstalling while the program runs close it first, and the silent
#      uninstall leaves no file, shortcut or entry behind.
#
#   smoke32.sh BUILD_DIR     BUILD_DIR: the build whose test programs drive it (mingw or mingw64)
#
# Where the kernel runs 32-bit code this takes about a minute. Elsewhere the 32-bit programs
# run only through registered user-mode emulation (tools/emulate-32bit.sh), in a 64-bit prefix
# made after the registration, and every 32-bit start takes about a minute. Exit codes: 0
# passed, 1 failed, 77 not run here (the reason is printed in one line): no 32-bit code runs
# at all, the prefix could not be made in time, or emulated Wine cannot start even a trivial
# 32-bit program (the machine's limit, not the program's).
set -uo pipefail
source "$(dirname "$0")/../../tools/lib/machine.sh"
build=$(cd "${1:?usage: smoke32.sh BUILD_DIR}" && pwd)
shipped=$VEXLOR_ROOT/build/mingw
harness=$build/smoke32
prefix_seconds=${VEXLOR_SMOKE_PREFIX_SECONDS:-480}
# The verdict also goes to a file, which the test command prints after the suite's summary.
say() { mkdir -p "$harness"; echo "32-bit smoke test: $*" | tee "$harness/verdict.txt"; }
not_run() { say "not run, $*"; exit 77; }
failed() { say "FAILED $how: $*"; exit 1; }

runs_32bit || not_run "this machine runs no 32-bit code (see the README to register emulation for it)"
how=natively
if ! runs_32bit_natively; then
    how="under emulation"
    # Some kernels leave emulated 32-bit Wine no room for its shared user data unless qemu
    # reserves the whole 4 GB guest address space up front.
    export QEMU_RESERVED_VA=${QEMU_RESERVED_VA:-0xffff0000}
fi
if [ "$(basename "$build")" = mingw64 ]; then
    export VEXLOR_WINE64=1
    use_wine64
fi
harness_script=$VEXLOR_ROOT/tests/harness/harness.sh
export WINEPREFIX=$harness/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
use_wine_fonts
stop() { "$harness_script" stop "$harness" >/dev/null 2>&1; }
trap stop EXIT

# A fresh prefix every time: the installer must meet a system it has never seen.
started=$(date +%s)
stop
rm -rf "$harness"
say "started $how" >/dev/null
if ! timeout "$prefix_seconds" "$harness_script" prefix "$harness" >/dev/null 2>&1; then
    wineserver -k 2>/dev/null
    not_run "Wine could not make its prefix $how within $prefix_seconds s"
fi
prefix_time=$(($(date +%s) - started))
if [ "$how" != natively ] && [ -z "$(ls -A "$WINEPREFIX/drive_c/windows/syswow64" 2>/dev/null)" ]; then
    say "the prefix's syswow64 is empty: Wine's 32-bit side could not be set up $how"
fi
timeout 300 "$harness_script" start "$harness" "$build/tests/waitForDesktop.exe" ||
    failed "the display and Wine's desktop did not start"
export DISPLAY=$(cat "$harness/display")

windows_path() { echo "Z:${1//\//\\}"; }
# The smoke driver (a test program of BUILD_DIR) against one program; its output is kept.
output=$harness/driver-output.txt
drive() {
    local program=$1 filter=$2
    VEXLOR_SMOKE_PROGRAM=$program VEXLOR_SMOKE_SCREENSHOT="$(windows_path "$build")\\smoke32.bmp" \
        timeout 1200 wine "$build/tests/smoke_test.exe" --gtest_filter="$filter" </dev/null >"$output" 2>&1
}
# A failure is the program's only when a trivial 32-bit program starts the same way.
program_failed() {
    cat "$output"
    if ! timeout 300 wine "$shipped/tests/startCheck.exe" </dev/null >/dev/null 2>&1; then
        not_run "Wine cannot start 32-bit programs $how on this machine: a trivial one failed too"
    fi
    failed "$*"
}

# 1. The release archive, unzipped into an empty folder of the prefix.
release=$harness/release
cpack --config "$shipped/CPackConfig.cmake" -B "$release" >/dev/null ||
    failed "cpack could not make the release"
archive=$(ls "$release"/VexlorLoader-*-win32.zip)
setup=$(ls "$release"/VexlorLoader-*-setup.exe)
unzipped="$WINEPREFIX/drive_c/Vexlor release"
mkdir -p "$unzipped"
python3 -m zipfile -e "$archive" "$unzipped" || failed "the archive could not be unzipped"
name=$(basename "$archive" .zip)
started=$(date +%s)
rm -f "$build/smoke32.bmp"
drive "C:\\Vexlor release\\$name\\VexlorLoader.exe" 'Smoke.Program*' ||
    program_failed "the program from the release archive (exit code $?)"
archive_time=$(($(date +%s) - started))
convert "$build/smoke32.bmp" "$build/smoke32.png" 2>/dev/null && rm -f "$build/smoke32.bmp"

# 2. The installer's round trip.
started=$(date +%s)
timeout 600 wine "$setup" /S </dev/null >/dev/null 2>&1 || failed "the silent install failed (exit code $?)"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vexlor Loader'
entry=$(wine reg query "$uninstall_key" /reg:32 2>/dev/null | tr -d '\r')
folder=$(wine winepath -u "$(sed -n 's/^ *UninstallString *REG_SZ *"\(.*\)\\Uninstall.exe"$/\1/p' <<<"$entry")" 2>/dev/null)
shortcut=$(find "$WINEPREFIX/drive_c" -name 'Vexlor Loader.lnk' 2>/dev/null | head -1)
for value in "DisplayName *REG_SZ *Vexlor Loader" "DisplayVersion *REG_SZ *[0-9.]*" \
             "Publisher *REG_SZ *Vexlor" "UninstallString"; do
    grep -q "^ *$value" <<<"$entry" || failed "the installed programs' entry lacks $value: $entry"
done
[ -n "$folder" ] && [ -f "$folder/VexlorLoader.exe" ] || failed "no installed program in '$folder'"
expected=$(cd "$unzipped/$name" && find . -type f | sort)
installed=$(cd "$folder" && find . -type f ! -name Uninstall.exe | sort)
[ "$expected" = "$installed" ] || failed "the installer put other files than the archive holds: $installed"
[ -n "$shortcut" ] || failed "the installer made no Start-menu shortcut"
drive "$(wine winepath -w "$folder/VexlorLoader.exe" 2>/dev/null | tr -d '\r')" 'Smoke.*Flashes*' ||
    program_failed "the installed program (exit code $?)"
# Installed again over the running program, then uninstalled while it runs: each closes it
# first. The uninstaller copies itself elsewhere and ends at once; the copy does the work.
VEXLOR_SMOKE_SETUP=$(windows_path "$setup") \
    drive "$(wine winepath -w "$folder/VexlorLoader.exe" 2>/dev/null | tr -d '\r')" \
    'Smoke.InstallerAndUninstallerCloseTheRunningProgramFirst' ||
    program_failed "installing or uninstalling over the running program (exit code $?)"
for _ in $(seq 1 300); do
    [ -e "$folder" ] || [ -e "$shortcut" ] || break
    sleep 1
done
[ -e "$folder" ] && failed "the uninstaller left $(find "$folder" | head -5 | tr '\n' ' ')"
[ -e "$shortcut" ] && failed "the uninstaller left the shortcut $shortcut"
wine reg query "$uninstall_key" /reg:32 >/dev/null 2>&1 && failed "the uninstaller left the entry $uninstall_key"
wine reg query 'HKLM\Software\Vexlor\Vexlor Loader' /reg:32 >/dev/null 2>&1 &&
    failed "the uninstaller left the key HKLM\\Software\\Vexlor\\Vexlor Loader"
installer_time=$(($(date +%s) - started))
say "passed $how (prefix $prefix_time s; release archive: window and flash, $archive_time s;" \
    "installer: install, flash, uninstall, $installer_time s); screenshot: $build/smoke32.png"
