#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under Wine through CTest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

tools/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw
cd build/mingw
ctest --output-on-failure -j2
