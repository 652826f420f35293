#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, and nothing when they are all there.
# Safe to run again: it only calls apt-get when a package or the i386 architecture is missing.
# Both Windows toolchains and both Wine loaders: the 64-bit build is the one tested on machines
# that run no 32-bit code.
set -euo pipefail

source "$(dirname "$0")/lib/machine.sh"

packages=(
  g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix mingw-w64-tools cmake ninja-build googletest
  wine wine32:i386 wine64 xvfb x11-utils imagemagick python3
  # The virtual board: a Linux program on libsimavr (built with the host compiler), the stock
  # Mega 2560 bootloader, the AVR compiler for its firmware and the Linux avrdude.
  gcc libc6-dev libsimavr-dev arduino-core-avr gcc-avr avr-libc avrdude
)
# Where the kernel runs no 32-bit code, the shipped 32-bit program can only run under user-mode
# emulation (registering it is a separate, deliberate step: tools/emulate-32bit.sh).
runs_32bit_natively || packages+=(qemu-user)

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ] && [ $need_update -eq 0 ]; then
  exit 0
fi

export DEBIAN_FRONTEND=noninteractive
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
