#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Compares the ABI of the shared library built in BUILD_DIR with the recorded baseline:
#   abi/check.sh build/ci
# Compatible changes (added functions and variables) pass; removed or changed ones fail, unless
# SOVERSION was raised in the same change: then the library has a new SONAME, no baseline of
# that name exists yet, and the check says to record one (abi/record.sh BUILD_DIR).
set -euo pipefail
# shellcheck source=abi/abi_common.sh
source "$(dirname "$0")/abi_common.sh"

library=$(shared_library "${1:?usage: abi/check.sh BUILD_DIR}")
require_debug_info "$library"
soname=$(soname_of "$library")
baseline="$abi_dir/$soname.abi"
if [ ! -f "$baseline" ]; then
    echo "abi: $soname is a new SONAME; no baseline to compare with. Record one with" \
        "abi/record.sh $1 and commit it."
    exit 0
fi

status=0
report=$(abidiff --no-default-suppression --exported-interfaces-only "$baseline" "$library") ||
    status=$?
[ -z "$report" ] || printf '%s\n' "$report"
# abidiff's status is a bit set: 1 error, 2 usage error, 4 ABI change, 8 incompatible change. Bit 4
# alone covers harmless additions and changed types alike (a class that grew a member), so the
# report's summary lines tell them apart: anything removed or changed breaks hosts.
if ((status & 3)); then
    echo "abi: abidiff failed (status $status)" >&2
    exit 2
fi
if ((status & 8)) || grep -Eq '(^|[ ,])[1-9][0-9]* (Removed|Changed)' <<<"$report"; then
    echo "abi: incompatible change to the ABI of $soname (above). Undo it, or raise SOVERSION" \
        "(the major version in CMakeLists.txt) in the same change." >&2
    exit 1
fi
if ((status & 4)); then
    echo "abi: compatible additions to $soname; name them in CHANGELOG.md (a new minor version)."
else
    echo "abi: $soname unchanged."
fi
