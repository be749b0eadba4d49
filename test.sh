#!/usr/bin/env bash
# Sets up (installing missing packages), builds with AddressSanitizer and
# UndefinedBehaviorSanitizer, runs the readers' fuzz targets for a short while
# (CORVANTINE_FUZZ_SECONDS, 30 by default; 0 skips them), then every test: engine,
# window (offscreen) and scenario tests.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$here/build-test"
"$here/setup.sh" "$build" -DCMAKE_BUILD_TYPE=Debug -DCORVANTINE_SANITIZE=ON -DCORVANTINE_BENCH=OFF
fuzz_seconds="${CORVANTINE_FUZZ_SECONDS:-30}"
if [ "$fuzz_seconds" -gt 0 ]; then
  "$here/tests/fuzz/run.sh" "$fuzz_seconds"
fi
cd "$build"
export QT_QPA_PLATFORM=offscreen
ctest --output-on-failure -j"$(nproc)"
