#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Records the ABI of the shared library built in BUILD_DIR as the baseline that abi/check.sh
# compares every later build with:  abi/record.sh build/ci
# Run it for a release that may change the ABI (and only then), with a build that has debug
# information (RelWithDebInfo or Debug), and commit the result.
set -euo pipefail
# shellcheck source=abi/abi_common.sh
source "$(dirname "$0")/abi_common.sh"

library=$(shared_library "${1:?usage: abi/record.sh BUILD_DIR}")
require_debug_info "$library"
soname=$(soname_of "$library")
# Only what the public headers declare, without paths of this machine, so that the baseline
# reads the same wherever it is recorded.
abidw --no-corpus-path --no-comp-dir-path --no-show-locs --type-id-style hash \
    --exported-interfaces-only --drop-private-types \
    --headers-dir "$source_dir/include" --headers-dir "$1/include" \
    --out-file "$abi_dir/$soname.abi" "$library"
# A new SONAME leaves the old baseline behind: only one is kept.
for old in "$abi_dir"/*.abi; do
    [ "$old" = "$abi_dir/$soname.abi" ] || rm -f -- "$old"
done
echo "recorded abi/$soname.abi from $library"
