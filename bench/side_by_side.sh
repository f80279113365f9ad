#!/usr/bin/env bash
# The driver beside a minimal Python rebuild of the same address book, in
# one run: for each size N, a generated vdir (../shared/anchors/gen_vdir.py)
# is rebuilt by the script (bench_rebuild.py, median of 3) and, linked into
# a fresh store, by `olconn97 cache rebuild` as one process (median of 3
# after a warm-up; both the whole process and its "Rebuilt in" figure).
#
#   bench/side_by_side.sh [N...]        (default: 10000 50000)
#
# Needs a build (scripts/build) and python3. Generated books are kept in
# $ANCHORS_DIR (default $TMPDIR/anchors) for the next run.
set -euo pipefail
cd "$(dirname "$0")/.."
anchors=../shared/anchors
if [ ! -d "$anchors" ]; then
  echo "side_by_side: $anchors is not here (a clone without the shared folder)" >&2
  exit 2
fi
host=$PWD/build/bin/olconn97
[ -x "$host" ] || { echo "side_by_side: build first (scripts/build)" >&2; exit 2; }
export ANCHORS_DIR=${ANCHORS_DIR:-${TMPDIR:-/tmp}/anchors}
mkdir -p "$ANCHORS_DIR"
# The script finds its generator beside its books.
cp "$anchors/gen_vdir.py" "$ANCHORS_DIR/"
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10000 50000)

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
now_ms() { date +%s%3N; }

printf '%8s %12s %14s %14s %8s\n' cards script_ms driver_ms driver_walk_ms ratio
for n in "${sizes[@]}"; do
  vdir=$ANCHORS_DIR/vdir_$n
  [ -d "$vdir" ] || python3 "$anchors/gen_vdir.py" "$vdir" -n "$n" >/dev/null 2>&1
  script_ms=$(python3 "$anchors/bench_rebuild.py" "$n" |
    python3 -c 'import json,sys; print(json.loads(sys.stdin.readline())["rebuild_median_ms"])')

  home=$(mktemp -d)
  export OLCONN97_REGISTRY_DIR=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config
  "$host" status >/dev/null 2>&1 || true  # makes the empty default store
  "$host" store link "$vdir" book >/dev/null
  "$host" cache rebuild >/dev/null 2>&1  # warm-up: first launch, page cache
  whole=() walk=()
  for _ in 1 2 3; do
    start=$(now_ms)
    said=$("$host" cache rebuild 2>&1 >/dev/null)
    whole+=($(($(now_ms) - start)))
    walk+=("$(sed -n 's/^Rebuilt in \([0-9]*\) ms$/\1/p' <<<"$said")")
  done
  rm -rf "$home"
  driver_ms=$(printf '%s\n' "${whole[@]}" | median)
  walk_ms=$(printf '%s\n' "${walk[@]}" | median)
  ratio=$(awk -v s="$script_ms" -v d="$driver_ms" 'BEGIN { printf "%.2f", s / d }')
  printf '%8s %12s %14s %14s %8s\n' "$n" "$script_ms" "$driver_ms" "$walk_ms" "${ratio}x"
done
