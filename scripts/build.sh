#!/usr/bin/env bash
# Configures and builds the project into BUILD_DIR (default: build), with Ninja,
# and lld as the linker (see CMakeLists.txt).  A compiler cache (ccache) is used
# when one is installed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
dir=${BUILD_DIR:-build}
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# Ninja (installed with the other packages) for a new build folder: it starts
# compiling a program's files before the libraries it links are built, and it
# checks the headers without rescanning them.  A folder already configured
# keeps its generator.
generator=()
if [ ! -f "$dir/CMakeCache.txt" ] && command -v ninja >/dev/null; then
  generator=(-G Ninja)
fi
cmake -S . -B "$dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
