#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the .tar.gz and the Debian packages as a distribution would (prefix /usr, Debian's
# hardening flags), checks them with lintian, unpacks them into a scratch root and builds a host
# program against that root, with CMake and with pkg-config.
#   .ci/packages.sh [BUILD_DIR]   (default build/packages)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/packages}

# Build type None, as Debian builds with CMake: the flags are dpkg-buildflags' alone. Without -g,
# since cpack strips the binaries anyway and CI time is short.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP=-g
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
    -DREUSEBLOCKS_BUILD_TESTS=OFF -DREUSEBLOCKS_BUILD_EXAMPLES=OFF \
    "-DCMAKE_CXX_FLAGS=$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    "-DCMAKE_SHARED_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)" \
    "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j2
rm -f "$build"/*.deb "$build"/*.tar.gz
(cd "$build" && cpack -G "DEB;TGZ")

# Errors and warnings fail the build, except two warnings that stay, and why:
#  initial-upload-closes-no-bugs  the changelog closes no Debian ITP bug: these packages are not
#                                 uploaded to Debian
#  maintscript-calls-ldconfig     cpack's own postinst/postrm beside our ldconfig trigger
lintian --fail-on error,warning \
    --suppress-tags initial-upload-closes-no-bugs,maintscript-calls-ldconfig "$build"/*.deb

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
for package in "$build"/*.deb; do dpkg-deb -x "$package" "$root"; done
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
