#!/usr/bin/env bash
# Builds a real NSIS installer around setupaid.dll, runs it silently under Wine and checks what its calls returned.
#   check_installer.sh BIN_DIR WORK_DIR        (SETUPAID_WINEPREFIX names the prefix)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=$1 work=$2
rm -rf "$work" && mkdir -p "$work"
makensis -V2 -DDLL="$bin/setupaid.dll" -DOUTFILE="$work/installer.exe" \
    -DRESULT="Z:$(printf '%s' "$work/result.txt" | tr / '\\')" "$here/calls_module.nsi"
timeout 120 "$here/../../../cmake/wine-run.sh" "$work/installer.exe" /S
cat "$work/result.txt"
expect() {
    grep -qx "$1" "$work/result.txt" || { echo "FAIL: expected the line '$1'"; exit 1; }
}
expect "IsAfter 2000: 1"
expect "IsAfter 9999: 0"
expect "GetFileDescription: Setup Aid installer extension"
expect "RuveEntry: 0"
cp_module=$(sed -n 's/^GetActiveCP: //p' "$work/result.txt")
cp_system=$(sed -n 's/^GetACP: //p' "$work/result.txt")
[ -n "$cp_module" ] && [ "$cp_module" = "$cp_system" ] || { echo "FAIL: GetActiveCP $cp_module, GetACP $cp_system"; exit 1; }
echo "ok: the installer called the module and got what it expected"
