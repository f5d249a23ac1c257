#!/usr/bin/env bash
# Runs a Windows program under Wine in this build tree's own prefix, creating the prefix on first use.
# Usage: wine-run.sh PROGRAM.exe [ARGS...]      (the CMake cross-compiling emulator for the win64 build)
#        wine-run.sh --start-server | --stop-server
# Environment: SETUPAID_WINEPREFIX (required), SETUPAID_WINE (the loader; default /usr/lib/wine/wine64).
set -euo pipefail

: "${SETUPAID_WINEPREFIX:?SETUPAID_WINEPREFIX must name the Wine prefix of this build tree}"
export WINEPREFIX="$SETUPAID_WINEPREFIX"
export WINEDEBUG=-all
# No Mono or Gecko installer prompts in a fresh prefix.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

if [ -z "${SETUPAID_WINE:-}" ]; then
    if [ -x /usr/lib/wine/wine64 ]; then SETUPAID_WINE=/usr/lib/wine/wine64; else SETUPAID_WINE=$(command -v wine); fi
fi
wineserver_bin=$(command -v wineserver || echo /usr/lib/wine/wineserver)

ensure_prefix() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    # One creator at a time: several tests may be the first to need the prefix.
    exec 9>"$WINEPREFIX.lock"
    flock 9
    if [ ! -f "$WINEPREFIX/.setupaid-ready" ]; then
        "$SETUPAID_WINE" wineboot --init >/dev/null 2>&1 || true
        # Purpose-made crashes must not start the crash debugger: an empty AeDebug command disables it.
        "$SETUPAID_WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
            /v Debugger /t REG_SZ /d '' /f >/dev/null 2>&1
        "$SETUPAID_WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
            /v Auto /t REG_SZ /d 1 /f >/dev/null 2>&1
        "$wineserver_bin" -w
        touch "$WINEPREFIX/.setupaid-ready"
    fi
    flock -u 9
    exec 9>&-
}

case "${1:-}" in
    --start-server)
        ensure_prefix
        # The server puts itself in the background once it is ready; with our pipes closed, so that ctest
        # does not wait for it to close them.
        "$wineserver_bin" -p </dev/null >/dev/null 2>&1
        # The first program of a session starts Wine's own services (winedevice, explorer), which keep the
        # standard handles they inherit: start them here, away from the pipes of the tests.
        "$SETUPAID_WINE" cmd.exe /c exit 0 </dev/null >/dev/null 2>&1 || true
        exit 0 ;;
    --stop-server)
        "$wineserver_bin" -k >/dev/null 2>&1 || true
        exit 0 ;;
    "")
        echo "usage: wine-run.sh PROGRAM.exe [ARGS...] | --start-server | --stop-server" >&2
        exit 2 ;;
esac

ensure_prefix
exec "$SETUPAID_WINE" "$@"
