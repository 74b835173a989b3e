#!/usr/bin/env bash
# A long fuzz campaign of one target, at the lowest priority and in one
# process on one core: builds build/fuzz when needed, fuzzes from the
# target's corpus (new inputs go to build/fuzz/corpus/TARGET, the checked-in
# corpus stays as it is) with its dictionary, and keeps crashes in
# build/fuzz/artifacts.
#   scripts/fuzz.sh TARGET SECONDS [extra libFuzzer flags...]
#   scripts/fuzz.sh --regression    every target over its corpus, once (test.sh)
# TARGET: data_reader, project_file, results_file, restart_file, engine_project,
#         weather_wpc
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build/fuzz"

configure_and_build() {
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DAVELOR_FUZZ=ON -DAVELOR_BUILD_GUI=OFF -DAVELOR_BUILD_TESTS=OFF \
    -DAVELOR_BUILD_BENCH=OFF >/dev/null
  nice -n 19 cmake --build "$BUILD" --target "$1" --parallel 2
}

if [ "${1:-}" = "--regression" ]; then
  configure_and_build avelor_fuzz
  cd "$BUILD"
  exec ctest --output-on-failure --timeout 120
fi
if [ "$#" -lt 2 ]; then
  echo "usage: scripts/fuzz.sh TARGET SECONDS [libFuzzer flags...] | --regression" >&2
  exit 2
fi
TARGET="$1"
SECONDS_TO_RUN="$2"
shift 2
if [ ! -x "$BUILD/fuzz/fuzz_$TARGET" ] || [ "${FUZZ_REBUILD:-1}" = 1 ]; then
  configure_and_build "fuzz_$TARGET"
fi
WORK="$BUILD/corpus/$TARGET"
mkdir -p "$WORK" "$BUILD/artifacts/"
dict=()
if [ -f "$ROOT/fuzz/$TARGET.dict" ]; then
  dict=(-dict="$ROOT/fuzz/$TARGET.dict")
fi
# The restart header is 40 bytes: longer inputs only cost time.
max_len=65536
if [ "$TARGET" = restart_file ]; then
  max_len=128
fi
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
exec nice -n 19 "$BUILD/fuzz/fuzz_$TARGET" "${dict[@]}" -max_total_time="$SECONDS_TO_RUN" \
  -timeout=10 -rss_limit_mb=2048 -max_len="$max_len" -print_final_stats=1 \
  -artifact_prefix="$BUILD/artifacts/$TARGET-" "$@" "$WORK" "$ROOT/fuzz/corpus/$TARGET"
