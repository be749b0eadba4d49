#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang into build-fuzz/ (only the
# readers' sources) and runs each in turn, sharing the given time among them.
# Usage: tests/fuzz/run.sh [seconds in all, default 30] [target...]
# Inputs the fuzzer finds are kept in build-fuzz/corpus/<target>; a crash, a sanitizer
# report or a stall writes build-fuzz/artifacts/<target>-crash-... and fails the run.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${FUZZ_BUILD:-$root/build-fuzz}"
total="${1:-30}"
shift || true

mkdir -p "$build"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang > "$build/configure.log" 2>&1 ||
  { cat "$build/configure.log"; exit 1; }
cmake --build "$build"

# Every seeds/<name> folder belongs to the target <name>_fuzz.
if [ $# -gt 0 ]; then targets=("$@"); else mapfile -t targets < <(ls "$here/seeds"); fi
each=$(( total / ${#targets[@]} ))
[ "$each" -ge 1 ] || each=1
mkdir -p "$build/artifacts"
export ASAN_OPTIONS="detect_leaks=0:${ASAN_OPTIONS:-}" QT_QPA_PLATFORM=offscreen
status=0
for t in "${targets[@]}"; do
  mkdir -p "$build/corpus/$t"
  log="$build/$t.log"
  if "$build/${t}_fuzz" -max_total_time="$each" -timeout=30 -rss_limit_mb=4096 -detect_leaks=0 \
       -artifact_prefix="$build/artifacts/$t-" "$build/corpus/$t" "$here/seeds/$t" > "$log" 2>&1; then
    echo "fuzz $t: $(grep -oE 'Done [0-9]+ runs in [0-9]+ second' "$log" | tail -1)s, no finding"
  else
    status=1
    echo "fuzz $t: FINDING (log $log)"
    tail -40 "$log"
  fi
done
exit $status
