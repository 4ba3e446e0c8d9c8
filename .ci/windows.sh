#!/usr/bin/env bash
# CI, Windows part: cross-builds VORNEXDO1M.dll with mingw-w64 into build-win/
# and runs its tests under a headless Wine: the import and export tables, the
# type library read back by Wine's oleaut32, late-bound calls, the unit-test
# suite, vxdoe.exe against the native vxdoe on the same jobs and seeds, and
# a C program built against the installed DLL.
#
# Runs after the native suites; the native build (build/, or VX_NATIVE_BUILD)
# provides the reference vxdoe and is configured here if it is missing.
# Installs the cross toolchain and Wine with apt when they are not there.
set -euo pipefail
cd "$(dirname "$0")/.."

NATIVE_BUILD="${VX_NATIVE_BUILD:-build}"
WINDOWS_BUILD="${VX_WINDOWS_BUILD:-build-win}"
JOBS="${JOBS:-2}"
# vxdoe.exe is built with the host's header-only CLI11, nlohmann-json and Eigen.
PACKAGES=(g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 wine python3 libcli11-dev nlohmann-json3-dev libeigen3-dev)
# The one Wine prefix that tools/wine-run.sh creates and uses.
export WINEPREFIX="${WINEPREFIX:-${TMPDIR:-/tmp}/vx-wineprefix}"

phase_start=$SECONDS
phase() {
    local now=$SECONDS
    [ -z "${phase_name:-}" ] || echo "== ${phase_name}: $((now - phase_start)) s"
    phase_name="$1"
    phase_start=$now
    [ -z "$phase_name" ] || echo "== ${phase_name}"
}

stop_wine() {
    # The persistent server started for the tests; nothing else of Wine's
    # outlives it.
    if [ -x /usr/lib/wine/wineserver64 ] && [ -d "$WINEPREFIX" ]; then
        /usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true
    fi
}
trap stop_wine EXIT

phase "packages"
tools/need-packages.sh "the Windows build" "${PACKAGES[@]}"

phase "native vxdoe (reference)"
if [ ! -f "$NATIVE_BUILD/CMakeCache.txt" ]; then
    cmake -S . -B "$NATIVE_BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$NATIVE_BUILD" -j"$JOBS" --target VORNEXDO1M vxdoe >/dev/null

phase "configure"
cmake -S . -B "$WINDOWS_BUILD" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DVX_NATIVE_VXDOE="$(cd "$NATIVE_BUILD" && pwd)/vxdoe" >/dev/null

phase "build"
cmake --build "$WINDOWS_BUILD" -j"$JOBS"

phase "tests under Wine"
(cd "$WINDOWS_BUILD" && ctest -j"$JOBS" --output-on-failure)

phase "C program against the installed DLL"
# As a Windows user of the library builds one: the installed header, the
# import library and oleaut32 for the BSTRs; the DLL beside the program.
prefix=$(mktemp -d)
trap 'stop_wine; rm -rf "$prefix"' EXIT
cmake --install "$WINDOWS_BUILD" --prefix "$prefix" >/dev/null
x86_64-w64-mingw32-gcc -std=c99 -Wall -Wextra -Wpedantic -Werror examples/consumer_c/main.c \
    -I"$prefix/include" -L"$prefix/lib" -lVORNEXDO1M -loleaut32 -o "$prefix/bin/consumer_c.exe"
if ! diff -u examples/consumer_c/expected.txt <(tools/wine-run.sh "$prefix/bin/consumer_c.exe" | tr -d '\r'); then
    echo "FAIL: consumer_c.exe under Wine"
    exit 1
fi

phase ""
