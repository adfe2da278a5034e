# SPDX-License-Identifier: MIT
# Shared by abi/record.sh and abi/check.sh, which use these variables and functions.
# shellcheck disable=SC2034
abi_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source_dir=$(dirname "$abi_dir")

# The shared library a build directory links hosts against: what libreuseblocks.so names now, not
# a file an earlier version left behind.
shared_library() {
    local found
    found=$(readlink -f -- "$1/libreuseblocks.so" 2>/dev/null || true)
    if [ -z "$found" ] || [ ! -f "$found" ]; then
        echo "no shared libreuseblocks in $1 (build it with BUILD_SHARED_LIBS=ON)" >&2
        exit 2
    fi
    echo "$found"
}

soname_of() {
    readelf -d "$1" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p'
}
