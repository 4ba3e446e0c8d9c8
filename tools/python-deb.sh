#!/bin/sh
# python3-vornexdo1m_VERSION_ARCH.deb in BUILD: the Python package for
# Debian's python3, its compiled core built for that interpreter, the
# library taken from the library's own package (vornexdo1m) through a link.
#   tools/python-deb.sh BUILD VERSION
set -eu
build=$1
version=$2
stage="$build/python3-deb"
arch=$(dpkg --print-architecture)
python=$(/usr/bin/python3 -c 'import sys; print(f"{sys.version_info[0]}.{sys.version_info[1]}")')
next=$(/usr/bin/python3 -c 'import sys; print(f"{sys.version_info[0]}.{sys.version_info[1] + 1}")')

rm -rf "$stage"
site="$stage/usr/lib/python3/dist-packages"
mkdir -p "$stage/DEBIAN" "$site"
cp -r "$build/python/vornexdo1m" "$site/"
rm -rf "$site/vornexdo1m/__pycache__" "$site/vornexdo1m/libVORNEXDO1M.so"
# Relative, so that the package works under any root dpkg installs it to.
ln -s ../../../libVORNEXDO1M.so.1 "$site/vornexdo1m/libVORNEXDO1M.so"
cat >"$stage/DEBIAN/control" <<CONTROL
Package: python3-vornexdo1m
Version: $version
Architecture: $arch
Section: python
Priority: optional
Maintainer: VORNEXDO1M maintainers <maintainers@users.noreply.c-seed-924a41a3.example>
Depends: vornexdo1m (= $version), python3 (>= $python), python3 (<< $next), python3-numpy, python3-pandas
Recommends: python3-matplotlib
Description: design-of-experiments library for Python
 Optimal, orthogonal, response-surface, mixture and sensory designs as
 pandas tables, with pictures drawn by matplotlib, on the VORNEXDO1M library.
CONTROL
dpkg-deb --root-owner-group --build "$stage" "$build/python3-vornexdo1m_${version}_${arch}.deb" >/dev/null
rm -rf "$stage"
echo "$build/python3-vornexdo1m_${version}_${arch}.deb"
