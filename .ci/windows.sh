#!/usr/bin/env bash
# CI, Windows part: cross-builds VORNEXDO1M.dll with mingw-w64 into build-win/
# and runs its tests under a headless Wine: the import and export tables, the
# type library read back by Wine's oleaut32, late-bound calls, the unit-test
# suite, and vxdoe.exe against the native vxdoe on the same jobs and seeds.
#
# Runs after the native suites; the native build (build/, or VX_NATIVE_BUILD)
# provides the reference vxdoe and is configured here if it is missing.
# Installs the cross toolchain and Wine with apt when they are not there.
set -euo pipefail
cd "$(dirname "$0")/.."

NATIVE_BUILD="${VX_NATIVE_BUILD:-build}"
WINDOWS_BUILD="${VX_WINDOWS_BUILD:-build-win}"
JOBS="${JOBS:-2}"
PACKAGES=(g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 wine python3)
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
missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get -o DPkg::Lock::Timeout=600 update -qq
    apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=600 "${missing[@]}" >/dev/null
fi

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

phase ""
