#!/usr/bin/env bash
# The main job, end to end under Wine: an installer's-eye view of setupaid.dll. Sets everything up, builds the
# win64 module and tools, and calls the exports through modcall the way an installer script would.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/build.sh win64 >/dev/null

bin=build/win64/bin
export SETUPAID_WINEPREFIX="$PWD/build/win64/demo-wineprefix"
wine_run() { cmake/wine-run.sh "$@" | tr -d '\r'; }
trap 'cmake/wine-run.sh --stop-server' EXIT
cmake/wine-run.sh --start-server

call() {
    local what=$1; shift
    printf '%-58s -> %s\n' "$what" "$(wine_run "$bin/modcall.exe" "$bin/setupaid.dll" "$@")"
}

echo "setupaid.dll (x86_64) called through modcall under Wine, as an installer calls it"
echo
year=$(date +%Y); month=$(date +%-m); day=$(date +%-d)
call "GetActiveCP (the ANSI code page)" GetActiveCP
call "IsAfter $day.$month.$year (today: on or after)" IsAfter "i:$day" "i:$month" "i:$year"
call "IsAfter 1.1.$((year + 1)) (a date to come)" IsAfter i:1 i:1 "i:$((year + 1))"
call "IsAfter 31.12.$((year - 1)) (a date gone by)" IsAfter i:31 i:12 "i:$((year - 1))"
call "RuveEntry 1 2 3" RuveEntry i:1 i:2 i:3
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
printf '%-58s -> %s\n' "fontrev DejaVuSans.ttf (what UpdateFont compares)" \
    "$(wine_run "$bin/fontrev.exe" "Z:${font//\//\\}" | sed 's/^.*: //')"
