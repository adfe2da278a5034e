#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# abi/check.sh must refuse a library without debug information: abidiff would compare the symbol
# names alone and call a changed class layout unchanged.
#   abi_stripped_test.sh SOURCE_DIR LIBRARY OBJCOPY
set -uo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -- "$2" "$work/libreuseblocks.so.1" && "$3" --strip-debug "$work/libreuseblocks.so.1" &&
    ln -s libreuseblocks.so.1 "$work/libreuseblocks.so" || exit 1
output=$(bash "$1/abi/check.sh" "$work" 2>&1)
status=$?
printf '%s\n' "$output"
if [ "$status" -eq 0 ] || ! grep -q 'no debug information' <<<"$output"; then
    echo "FAIL: abi/check.sh accepted a stripped library (status $status)"
    exit 1
fi
