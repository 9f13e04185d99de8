#!/bin/sh
# Puts the command table of the built tessaro-sim into docs/SCENARIOS.md: each block between
# "<!-- commands: FAMILY -->" and "<!-- end of commands -->" is replaced by the program's.
# A test fails while the two disagree. Usage: scripts/update-command-docs.sh [BUILD_DIR]
set -eu
build=${1:-build}
docs=docs/SCENARIOS.md
tables=$(mktemp)
trap 'rm -f "$tables" "$docs.new"' EXIT
"$build/tools/tessaro-sim" --commands --markdown >"$tables"
awk -v tables="$tables" '
  BEGIN {
    while ((getline line < tables) > 0) {
      if (line ~ /^<!-- commands: /) { name = line; block[name] = line "\n"; continue }
      if (name == "") continue
      block[name] = block[name] line "\n"
      if (line ~ /^<!-- end of commands -->/) name = ""
    }
  }
  /^<!-- commands: / {
    if (!($0 in block)) { print FILENAME ": no family " $0 > "/dev/stderr"; exit 1 }
    printf "%s", block[$0]; skipping = 1; next
  }
  skipping && /^<!-- end of commands -->/ { skipping = 0; next }
  !skipping { print }
' "$docs" >"$docs.new"
mv "$docs.new" "$docs"
