#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Fails when clang-format would change any tracked C or C++ source, and shows how.
#   .ci/format-check.sh          checks (CI)
#   .ci/format-check.sh --fix    formats those files in place
# The version is pinned: another clang-format release formats some constructs differently.
set -euo pipefail
cd "$(dirname "$0")/.."

format=${CLANG_FORMAT:-clang-format-14}
command -v "$format" >/dev/null || { echo "format-check: $format not found" >&2; exit 2; }

mapfile -d '' files < <(git ls-files -z -- include src tools tests fuzz bench examples python/src |
    grep -zE '\.(cpp|h|c)$')
[ "${#files[@]}" -gt 0 ] || { echo "format-check: no sources found" >&2; exit 2; }

if [ "${1:-}" = --fix ]; then
    "$format" -i --style=file "${files[@]}"
    exit 0
fi

# The files in batches, one batch per processor at a time; each batch shows how its files differ.
status=0
# shellcheck disable=SC2016  # the script is the batch's, with its own $1 and $file
printf '%s\0' "${files[@]}" | xargs -0 -n 16 -P "$(getconf _NPROCESSORS_ONLN)" bash -c '
    format=$1
    shift
    status=0
    for file; do
        "$format" --style=file "$file" |
            diff -u --label "$file" --label "$file (formatted)" "$file" - || status=1
    done
    exit "$status"' check "$format" || status=1
if [ "$status" -ne 0 ]; then
    echo "format-check: the files above differ from what $format makes of them;" \
        "run .ci/format-check.sh --fix" >&2
fi
exit "$status"
