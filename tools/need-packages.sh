#!/bin/sh
# Makes sure the Debian packages a build step needs are installed:
#
#   tools/need-packages.sh WHAT PACKAGE...
#
# Missing packages are installed with apt-get when running as root; anyone
# else gets one line naming what to install and a failing exit status. WHAT
# says what needs them ("the tests", "vxdoe"). On a machine without dpkg the
# check is left to the build itself.
set -eu
what="$1"
shift
command -v dpkg-query >/dev/null 2>&1 || exit 0

missing=""
for p in "$@"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -n "$missing" ] || exit 0

if [ "$(id -u)" != 0 ]; then
    echo "missing for $what:$missing (as root: apt-get install$missing)" >&2
    exit 1
fi
echo "installing$missing for $what"
export DEBIAN_FRONTEND=noninteractive
apt-get -o DPkg::Lock::Timeout=600 update -qq
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=600 $missing >/dev/null
