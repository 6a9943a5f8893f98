#!/usr/bin/env bash
# Configures (once) and builds one build folder incrementally.
# Usage: scripts/build.sh [BUILD_DIR] [extra cmake -D options...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="${1:-$root/build}"
shift || true

if [ ! -f "$build_dir/build.ninja" ]; then
  cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
fi
cmake --build "$build_dir" -j2
