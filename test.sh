#!/usr/bin/env bash
# Sets up (installing missing packages), builds with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test: engine, window (offscreen) and scenario tests.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$here/build-test"
"$here/setup.sh" "$build" -DCMAKE_BUILD_TYPE=Debug -DCORVANTINE_SANITIZE=ON -DCORVANTINE_BENCH=OFF
cd "$build"
export QT_QPA_PLATFORM=offscreen
ctest --output-on-failure -j"$(nproc)"
