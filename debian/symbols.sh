#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The symbols file of libreuseblocks1, against the shared library built in BUILD_DIR:
#   debian/symbols.sh check BUILD_DIR    fails and shows the difference when a symbol was added
#                                        or removed (CI, for every build)
#   debian/symbols.sh update BUILD_DIR   writes debian/libreuseblocks1.symbols again: symbols
#                                        already there keep their version, new ones get the
#                                        project's, and all are written demangled
# Record it with the `ci` preset build, after abi/check.sh has passed: bash debian/symbols.sh
# update build/ci.
set -euo pipefail
debian_dir=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=abi/abi_common.sh
source "$debian_dir/../abi/abi_common.sh"

mode=${1:-}
[ "$mode" = check ] || [ "$mode" = update ] || {
    echo "usage: debian/symbols.sh check|update BUILD_DIR" >&2
    exit 2
}
library=$(shared_library "${2:?usage: debian/symbols.sh check|update BUILD_DIR}")
symbols=$debian_dir/libreuseblocks1.symbols
version=$(sed -n 's/^ *VERSION \([0-9.]*\)$/\1/p' "$source_dir/CMakeLists.txt" | head -n 1)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Run outside the source tree, so that dpkg-gensymbols reads nothing but what it is given.
generate() {
    local version=$1 basis=()
    shift
    [ ! -f "$symbols" ] || basis=(-I"$symbols")
    (cd "$work" && dpkg-gensymbols -plibreuseblocks1 -v"$version" -e"$library" "${basis[@]}" \
        -O"$work/generated" "$@")
}

if [ "$mode" = check ]; then
    # A version above every recorded one: dpkg-gensymbols calls a symbol gone only when the version
    # at hand is later than the one that brought it.
    if ! generate "$version+check" -c4 >"$work/report" 2>&1; then
        cat "$work/report"
        echo "symbols: the library in $2 does not export what debian/libreuseblocks1.symbols" \
            "lists (above). A symbol removed breaks hosts: put it back. One added: record it" \
            "with debian/symbols.sh update build/ci." >&2
        exit 1
    fi
    echo "symbols: $(basename "$library") exports what debian/libreuseblocks1.symbols lists."
    exit 0
fi

generate "$version" -c0 -q
# dpkg-gensymbols writes new symbols mangled. Demangled, a symbol reads as the header declares it
# and one line stands for all of a constructor's or destructor's variants; a std::size_t
# parameter (unsigned long here) gets a second line for 32-bit architectures. A parameter that
# really is unsigned long would need its 32-bit line corrected by hand.
{
    grep -v '^ ' "$work/generated"
    grep -q '^\* Build-Depends-Package:' "$work/generated" ||
        echo '* Build-Depends-Package: libreuseblocks-dev'
    grep '^ ' "$work/generated" | while IFS= read -r line; do
        if [[ $line =~ ^\ (_Z[^@ ]*)@([^ ]+)\ (.*)$ ]]; then
            name=$(c++filt -- "${BASH_REMATCH[1]}")
            node=${BASH_REMATCH[2]} since=${BASH_REMATCH[3]} tags=c++
            if [[ $name =~ unsigned\ long($|[^ ]|\ [^l]) ]]; then
                # Read as std::size_t: unsigned int on 32-bit architectures.
                printf ' (c++|arch-bits=64)"%s@%s" %s\n' "$name" "$node" "$since"
                name=$(sed 's/unsigned long long/\x01/g; s/unsigned long/unsigned int/g
                    s/\x01/unsigned long long/g' <<<"$name")
                tags='c++|arch-bits=32'
            fi
            printf ' (%s)"%s@%s" %s\n' "$tags" "$name" "$node" "$since"
        else
            printf '%s\n' "$line"
        fi
    done | LC_ALL=C sort -u
} >"$work/written"
mv -- "$work/written" "$symbols"
echo "symbols: wrote debian/libreuseblocks1.symbols from $library"
