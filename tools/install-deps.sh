#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, and nothing when they are all there.
# Safe to run again: it only calls apt-get when a package or the i386 architecture is missing.
# Both Windows toolchains and both Wine loaders: the 64-bit build is the one tested on machines
# that run no 32-bit code.
set -euo pipefail

source "$(dirname "$0")/lib/machine.sh"

packages=(
  g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix mingw-w64-tools cmake ninja-build googletest
  wine wine32:i386 wine64 fonts-wine xvfb x11-utils imagemagick python3
  # Real mouse double-clicks on the display.
  xdotool
  # The virtual board: a Linux program on libsimavr (built with the host compiler), the stock
  # Mega 2560 bootloader and the AVR compiler for its firmware.
  gcc libc6-dev libsimavr-dev arduino-core-avr gcc-avr avr-libc
  # avrdude for Windows is built from Debian's avrdude source; the installer with NSIS.
  flex bison nsis
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

export DEBIAN_FRONTEND=noninteractive
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
if [ ${#missing[@]} -ne 0 ] || [ $need_update -ne 0 ]; then
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Debian's avrdude source, fetched once into build/downloads and checked against the checksum the
# build pins (cmake/avrdude.cmake); apt-get source needs the deb-src entries of Debian's archive.
avrdude_pin=$VEXLOR_ROOT/cmake/avrdude.cmake
tarball=$(sed -n 's/^set(VEXLOR_AVRDUDE_TARBALL_NAME \(.*\))$/\1/p' "$avrdude_pin")
checksum=$(sed -n 's/^set(VEXLOR_AVRDUDE_SHA256 \(.*\))$/\1/p' "$avrdude_pin")
downloads=$VEXLOR_ROOT/build/downloads
verified() { echo "$checksum  $downloads/$tarball" | sha256sum --check --status 2>/dev/null; }
if ! verified; then
  mkdir -p "$downloads"
  if ! apt-get source --print-uris avrdude 2>/dev/null | grep -q "$tarball"; then
    sources=/etc/apt/sources.list.d/debian-sources.sources
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | "${sudo_cmd[@]}" tee "$sources" >/dev/null
    else
      grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | "${sudo_cmd[@]}" tee "${sources%.sources}.list" >/dev/null
    fi
    "${sudo_cmd[@]}" apt-get update -qq
  fi
  # Only the upstream tarball is needed: a missing Debian patch tarball is no failure here.
  (cd "$downloads" && apt-get source --download-only avrdude >/dev/null 2>&1 || true)
  find "$downloads" -maxdepth 1 -name 'avrdude_*' ! -name "$tarball" -delete
  if ! verified; then
    echo "install-deps: $tarball could not be fetched with apt-get source, or its checksum is not" \
         "$checksum" >&2
    exit 1
  fi
fi
