#!/usr/bin/env bash
# Installs what is missing, builds the editor and opens it on the example
# project. Extra arguments go to the editor instead of the example.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
BUILD="$ROOT/build/release"

"$ROOT/scripts/setup.sh" "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DAVELOR_BUILD_TESTS=OFF -DAVELOR_BUILD_BENCH=OFF

EDITOR="$BUILD/bin/avelorw"
if [ "$#" -gt 0 ]; then
  ARGS=("$@")
elif [ -f "$ROOT/examples/office.prj" ]; then
  ARGS=("$ROOT/examples/office.prj")
else
  ARGS=()
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting the editor on a virtual display with xvfb-run."
  echo "(To see it, run ./run.sh from a desktop session, or use"
  echo "   xvfb-run -a -s '-screen 0 1280x1024x24' $EDITOR PROJECT.prj"
  echo " and take screenshots of the virtual display.)"
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$EDITOR" ${ARGS[@]+"${ARGS[@]}"}
fi
exec "$EDITOR" ${ARGS[@]+"${ARGS[@]}"}
