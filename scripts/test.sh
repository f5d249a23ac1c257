#!/usr/bin/env bash
# Sets everything up, builds all three builds and runs every test tier:
#   native  unit tests (GoogleTest, ASan, UBSan)
#   fuzz    bounded libFuzzer runs of the parsers (clang, ASan, UBSan)
#   win64   the real DLL and programs under Wine, plus build checks
#   win32   build checks of the i686 artifacts (this machine cannot run them)
# Exits non-zero when any tier fails.
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh || exit 1
scripts/build.sh native fuzz win64 win32 || exit 1

jobs=$(nproc 2>/dev/null || echo 2)
failed=()
run_tier() {
    local name=$1; shift
    echo "== test $name"
    "$@" || failed+=("$name")
}

run_tier native ctest --preset native -j "$jobs"
run_tier fuzz ctest --preset fuzz --no-tests=ignore
run_tier win32 ctest --preset win32
# The Wine suites run serially (RUN_SERIAL); the build checks around them are quick.
run_tier win64 ctest --preset win64

if [ ${#failed[@]} -gt 0 ]; then
    echo "test: FAILED tiers: ${failed[*]}"
    exit 1
fi
echo "test: all tiers passed"
