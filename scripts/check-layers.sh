#!/usr/bin/env bash
# The core never sees Qt: no source of the platform, text, catalogue, utility, tree,
# dialog-logic or resource layers may include a Qt header. Prints each offending line; fails on any.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
if grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]Q' \
     "$root/src/platform" "$root/src/text" "$root/src/catalogue" "$root/src/utility" "$root/src/tree" \
     "$root/src/dialogs" "$root/src/res"; then
  echo "A core source includes a Qt header (above); Qt belongs in src/shell." >&2
  exit 1
fi
echo "layers: no core source includes a Qt header"
