#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and any further
# packages named as arguments (scripts/fuzz.sh adds its compiler); does nothing
# when they are all present already.
#   scripts/install-deps.sh [PACKAGE...]
set -euo pipefail
packages=(cmake g++ make ninja-build lld pkg-config libgtest-dev libgmock-dev libbenchmark-dev libssl-dev
          qt6-base-dev nlohmann-json3-dev fonts-dejavu-core fonts-ipafont-gothic python3 keepassxc "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
