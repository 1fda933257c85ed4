#!/usr/bin/env bash
# Runs clang-tidy (the checks in .clang-tidy) over the program's own sources:
# src/, platform/ and tools/, with the compile commands of a built tree.
#   scripts/tidy.sh [BUILD_DIR (build)]
# Prints each finding; fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
[ -f "$dir/compile_commands.json" ] || { echo "tidy.sh: no $dir/compile_commands.json (build first)" >&2; exit 1; }
command -v run-clang-tidy >/dev/null || { echo "tidy.sh: run-clang-tidy is missing (apt-get install clang-tidy)" >&2; exit 1; }
root=$PWD
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# Only our translation units, not moc's generated ones.
run-clang-tidy -quiet -p "$dir" -j "$(nproc 2>/dev/null || echo 2)" \
  "^$root/(src|platform|tools)/.*\.cpp$" >"$log" 2>&1 || status=$?
# Findings without the colours, each once (a header's is found from every file including it).
if sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -E "(warning|error): " | sort -u | grep .; then
  echo "tidy.sh: clang-tidy found the above" >&2
  exit 1
fi
if [ "${status:-0}" != 0 ]; then
  cat "$log" >&2
  echo "tidy.sh: clang-tidy did not run through" >&2
  exit 1
fi
echo "tidy.sh: no findings in the sources under src/, platform/ and tools/"
