#!/usr/bin/env bash
# Operator mutants of the Qt-free sources, judged by the unit tests; see
# scripts/mutate.py and docs/TESTING.md. Not part of the test command: it takes minutes.
set -euo pipefail
exec python3 "$(cd "$(dirname "$0")" && pwd)/mutate.py" "$@"
