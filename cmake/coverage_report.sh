#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Line and branch coverage of src/ and include/ from a run of the coverage preset's tests
# (cmake --workflow --preset coverage): a table per source folder, and with --floor PERCENT a
# failure when the branches of src/ as a whole fall under it.
#
#   cmake/coverage_report.sh BUILD_DIR [--floor PERCENT]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: coverage_report.sh BUILD_DIR [--floor PERCENT]}
floor=${3:-}
[ "${2:-}" = "--floor" ] || [ -z "${2:-}" ] || { echo "unknown option $2" >&2; exit 2; }
suffix=""
command -v llvm-profdata >/dev/null || suffix=-14

profiles=("$build"/profiles/*.profraw)
[ -e "${profiles[0]}" ] || { echo "no profiles in $build/profiles: run the coverage preset's tests first" >&2; exit 2; }
"llvm-profdata$suffix" merge -sparse "${profiles[@]}" -o "$build/coverage.profdata"

# Every instrumented program and library the tests ran.
objects=()
while IFS= read -r file; do
    if "llvm-cov$suffix" export -summary-only -instr-profile="$build/coverage.profdata" "$file" \
        >/dev/null 2>&1; then
        objects+=(-object "$file")
    fi
done < <(find "$build" -type f \( -perm -u+x -o -name '*.so*' \) ! -name '*.sh' ! -path '*/CMakeFiles/*')
[ ${#objects[@]} -gt 0 ] || { echo "no instrumented programs in $build" >&2; exit 2; }

"llvm-cov$suffix" export -summary-only -instr-profile="$build/coverage.profdata" \
    "${objects[@]:1}" 2>/dev/null >"$build/coverage.json"
/usr/bin/python3 - "$root" "$build/coverage.json" "$floor" <<'PYTHON'
import json, os, sys
root, report, floor = sys.argv[1], sys.argv[2], sys.argv[3]
folders = {}
for entry in json.load(open(report))["data"][0]["files"]:
    # A compiler cache may have made the names relative to the folder of the compilation.
    path = os.path.relpath(os.path.normpath(entry["filename"]), root)
    parts = path.split("/")
    if parts[0] not in ("src", "include"):
        continue
    folder = "/".join(parts[:2]) if parts[0] == "src" and len(parts) > 2 else parts[0]
    total = folders.setdefault(folder, [0, 0, 0, 0])
    summary = entry["summary"]
    total[0] += summary["lines"]["covered"]; total[1] += summary["lines"]["count"]
    total[2] += summary["branches"]["covered"]; total[3] += summary["branches"]["count"]
def percent(covered, count):
    return 100.0 * covered / count if count else 100.0
print(f"{'folder':<16} {'lines':>16} {'branches':>16}")
for folder in sorted(folders):
    lc, ln, bc, bn = folders[folder]
    print(f"{folder:<16} {percent(lc, ln):6.1f}% {lc:>5}/{ln:<5} {percent(bc, bn):6.1f}% {bc:>5}/{bn:<5}")
src = [sum(v[i] for k, v in folders.items() if k.startswith("src")) for i in range(4)]
branches = percent(src[2], src[3])
print(f"{'src/ (all)':<16} {percent(src[0], src[1]):6.1f}% {src[0]:>5}/{src[1]:<5} {branches:6.1f}% {src[2]:>5}/{src[3]:<5}")
if floor and branches < float(floor):
    print(f"branch coverage of src/ is {branches:.1f}%, under the floor of {floor}%")
    sys.exit(1)
PYTHON
