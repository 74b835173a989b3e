#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test (views on the offscreen
# platform).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
BUILD="$ROOT/build/test"

# The benchmarks are measured in a Release tree of their own (see the README),
# never under the sanitizers.
"$ROOT/scripts/setup.sh" "$BUILD" -DCMAKE_BUILD_TYPE=Debug -DAVELOR_SANITIZE=ON -DAVELOR_BUILD_BENCH=OFF

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$BUILD"
ctest --output-on-failure --parallel "$(nproc)" --timeout 300

# The fuzz targets over their corpora, once each, where clang can build
# them (scripts/fuzz.sh runs the long campaigns).
if command -v clang >/dev/null 2>&1 && command -v clang++ >/dev/null 2>&1; then
  "$ROOT/scripts/fuzz.sh" --regression
else
  echo "clang is not installed: the fuzz targets' regression is skipped."
fi
