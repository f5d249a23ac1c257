#!/bin/sh
# A shortcut retargeted through the module under Wine, read back by lnkinfo on the Linux side.
# Usage: lnkinfo_check.sh HOST.exe EMULATOR...
set -eu
host=$1
shift
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
# Wine's Z: drive is the Linux root.
windows_folder="Z:$(printf '%s' "$folder" | tr / '\\')"
"$@" "$host" "$windows_folder"
if [ -e "$folder/old.lnk" ]; then echo "old.lnk was not deleted" >&2; exit 1; fi
lnkinfo "$folder/new.lnk" > "$folder/info.txt"
cat "$folder/info.txt"
grep -qi 'windows\\regedit\.exe' "$folder/info.txt" || { echo "new.lnk does not name regedit.exe" >&2; exit 1; }
if grep -qi 'notepad' "$folder/info.txt"; then echo "new.lnk still names notepad.exe" >&2; exit 1; fi
echo "lnkinfo: new.lnk names the new target"
