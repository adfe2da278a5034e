#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Licence identifiers on every source file.
#   cmake/spdx.sh --check   lists the source files without one and fails if there are any (CI)
#   cmake/spdx.sh --fix     puts "SPDX-License-Identifier: MIT" in each of them, as the first line
#                           or right after a shebang (and a Python coding line); running it again
#                           changes nothing
# Source files are C++, CMake, shell and Python files known to git (tracked or new, not ignored).
# Data files (sample and golden files, fuzzing corpora, JSON, text) carry no identifier.
set -euo pipefail
cd "$(dirname "$0")/.."

readonly identifier='SPDX-License-Identifier: MIT'

usage() {
    echo "usage: $0 --check | --fix" >&2
    exit 2
}
[ $# -eq 1 ] || usage
case "$1" in --check | --fix) mode=$1 ;; *) usage ;; esac

# The comment leader for a source file, or nothing for a file that carries no identifier.
comment_leader() {
    local path=$1 first
    case "$path" in
        */golden/* | fuzz/corpus/*) return ;;
        *.cpp | *.cc | *.cxx | *.c | *.h | *.hpp | *.h.in) echo '//' ;;
        CMakeLists.txt | */CMakeLists.txt | *.cmake | *.cmake.in) echo '#' ;;
        *.sh | *.bash | *.py | *.pyi) echo '#' ;;
        completion/*) echo '#' ;;
        *)  # scripts without an extension: by their shebang
            case "${path##*/}" in *.*) return ;; esac
            IFS= read -r first <"$path" || true
            case "$first" in '#!'*sh* | '#!'*python*) echo '#' ;; esac
            ;;
    esac
}

# True when one of the first three lines already names a licence.
has_identifier() {
    head -n 3 -- "$1" | grep -q 'SPDX-License-Identifier:'
}

# Number of leading lines that must stay on top: a shebang, then a Python coding line.
lines_to_keep() {
    local path=$1 line keep=0
    {
        IFS= read -r line || true
        if [[ $line == '#!'* ]]; then
            keep=1
            IFS= read -r line || true
        fi
        if [[ $line =~ ^[[:space:]]*#.*coding[:=] ]]; then keep=$((keep + 1)); fi
    } <"$path"
    echo "$keep"
}

insert_identifier() {
    local path=$1 leader=$2 keep tmp bom=""
    keep=$(lines_to_keep "$path")
    # A byte-order mark stays the file's first bytes.
    [ "$(head -c 3 -- "$path" | od -An -tx1 | tr -d ' \n')" = efbbbf ] && bom=$'\xef\xbb\xbf'
    tmp=$(mktemp)
    {
        if [ "$keep" -eq 0 ]; then
            printf '%s%s %s\n' "$bom" "$leader" "$identifier"
            tail -c +"$((${#bom} > 0 ? 4 : 1))" -- "$path"
        else
            head -n "$keep" -- "$path"
            printf '%s %s\n' "$leader" "$identifier"
            tail -n +"$((keep + 1))" -- "$path"
        fi
    } >"$tmp"
    # Written back through the existing file, so its mode (an executable script) stays.
    cat "$tmp" >"$path"
    rm -f "$tmp"
}

main() {
    local path leader missing=0
    while IFS= read -r -d '' path; do
        if [ ! -f "$path" ] || [ -L "$path" ]; then continue; fi
        leader=$(comment_leader "$path")
        [ -n "$leader" ] || continue
        has_identifier "$path" && continue
        if [ "$mode" = --fix ]; then
            insert_identifier "$path" "$leader"
            printf 'added: %s\n' "$path"
        else
            printf '%s: missing "%s %s"\n' "$path" "$leader" "$identifier" >&2
            missing=$((missing + 1))
        fi
    done < <(git ls-files -z --cached --others --exclude-standard)

    if [ "$missing" -gt 0 ]; then
        echo "$missing source files without a licence identifier: run cmake/spdx.sh --fix" >&2
        exit 1
    fi
}

# One line, so that bash has read all of it before --fix can rewrite this very file.
main; exit
