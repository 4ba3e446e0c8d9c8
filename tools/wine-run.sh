#!/bin/bash
# Runs a Windows program under a headless Wine:  wine-run.sh PROGRAM.exe [ARGS...]
# Used as CMAKE_CROSSCOMPILING_EMULATOR, so CTest runs every test through it.
#
# Two Wine behaviours would otherwise make the test suite slow or hang:
# - Debian's wineserver wrapper passes -p0, so the server and Wine's own
#   services stop after every program and the next start pays 2-5 s. Here one
#   persistent server per prefix is kept (VX_WINE_PERSIST seconds of idleness).
# - Wine starts helper processes (services, rpcss, explorer) as children of
#   whichever program first needs them. They inherit its stdout and outlive
#   it, so a caller waiting for end-of-file (CTest, execute_process) waits
#   until the server exits. The program therefore writes to files that are
#   copied out once it has exited; nothing Wine starts ever holds our output.
#
# Environment: WINEPREFIX (default ${TMPDIR:-/tmp}/vx-wineprefix, created on
# first use), VX_WINE_PERSIST (default 120).
set -u

if [ $# -lt 1 ]; then
    echo "usage: $0 PROGRAM.exe [ARGS...]" >&2
    exit 2
fi

export WINEPREFIX="${WINEPREFIX:-${TMPDIR:-/tmp}/vx-wineprefix}"
export WINEARCH=win64
export WINEDEBUG=-all                     # also silences the "wine32 is missing" hint
export WINEDLLOVERRIDES="mscoree,mshtml=" # never offer to install Mono or Gecko
unset DISPLAY WAYLAND_DISPLAY
persist="${VX_WINE_PERSIST:-120}"

# The real server binary, without Debian's -p0 wrapper. The loader also uses
# it when it has to start a server itself.
for candidate in /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver; do
    if [ -x "$candidate" ]; then
        export WINESERVER="$candidate"
        break
    fi
done
wineserver="${WINESERVER:-wineserver}"

# Prefix creation and server start-up happen once, under a lock, so parallel
# tests (ctest -j) neither race nor start two servers. Fd 9 holds the lock and
# is closed for everything started here: a server inheriting it would keep
# the lock forever.
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
if [ ! -e "$WINEPREFIX/.vx-ready" ]; then
    rm -rf "$WINEPREFIX"
    wineboot --init </dev/null >/dev/null 2>&1 9>&-
    "$wineserver" -w </dev/null >/dev/null 2>&1 9>&-
    touch "$WINEPREFIX/.vx-ready"
fi
# Exits at once (status 2) when this prefix already has a server.
"$wineserver" -p"$persist" </dev/null >/dev/null 2>&1 9>&-
exec 9>&-

out=$(mktemp) && err=$(mktemp) || exit 1
trap 'rm -f "$out" "$err"' EXIT
wine "$@" >"$out" 2>"$err"
status=$?
cat "$out"
cat "$err" >&2
exit $status
