#!/usr/bin/env bash
# Configures (once) and builds one build folder incrementally.
# Usage: scripts/build.sh [BUILD_DIR] [extra cmake -D options...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="${1:-$root/build}"
shift || true

# Configured once; options given again are applied to an existing folder too.
if [ ! -f "$build_dir/build.ninja" ] || [ $# -gt 0 ]; then
  cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" > /dev/null
fi
cmake --build "$build_dir" -j2
