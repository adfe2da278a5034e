# SPDX-License-Identifier: MIT
# Shared by abi/record.sh and abi/check.sh, which use these variables and functions.
# shellcheck disable=SC2034
abi_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source_dir=$(dirname "$abi_dir")

# The shared library a build directory links hosts against: what libreuseblocks.so names now, not
# a file an earlier version left behind. The library is built in src/ of the build directory.
shared_library() {
    local found="" candidate
    for candidate in "$1/src/libreuseblocks.so" "$1/libreuseblocks.so"; do
        found=$(readlink -f -- "$candidate" 2>/dev/null || true)
        [ -z "$found" ] || [ ! -f "$found" ] || break
        found=""
    done
    if [ -z "$found" ]; then
        echo "abi: no shared libreuseblocks in $1 (build it with BUILD_SHARED_LIBS=ON)" >&2
        exit 2
    fi
    echo "$found"
}

# Without debug information abidw and abidiff see symbol names only, not types: a class that
# changed its layout would pass as unchanged.
require_debug_info() {
    if ! readelf -S --wide -- "$1" | grep -Eq '[[:space:]]\.z?debug_info[[:space:]]'; then
        echo "abi: $1 has no debug information, so its types cannot be compared. Build it with" \
            "-g (RelWithDebInfo or Debug, as the ci preset does) and do not strip it." >&2
        exit 2
    fi
}

soname_of() {
    readelf -d "$1" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p'
}
