#!/usr/bin/env bash
# Configures and builds the given builds (default: all three) from the CMake presets.
#   scripts/build.sh                 native, fuzz, win64 and win32
#   scripts/build.sh win64 win32     only those
# Artifacts: build/win64/bin, build/win32/bin (setupaid.dll and the tools), build/native (tools, tests).
set -euo pipefail
cd "$(dirname "$0")/.."

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(native fuzz win64 win32)
jobs=$(nproc 2>/dev/null || echo 2)

for preset in "${presets[@]}"; do
    echo "== build $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
done
