#!/usr/bin/env bash
# Runs every fuzz target of a sanitizer build for a while each, from its seeds and what
# earlier runs found, with its dictionary; fails when any target finds a crash, a leak, a
# timeout or runs out of memory, naming the input it saved.
#
#   scripts/fuzz.sh [BUILD_DIR [SECONDS_EACH]]     defaults: build-asan 60
#
# The targets are those the build lists in fuzz/targets.txt (see fuzz/CMakeLists.txt).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-asan}
seconds=${2:-60}
list="$build/fuzz/targets.txt"
if [ ! -f "$list" ]; then
  echo "fuzz.sh: $list is missing: configure $build with clang and TESSARO_SANITIZE=ON" >&2
  exit 2
fi

failed=()
while read -r name executable found seeds dictionary; do
  [ -z "$name" ] && continue
  echo "== $name: ${seconds}s"
  log="$found.log"
  # One process at a time keeps the artifact and the log plain; -fork would restart
  # after a crash and hide it.
  if ! "$executable" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
      -dict="$dictionary" -artifact_prefix="$found/" "$found" "$seeds" >"$log" 2>&1; then
    failed+=("$name")
    echo "!! $name failed; the end of its log ($log):"
    tail -n 40 "$log"
  else
    grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' "$log" | tail -n 2 || true
  fi
done <"$list"

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz.sh: failed: ${failed[*]}" >&2
  exit 1
fi
echo "fuzz.sh: every target ran ${seconds}s without a finding"
