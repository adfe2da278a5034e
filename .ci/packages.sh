#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The packages as they ship: the Debian source and binary packages that dpkg-buildpackage makes
# from debian/, checked with lintian, and the .tar.gz that cpack makes from the same build. The
# Debian packages are then unpacked into a scratch root, and a host program is built against that
# root with CMake and with pkg-config, and the Python module imported from it.
#   .ci/packages.sh [BUILD_DIR]   (default build/packages)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/packages}
version=$(sed -n 's/^ *VERSION \([0-9.]*\)$/\1/p' CMakeLists.txt | head -n 1)

# The Debian packages, from a copy of the committed tree with the changes to tracked files (what
# a clean clone would hold, plus the work in progress), since dpkg-buildpackage writes beside the
# source tree. The upstream tarball is that tree without debian/.
debian=$build/debian
rm -rf "$debian"
mkdir -p "$debian"
tree=$(git stash create)
tree=${tree:-HEAD}
git archive --format=tar --prefix="reuseblocks-$version/" "$tree" -- . ':(exclude)debian' |
    gzip -9n >"$debian/reuseblocks_$version.orig.tar.gz"
git archive --format=tar --prefix="reuseblocks-$version/" "$tree" | tar -x -C "$debian"
# CI has run every test by now, so the package build leaves them out unless PACKAGE_TESTS=1.
checks=nocheck
[ "${PACKAGE_TESTS:-0}" = 1 ] && checks=""
(cd "$debian/reuseblocks-$version" &&
    DEB_BUILD_OPTIONS="parallel=2 $checks ${DEB_BUILD_OPTIONS:-}" dpkg-buildpackage -us -uc)

# The .tar.gz, from the same build: a distribution's (prefix /usr, Debian's hardening flags, build
# type None), so that it is not compiled a second time. debian/rules leaves stripping to dh_strip;
# cpack strips for itself.
obj=$debian/reuseblocks-$version/obj-$(dpkg-architecture -qDEB_HOST_GNU_TYPE)
cmake "$obj" -DCMAKE_STRIP="$(command -v strip)" >/dev/null
rm -rf "$build"/*.tar.gz "$build/tgz"
tgz=$(mkdir -p "$build/tgz" && cd "$build/tgz" && pwd)
(cd "$obj" && cpack -G TGZ -B "$tgz" >/dev/null)
mv "$tgz"/*.tar.gz "$build"/
rm -rf "$tgz"

# Errors and warnings fail the build, but for one warning: initial-upload-closes-no-bugs asks the
# first changelog entry to close the bug that announced the package to Debian, and these packages
# are not uploaded to Debian.
lintian --fail-on error,warning --suppress-tags initial-upload-closes-no-bugs \
    "$debian"/reuseblocks_*.changes

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
for package in "$debian"/*.deb; do
    case "$package" in *-dbgsym_*) continue ;; esac
    dpkg-deb -x "$package" "$root"
done
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
libdir=$root/usr/lib/$multiarch
test -f "$root/usr/share/doc/libreuseblocks1/copyright"
LD_LIBRARY_PATH=$libdir "$root/usr/bin/reuseblocks" check examples/board.blocks

cmake -S tests/package/consumer -B "$root/consumer" -DCMAKE_PREFIX_PATH="$root/usr" \
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_FIND_USE_CMAKE_SYSTEM_PATH=OFF >/dev/null
cmake --build "$root/consumer"
LD_LIBRARY_PATH=$libdir "$root/consumer/consumer" "$root/written.blocks"

flags=$(PKG_CONFIG_SYSROOT_DIR=$root PKG_CONFIG_LIBDIR=$libdir/pkgconfig \
    pkg-config --cflags --libs reuseblocks)
# shellcheck disable=SC2086  # the flags are words
c++ -std=c++17 tests/package/consumer/main.cpp $flags -o "$root/pc_consumer"
LD_LIBRARY_PATH=$libdir "$root/pc_consumer" "$root/written2.blocks"

# The module's own tests, run from outside the clone so that only the packaged module is found.
(cd "$root" && PYTHONPATH=$root/usr/lib/python3/dist-packages LD_LIBRARY_PATH=$libdir \
    PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 -m pytest -q -p no:cacheprovider \
    "$OLDPWD/python/tests")

# The .tar.gz unpacked where its user puts it: pkg-config must find the library and headers there,
# wherever that is, and CMake its package.
archive=$root/archive
mkdir -p "$archive"
tar -xzf "$build"/reuseblocks-*.tar.gz -C "$archive"
unpacked=$(echo "$archive"/reuseblocks-*)
flags=$(PKG_CONFIG_LIBDIR=$unpacked/lib/$multiarch/pkgconfig pkg-config --cflags --libs reuseblocks)
# shellcheck disable=SC2086  # the flags are words
c++ -std=c++17 tests/package/consumer/main.cpp $flags -o "$archive/pc_consumer"
LD_LIBRARY_PATH=$unpacked/lib/$multiarch "$archive/pc_consumer" "$archive/written.blocks"
cmake -S tests/package/consumer -B "$archive/consumer" -DCMAKE_PREFIX_PATH="$unpacked" \
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_FIND_USE_CMAKE_SYSTEM_PATH=OFF >/dev/null
cmake --build "$archive/consumer"
LD_LIBRARY_PATH=$unpacked/lib/$multiarch "$archive/consumer/consumer" "$archive/written2.blocks"
