#!/usr/bin/env bash
# Configures and builds the project into BUILD_DIR (default: build).  A compiler
# cache (ccache) is used when one is installed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
dir=${BUILD_DIR:-build}
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
