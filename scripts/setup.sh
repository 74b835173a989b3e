#!/usr/bin/env bash
# Shared set-up for run.sh and test.sh: installs the Debian packages the
# build needs when any is missing, then configures and builds one tree.
#   scripts/setup.sh BUILD_DIR [extra cmake arguments...]
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev zlib1g-dev libpng-dev libeigen3-dev
  fonts-dejavu-core xvfb xauth
  dpkg-dev desktop-file-utils shared-mime-info xdg-utils libfile-mimeinfo-perl cmark-gfm
)

install_missing_packages() {
  local missing=()
  for pkg in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$pkg")
    fi
  done
  if [ "${#missing[@]}" -eq 0 ]; then
    return 0
  fi
  echo "Installing missing packages: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
      sudo=(sudo)
    else
      echo "These packages are missing and this user cannot install them: ${missing[*]}" >&2
      echo "Run this script as root, or install them with apt-get." >&2
      exit 1
    fi
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}

configure_and_build() {
  local build_dir="$1"
  shift
  # CMakeLists.txt picks up ccache by itself when it is installed.
  cmake -S "$ROOT" -B "$build_dir" -G Ninja "$@"
  cmake --build "$build_dir" --parallel "$(nproc)"
}

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ "$#" -lt 1 ]; then
  echo "usage: scripts/setup.sh BUILD_DIR [cmake arguments...]" >&2
  exit 2
fi
install_missing_packages
configure_and_build "$@"
