#!/usr/bin/env bash
# Installs what is missing, checks that no core source includes a Qt header, builds
# with warnings as errors, and runs every test: the whole suite; the Debian package,
# built, validated, installed and run; then the whole suite once more (unit, tool and
# GUI tests) built with AddressSanitizer and UndefinedBehaviorSanitizer; any report
# fails the run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

"$root/scripts/setup.sh"
"$root/scripts/check-layers.sh"

# A warning fails the build here.
"$root/scripts/build.sh" "$root/build" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
"$root/scripts/check-exports.sh" "$root/build"
(cd "$root/build" && ctest --output-on-failure -j2)
"$root/scripts/test-package.sh" "$root/build"

"$root/scripts/build.sh" "$root/build-asan" -DMELODECK_SANITIZE=ON -DMELODECK_UNIT_TESTS_ONLY=OFF \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd "$root/build-asan" && ctest --output-on-failure -j2)
