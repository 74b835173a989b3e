#!/usr/bin/env bash
# Builds the Debian package of AvelorW from a release build:
#   scripts/package.sh            -> build/package/avelorw_VERSION_ARCH.deb
# Install it with: apt install ./build/package/avelorw_*.deb
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build/release"
"$ROOT/scripts/setup.sh" "$BUILD" -DCMAKE_BUILD_TYPE=Release -DAVELOR_BUILD_TESTS=OFF -DAVELOR_BUILD_BENCH=OFF
mkdir -p "$ROOT/build/package"
(cd "$BUILD" && cpack -G DEB -B "$ROOT/build/package")
ls -1 "$ROOT"/build/package/avelorw_*.deb
