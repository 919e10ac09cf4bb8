#!/bin/bash
# Installs the Debian packages the build, the tests and the cross build need;
# does nothing when all are present. Run as root on Debian 12.
set -euo pipefail
packages=(
  cmake ninja-build g++ ccache python3
  googletest libgtest-dev libbenchmark-dev
  libboost-dev libloki-dev
  g++-powerpc-linux-gnu qemu-user
  erlang-base erlang-asn1
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
