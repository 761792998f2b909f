#!/usr/bin/env bash
# Builds the disc fuzz targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each of them.
#   tests/fuzz/run-fuzzers.sh [SECONDS] [--parallel]
# SECONDS per target (default 600). Corpora and logs go to the build folder
# (VANTOREL_FUZZ_BUILD, default build-fuzz); a finding stops with its crash file.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=600
parallel=0
for arg in "$@"; do
  case "$arg" in
    --parallel) parallel=1 ;;
    *) seconds=$arg ;;
  esac
done
build=${VANTOREL_FUZZ_BUILD:-build-fuzz}
discs=${VANTOREL_SHARED_DISCS:-$(cd .. && pwd)/shared/discs}
targets=(mpls_reader disc_metadata recent_list language_file)

cmake -S . -B "$build" -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOREL_FUZZ=ON >/dev/null
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

run() {
  local target=$1
  local corpus=$build/fuzz-corpus/$target
  mkdir -p "$corpus" "$build/fuzz-findings"
  cp -n tests/fuzz/corpus/"$target"/* "$corpus"/
  if [ -d "$discs" ]; then
    case "$target" in
      mpls_reader) pattern='*.mpls' ;;
      disc_metadata) pattern='bdmt_*.xml' ;;
      *) pattern='' ;;
    esac
    find "$discs" -name "$pattern" | while read -r f; do
      cp -n "$f" "$corpus/shared-$(sha1sum <"$f" | cut -c1-16)"
    done
  fi
  "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$build/fuzz-findings/$target-" "$corpus" >"$build/fuzz-$target.log" 2>&1
  echo "== $target: $(grep -E '^#[0-9]+.*(DONE|cov)' "$build/fuzz-$target.log" | tail -n 1)"
  grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$build/fuzz-$target.log" || true
}

status=0
if [ "$parallel" = 1 ]; then
  pids=()
  for t in "${targets[@]}"; do run "$t" & pids+=($!); done
  for p in "${pids[@]}"; do wait "$p" || status=1; done
else
  for t in "${targets[@]}"; do run "$t" || status=1; done
fi
[ "$status" = 0 ] || echo "a fuzz target failed: see $build/fuzz-*.log and $build/fuzz-findings/" >&2
exit "$status"
