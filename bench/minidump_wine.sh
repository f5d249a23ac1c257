#!/usr/bin/env bash
# Runs the minidump benchmark under Wine from a scratch folder without Report.exe, so the module writes its own
# dumps. Usage: bench/minidump_wine.sh [ROUNDS]   (after cmake --build --preset win64)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$root/build/win64/bin/minidump_bench.exe" "$scratch/"
mkdir "$scratch/out"
export SETUPAID_WINEPREFIX="${SETUPAID_WINEPREFIX:-$root/build/win64/wineprefix}"
cd "$scratch"
"$root/cmake/wine-run.sh" "Z:${scratch//\//\\}\\minidump_bench.exe" "Z:${scratch//\//\\}\\out\\" "${1:-5}"
