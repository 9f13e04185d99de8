#!/usr/bin/env bash
# Installs the Debian packages the build needs, and only those that are missing.
# Idempotent: a machine that has them all runs no apt-get at all.
set -euo pipefail

packages=(
  cmake make g++ clang-14 libclang-rt-14-dev
  libobjc-12-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libplist-dev libcli11-dev nlohmann-json3-dev
  libcairo2-dev libpango1.0-dev fonts-inter
  libsimdjson-dev gnuplot-nox libelf-dev
  binutils pkg-config
  # The phone build and its packages: clang with libc++'s headers, ld64.lld, the LLVM
  # object tools, dpkg-deb and dpkg-shlibdeps; unshare for the installed-simulator test.
  lld-14 llvm-14 libc++-14-dev dpkg dpkg-dev util-linux
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
