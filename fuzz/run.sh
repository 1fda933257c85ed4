#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz/ and runs each for SECONDS
# (0: only replays the seed corpus) on a copy of its corpus in fuzz/corpus/<name>/,
# two at a time. Prints the runs each target made; exits non-zero when any target
# crashes, leaks, times out or finds a property broken. The input that did it is
# kept in build-fuzz/fuzz-findings/<name>/ (until the next run of that target), the log
# in build-fuzz/fuzz-logs/<name>.log.
#
#   fuzz/run.sh SECONDS [NAME...]     e.g. fuzz/run.sh 600 lyrics play_list
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -lt 1 ] || ! [[ $1 =~ ^[0-9]+$ ]]; then
  echo "usage: fuzz/run.sh SECONDS [NAME...]" >&2
  exit 2
fi
seconds=$1
shift
build=build-fuzz
parallel=${FUZZ_JOBS:-2}

bash scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B "$build" -DVARENDO_FUZZ=ON -DVARENDO_BUILD_TESTS=OFF \
  -DVARENDO_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
flock /tmp/varendo-build.lock cmake --build "$build" --target fuzz -j2 >/dev/null

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for dir in fuzz/corpus/*/; do names+=("$(basename "$dir")"); done
fi

if [ "$seconds" -eq 0 ]; then limit=(-runs=0); else limit=(-max_total_time="$seconds"); fi
rm -rf "$build/fuzz-work" "$build/fuzz-results"
mkdir -p "$build/fuzz-work" "$build/fuzz-results" "$build/fuzz-logs"

run_one() {
  local name=$1 binary="$build/fuzz/$1_fuzz" work="$build/fuzz-work/$1" findings="$build/fuzz-findings/$1"
  [ -x "$binary" ] || { echo "fuzz/run.sh: no target $name" >&2; echo 2 >"$build/fuzz-results/$name"; return; }
  # A copy, so the inputs a run finds stay out of the repository.
  cp -r "fuzz/corpus/$name" "$work"
  rm -rf "$findings"; mkdir -p "$findings"
  local rc=0
  "$binary" "${limit[@]}" -rss_limit_mb=2048 -timeout=30 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$work" >"$build/fuzz-logs/$name.log" 2>&1 || rc=$?
  echo "$rc" >"$build/fuzz-results/$name"
}

for name in "${names[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do wait -n || true; done
  run_one "$name" &
done
wait

failed=0
for name in "${names[@]}"; do
  rc=$(cat "$build/fuzz-results/$name")
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/fuzz-logs/$name.log" | tail -1)
  if [ "$rc" -eq 0 ]; then
    printf '%-16s %12s runs  ok\n' "$name" "${runs:-?}"
  else
    failed=1
    printf '%-16s %12s runs  FAILED (exit %s), see %s\n' "$name" "${runs:-?}" "$rc" "$build/fuzz-logs/$name.log"
    # What it found and the input, for a reader who has only this output (a CI log).
    grep -a -m1 -A30 -E '(==ERROR|fuzz: property|runtime error|deadly signal|timeout after)' \
      "$build/fuzz-logs/$name.log" || tail -30 "$build/fuzz-logs/$name.log"
    for found in "$build/fuzz-findings/$name"/*; do
      [ -f "$found" ] && { echo "input $found (base64):"; base64 "$found" | head -40; }
    done
  fi
done
exit "$failed"
