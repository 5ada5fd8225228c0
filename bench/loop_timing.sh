#!/usr/bin/env bash
# Whole-process wall time of `quarvel-cli loop` with the defaults (991 swept values over the six
# built-in experiments): the median of several runs with --jobs 1 and with --jobs N, their
# ratio, and a check that every run wrote the same study file, byte for byte.
#
# Usage: bench/loop_timing.sh [BUILD_DIR] [RUNS] [JOBS] [-- more loop options]
#   BUILD_DIR  where quarvel-cli is (default: build)
#   RUNS       runs of each job count (default: 5)
#   JOBS       the job count compared with 1 (default: the number of hardware threads)
# Example: bench/loop_timing.sh build 5 2 -- --all-experiments
set -euo pipefail

build=${1:-build}
runs=${2:-5}
jobs=${3:-$(nproc)}
shift $(( $# < 3 ? $# : 3 ))
[ "${1:-}" = "--" ] && shift
extra=("$@")

cli="$build/quarvel-cli"
if [ ! -x "$cli" ]; then
  echo "no $cli: build it first (./scripts/build, or cmake --build $build --target quarvel-cli)" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

time_runs() {  # $1 = job count; prints one wall time per run
  local j=$1 k start end
  for ((k = 1; k <= runs; k++)); do
    mkdir -p "$work/$j-$k"
    start=$(date +%s.%N)
    "$cli" loop --jobs "$j" --dir "$work/$j-$k" "${extra[@]}" > /dev/null
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
  done
}

echo "quarvel-cli loop ${extra[*]} (defaults: 991 values); $runs runs each; load: $(cut -d' ' -f1-3 /proc/loadavg)"
one=$(time_runs 1 | median)
many=$(time_runs "$jobs" | median)
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

reference="$work/1-1/lresults.out"
for file in "$work"/*/lresults.out; do
  if ! cmp -s "$reference" "$file"; then
    echo "study files differ: $reference $file" >&2
    exit 1
  fi
done

printf 'jobs 1: median %.2f s\n' "$one"
printf 'jobs %s: median %.2f s\n' "$jobs" "$many"
awk -v a="$one" -v b="$many" 'BEGIN { printf "speed-up: %.2f\n", a / b }'
