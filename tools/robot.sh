#!/usr/bin/env bash
# Plays a seeded session of random user actions against the real program under Wine and checks
# the window against a model after every action (tests/robot/robot.cpp):
#   tools/robot.sh --actions N --seed S
# It reports actions played, states visited and invariant violations, and for a failed check
# the line that replays it. It runs on a harness of its own, so the tests can run beside it.
# VEXLOR_TEST_LOAD=1 plays it beside busy loops on every core.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source tools/lib/machine.sh

build_tested robot waitForDesktop >/dev/null
harness=$build/robot-harness
mkdir -p "$harness"
sed "s|^harness_dir=.*|harness_dir=\"$harness\"|" "$build/harness/wine-run" >"$harness/wine-run"
chmod +x "$harness/wine-run"
[ "$preset" = mingw64 ] && export VEXLOR_WINE64=1
tests/harness/harness.sh start "$harness" "$build/tests/waitForDesktop.exe"
trap 'tests/harness/harness.sh stop "$harness"' EXIT
start_load
"$harness/wine-run" "$build/tests/robot.exe" "$@"
