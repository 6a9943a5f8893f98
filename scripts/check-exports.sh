#!/usr/bin/env bash
# The melodeck executable exports the utility functions MELODECK_EXPORT marks and
# nothing else of ours: every function it defines for the dynamic linker must be one
# of them (templates of the standard library and the C runtime's own aside).
# Usage: scripts/check-exports.sh BUILD_DIR
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
binary="${1:-$root/build}/src/shell/melodeck"
exported="$(grep -oE '^MELODECK_EXPORT [^(]+\(' "$root/src/utility/utility.h" |
            sed -E 's/.*[ *&]([A-Za-z_][A-Za-z0-9_]*)\($/\1/' | sort -u)"
unexpected="$(nm -D --defined-only "$binary" | c++filt | awk '$2 == "T" { $1 = ""; $2 = ""; print }' |
              sed -E 's/^ +//; s/\(.*//' | grep -vxE '_start|_init|_fini' | sort -u |
              grep -vxF "$exported" || true)"
if [ -n "$unexpected" ]; then
  echo "melodeck exports functions no MELODECK_EXPORT marks:" >&2
  echo "$unexpected" >&2
  exit 1
fi
echo "exports: only the utility functions"
