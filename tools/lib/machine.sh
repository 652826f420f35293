# What kind of machine this is, for the build, test, run and benchmark scripts (sourced).
#
# Some kernels run no 32-bit Linux program at all (not even Wine's 32-bit loader). There the
# whole suite runs against the 64-bit build under Wine's 64-bit loader, and the shipped 32-bit
# program is only run where user-mode emulation has been registered for 32-bit x86 programs.

VEXLOR_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# Writes a 96-byte 32-bit x86 Linux program that exits with code 42. With "native", one
# padding byte of its header is set: the kernel ignores it, but the usual binfmt_misc
# registration of a 32-bit x86 emulator does not match it, so only the kernel can run it.
write_probe() {
    local padding='\x00'
    [ "${2:-}" = native ] && padding='\x01'
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00'"$padding" >"$1"
    # e_type, e_machine, e_version, e_entry, e_phoff, e_shoff, e_flags, sizes and counts
    printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$1"
    printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00' >>"$1"
    # one loadable segment: the whole file at 0x08048000, readable and executable
    printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' >>"$1"
    printf '\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >>"$1"
    # mov eax, 1; mov ebx, 42; int 0x80 (exit)
    printf '\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >>"$1"
    chmod +x "$1"
}

run_probe() {
    local probe status
    probe=$(mktemp)
    write_probe "$probe" "${1:-}"
    status=0
    "$probe" 2>/dev/null || status=$?
    rm -f "$probe"
    [ "$status" -eq 42 ]
}

# True when the kernel itself runs 32-bit x86 programs.
runs_32bit_natively() { run_probe native; }

# True when 32-bit x86 programs run at all, natively or through a registered emulator.
runs_32bit() { run_probe; }

# Which build the tests exercise here: mingw (the shipped 32-bit program) where the kernel runs
# 32-bit code, mingw64 where it does not. VEXLOR_TEST_BUILD=mingw64 picks the 64-bit build on
# any machine.
test_build() {
    if [ -n "${VEXLOR_TEST_BUILD:-}" ]; then
        echo "$VEXLOR_TEST_BUILD"
    elif runs_32bit_natively; then
        echo mingw
    else
        echo mingw64
    fi
}

# Installs what is missing, then configures and builds the build the tests exercise here (all of
# it, or the targets named); sets preset and build (its folder).
build_tested() {
    "$VEXLOR_ROOT/tools/install-deps.sh"
    preset=$(test_build)
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" ${1:+--target "$@"}
    build=$VEXLOR_ROOT/build/$preset
}

# Makes plain `wine`, `wineboot`, `wine reg` ... use Wine's 64-bit loader: Debian's wrapper
# prefers the 32-bit loader whenever it is installed, and that cannot start here.
use_wine64() {
    export WINELOADER=/usr/lib/wine/wine64
    export PATH="$VEXLOR_ROOT/tools/wine64:$PATH"
}

# Wine sees only its own fonts (see tests/harness/wine-fonts.conf); call before making or using a
# prefix of the project's.
use_wine_fonts() {
    export FONTCONFIG_FILE="$VEXLOR_ROOT/tests/harness/wine-fonts.conf"
}

# Sets the DPI of the prefix in WINEPREFIX (its LogPixels, where Wine's configuration dialog puts
# it); Wine reads it when a process starts.
set_wine_dpi() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
        </dev/null >/dev/null 2>&1
}

# With VEXLOR_TEST_LOAD=1, keeps every core busy (one plain busy loop a core, at normal priority)
# until the calling script ends: a test's verdict must not depend on an idle machine.
start_load() {
    [ "${VEXLOR_TEST_LOAD:-0}" = 1 ] || return 0
    local cores pids=() _
    cores=$(nproc)
    for _ in $(seq 1 "$cores"); do
        (while :; do :; done) &
        pids+=($!)
    done
    # shellcheck disable=SC2064 # the loops' ids are known now
    trap "kill ${pids[*]} 2>/dev/null || true; $(trap -p EXIT | sed "s/^trap -- '\(.*\)' EXIT$/\1/")" EXIT
    echo "Artificial load: $cores busy loops beside the tests (VEXLOR_TEST_LOAD=1)"
}
