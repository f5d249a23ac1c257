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

echo
echo "File descriptions (version resources):"
call "GetFileDescription setupaid.dll" GetFileDescription "s:$(wine_run winepath -w "$bin/setupaid.dll")"
call "GetFileDescription kernel32.dll" GetFileDescription 's:C:\windows\system32\kernel32.dll'
call "GetFileDescription of a missing file (empty text)" GetFileDescription 's:C:\no\such.dll'

echo
echo "Icon cache rebuild (\"Shell Icon Size\" before and after):"
icon_size() { wine_run reg query 'HKCU\Control Panel\desktop\WindowMetrics' /v 'Shell Icon Size' 2>/dev/null |
              grep -i 'Shell Icon Size' | sed 's/^ *//' || echo "(absent)"; }
wine_run reg add 'HKCU\Control Panel\desktop\WindowMetrics' /v 'Shell Icon Size' /t REG_SZ /d 32 /f >/dev/null
echo "  before: $(icon_size)"
call "ForceIconCacheRebuild" ForceIconCacheRebuild
echo "  after:  $(icon_size)"

echo
echo "Shortcut retargeting:"
links=$(mktemp -d)
trap 'rm -rf "$links"; cmake/wine-run.sh --stop-server' EXIT
links_win="Z:$(printf '%s' "$links" | tr / '\\')"
if [ -f "$bin/retarget_link_host.exe" ]; then
    printf '%-58s -> %s\n' "old.lnk -> notepad.exe retargeted to regedit.exe as new.lnk" \
        "$(wine_run "$bin/retarget_link_host.exe" "$links_win")"
    echo "  files now: $(cd "$links" && ls)"
    echo "  lnkinfo new.lnk: $(lnkinfo "$links/new.lnk" | grep -i 'local path' | sed 's/^[[:space:]]*//' | head -1)"
    call "new.lnk still expected at notepad.exe (same length: 2)" \
        CheckShortCutAndUpdateIfNecessary "s:$links_win\\new.lnk" 's:C:\windows\notepad.exe' \
        's:C:\windows\write.exe' "s:$links_win\\other.lnk"
fi
call "a link that does not exist" CheckShortCutAndUpdateIfNecessary 's:C:\no\such.lnk' 's:C:\x.exe' \
    's:C:\y.exe' 's:C:\z.lnk'

echo
echo "A crash: an installer that loaded setupaid.dll hits an access violation (ForceTvd 1: both files)"
crashes=$(mktemp -d)
trap 'rm -rf "$links" "$crashes"; cmake/wine-run.sh --stop-server' EXIT
crashes_win="Z:$(printf '%s' "$crashes" | tr / '\\')"
echo "  $(wine_run "$bin/crash_host.exe" --parent --temp "$crashes_win" --setting ForceTvd=1 write-av main 2>/dev/null)" \
     "(the process ends with the fault's own code)"
echo "  files left in %TEMP%:"
(cd "$crashes" && ls -l --time-style=+ | tail -n +2 | awk '{$1=$2=$3=$4=""; print "   " $0}')
dump=$(ls "$crashes"/*.dmp 2>/dev/null | head -1)
tvd=$(ls "$crashes"/*.tvd 2>/dev/null | head -1)
if [ -n "$dump" ]; then
    echo
    echo "  winedump dump (the minidump's streams and its exception):"
    winedump dump "$dump" | grep -E '^Stream \[|ThreadId|ExceptionCode|ExceptionAddress|NumberOfThreads' |
        head -16 | sed 's/^/    /'
fi
if [ -n "$tvd" ]; then
    echo
    echo "  tvdinfo (the startup diagnostics file):"
    wine_run "$bin/tvdinfo.exe" "Z:${tvd//\//\\}" | head -24 | sed 's/^/    /'
fi
