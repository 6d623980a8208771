#!/usr/bin/env bash
# Builds the Debian package quillet_<version>_amd64.deb from nothing: a
# release build installed to /usr, with the manual pages and bash completion
# made from the programs' --help, packed by CPack.  The package is left in
# the build folder (default build-package) and its path printed.
#   scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh dpkg-dev file
dir=${BUILD_DIR:-build-package}
# -O2 as in the test build: g++ 12 warns falsely (-Wrestrict) on some string
# code at -O3, the Release default.
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
      -DCMAKE_INSTALL_PREFIX=/usr \
      -DQUILLET_WITH_TESTS=OFF -DQUILLET_WITH_BENCH=OFF "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
rm -f "$dir"/quillet_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
package=$(ls "$dir"/quillet_*.deb)
echo "package: $package"
dpkg-deb --info "$package" | sed -n '/Package:/,$p'
