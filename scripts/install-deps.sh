#!/usr/bin/env bash
# Installs the Debian packages the build needs, and only those that are missing.
# Idempotent: a machine that has them all runs no apt-get or npm at all.
set -euo pipefail

packages=(
  cmake make g++ clang-14 libclang-rt-14-dev
  libobjc-12-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libplist-dev libcli11-dev nlohmann-json3-dev
  libcairo2-dev libpango1.0-dev fonts-inter
  libsimdjson-dev gnuplot-nox libelf-dev
  parallel jq
  binutils pkg-config
  # The phone build and its packages: clang with libc++'s headers, ld64.lld, the LLVM
  # object tools, dpkg-deb and dpkg-shlibdeps; unshare for the installed-simulator test.
  lld-14 llvm-14 libc++-14-dev dpkg dpkg-dev util-linux
  # The write-back's differential test reads and writes with Python's plistlib.
  python3
  # `tessaro-sim serve`: its HTTP server, the live view's PNG frames, and the real browser
  # the page is tested in.
  libcpp-httplib-dev libpng-dev zlib1g-dev chromium
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

# Node.js and npm drive the browser test; a machine may have them from elsewhere.
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then missing+=(nodejs npm); fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The browser test's one npm package (playwright-core, no browser of its own: it drives
# Debian's chromium), exactly as its lockfile pins it.
browser_tests="$(dirname "$0")/../tests/browser"
if [ -f "$browser_tests/package-lock.json" ] && [ ! -d "$browser_tests/node_modules/playwright-core" ]; then
  echo "installing the browser test's npm packages"
  (cd "$browser_tests" && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
fi
