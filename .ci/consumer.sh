#!/usr/bin/env bash
# CI: the library as an outside program meets it.
#  1. `make install` into a temporary prefix, which is then moved: nothing
#     installed may name the build tree or the prefix it was installed to.
#  2. Two programs built outside the tree against the moved prefix, one in
#     C99 through pkg-config and one in C++ through find_package; what each
#     prints must match its expected.txt, worked out by hand.
#  3. `make package`, the Debian package's metadata, its installation into a
#     scratch root with dpkg (the machine's own packages are not touched),
#     vxdoe run from there, and its removal leaving no file behind; the
#     Python package (python3-vornexdo1m) likewise, on the library's package.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD="${VX_NATIVE_BUILD:-build}"
JOBS="${JOBS:-2}"
tools/need-packages.sh "the consumer check" pkgconf gcc
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
# expect NAME EXPECTED ACTUAL
expect() {
    if [ "$2" = "$3" ]; then
        echo "ok: $1"
    else
        fail "$1"
        diff <(echo "$2") <(echo "$3") || true
    fi
}

echo "== install"
make --no-print-directory install BUILD="$BUILD" JOBS="$JOBS" PREFIX="$work/staged" >/dev/null
mv "$work/staged" "$work/prefix"
prefix="$work/prefix"
leaks=$(grep -rlF -e "$(cd "$BUILD" && pwd)" -e "$(pwd)" -e "$work/staged" "$prefix" || true)
[ -z "$leaks" ] || fail "installed files name the build or install tree: $leaks"
for f in lib/libVORNEXDO1M.so.1 include/VORNEXDO1M.h bin/vxdoe share/man/man1/vxdoe.1.gz; do
    [ -e "$prefix/$f" ] || fail "not installed: $f"
done
soname=$(readelf -d "$prefix/lib/libVORNEXDO1M.so.1" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
expect "SONAME" "libVORNEXDO1M.so.1" "$soname"

echo "== C99 program through pkg-config"
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
libdir=$(pkg-config --variable=libdir vornexdo1m)
# shellcheck disable=SC2046
gcc -std=c99 -Wall -Wextra -Wpedantic -Werror examples/consumer_c/main.c \
    $(pkg-config --cflags --libs vornexdo1m) -Wl,-rpath,"$libdir" -o "$work/consumer_c"
expect "C program" "$(cat examples/consumer_c/expected.txt)" "$("$work/consumer_c")"

echo "== C++ program through find_package"
cmake -S examples/consumer_cpp -B "$work/consumer_cpp" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/consumer_cpp" >/dev/null
expect "C++ program" "$(cat examples/consumer_cpp/expected.txt)" "$("$work/consumer_cpp/consumer_cpp")"

echo "== Debian package"
make --no-print-directory package BUILD="$BUILD" JOBS="$JOBS" >/dev/null
deb=$(ls -t "$BUILD"/vornexdo1m_*.deb | head -1)
depends=$(dpkg-deb -f "$deb" Depends)
echo "$deb: Depends: $depends"
expect "depends on libc and libstdc++ only" "libc6 libstdc++6" \
    "$(echo "$depends" | tr ',' '\n' | sed 's/(.*//; s/ //g' | sort | xargs)"
dpkg-deb -x "$deb" "$work/unpacked"
libc_floor=$(echo "$depends" | sed -n 's/.*libc6 (>= \([0-9.]*\)).*/\1/p')
libc_used=$(objdump -T "$work/unpacked"/usr/lib/libVORNEXDO1M.so.1.0 "$work/unpacked"/usr/bin/vxdoe |
    grep -o 'GLIBC_[0-9.]*' | sed 's/GLIBC_//' | sort -uV | tail -1)
[ "$(printf '%s\n%s\n' "$libc_used" "$libc_floor" | sort -V | tail -1)" = "$libc_floor" ] ||
    fail "the binaries need GLIBC_$libc_used, the package declares libc6 (>= $libc_floor)"

root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$work/stub"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
# The scratch root holds no libc6 package (the dependencies are the
# machine's) and no shell: the maintainer scripts run outside it, where
# their ldconfig must not rebuild the machine's cache.
printf '#!/bin/sh\nexit 0\n' >"$work/stub/ldconfig"
chmod +x "$work/stub/ldconfig"
dpkg_root() {
    local args=(--root="$root" --force-depends --force-script-chrootless --log=/dev/null) out
    [ "$(id -u)" = 0 ] || args+=(--force-not-root)
    out=$(PATH="$work/stub:$PATH" dpkg "${args[@]}" "$@" 2>&1) || { echo "$out"; fail "dpkg $*"; }
}
dpkg_root -i "$deb"
expect "vxdoe from the package" "runs,columns
12,5" "$("$root/usr/bin/vxdoe" counts --levels 2,3,2)"
expect "the library it loads" "library $root/usr/lib/libVORNEXDO1M.so.1" \
    "$("$root/usr/bin/vxdoe" --version | sed -n 2p)"
[ -s "$root/usr/share/man/man1/vxdoe.1.gz" ] || fail "the package lacks the manual page"
pydeb=$(ls -t "$BUILD"/python3-vornexdo1m_*.deb 2>/dev/null | head -1)
if [ -n "$pydeb" ]; then
    expect "the Python package depends on the library's" "vornexdo1m (= $(dpkg-deb -f "$deb" Version))" \
        "$(dpkg-deb -f "$pydeb" Depends | tr ',' '\n' | grep '^vornexdo1m' )"
    dpkg_root -i "$pydeb"
    expect "the Python package on the library's" "runs,columns
12,5" "$(PYTHONPATH="$root/usr/lib/python3/dist-packages" /usr/bin/python3 -c \
        'import vornexdo1m as vx; print(vx.counts([2, 3, 2]).to_csv(), end="")')"
    dpkg_root -r python3-vornexdo1m
fi
dpkg_root -r vornexdo1m
left=$(find "$root" -path "$root/var/lib/dpkg" -prune -o ! -type d -print)
[ -z "$left" ] || fail "dpkg -r left files behind: $left"

if [ "$failures" -gt 0 ]; then
    echo "consumer check: $failures failures"
    exit 1
fi
echo "consumer check: all passed"
