#!/bin/sh
# tvdinfo's exit codes as scripts rely on them: 3 without a file, 2 (with the reason) for a file that is not a
# diagnostics file.   check_exit_codes.sh TVDINFO NOT_A_DIAGNOSTICS_FILE
tvdinfo=$1 other=$2
"$tvdinfo" >/dev/null 2>&1
[ $? -eq 3 ] || { echo "FAIL: without a file the exit code is not 3"; exit 1; }
out=$("$tvdinfo" "$other" 2>&1)
rc=$?
echo "$out"
[ $rc -eq 2 ] || { echo "FAIL: exit code $rc for a file that is not a diagnostics file, expected 2"; exit 1; }
echo "$out" | grep -q "not a startup diagnostics file" || { echo "FAIL: the reason is not given"; exit 1; }
echo "ok"
