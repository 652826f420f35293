#!/usr/bin/env bash
# Lets a machine whose kernel runs no 32-bit code run 32-bit x86 programs (Wine's 32-bit loader
# and so the shipped VexlorLoader.exe) through qemu-user's emulation, by registering it with
# binfmt_misc. This changes a machine-wide setting until the next reboot; run as root, and only
# on purpose (CI does, on its throw-away machines). `tools/emulate-32bit.sh off` removes it.
set -euo pipefail
source "$(dirname "$0")/lib/machine.sh"
binfmt=/proc/sys/fs/binfmt_misc

if [ "${1:-on}" = off ]; then
    [ -e "$binfmt/qemu-i386" ] && echo -1 >"$binfmt/qemu-i386"
    exit 0
fi
if runs_32bit; then
    exit 0
fi
[ -x /usr/bin/qemu-i386 ] || { echo "qemu-i386 is missing: run tools/install-deps.sh first" >&2; exit 1; }
[ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
echo ":qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386:OCF" >"$binfmt/register"
runs_32bit && echo "32-bit x86 programs now run through qemu-i386 (until reboot, or '$0 off')."
