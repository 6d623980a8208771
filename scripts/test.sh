#!/usr/bin/env bash
# The whole test suite from nothing: installs what it needs, builds, and runs
# every test twice: in the optimized build that users get, and in a build with
# AddressSanitizer and UBSan (windows, hosts and programs included; leaks
# inside Qt and the font libraries are suppressed by tests/lsan.supp).
set -euo pipefail
cd "$(dirname "$0")/.."
# Line tables instead of full debug information: the same code, and failures
# still name file and line.
BUILD_DIR=build scripts/build.sh -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
                                 -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
(cd build && ctest --output-on-failure -j"$(nproc)")
BUILD_DIR=build-asan scripts/build.sh -DQUILLET_SANITIZE=ON -DQUILLET_WITH_BENCH=OFF
(cd build-asan && ctest --output-on-failure -j"$(nproc)")
