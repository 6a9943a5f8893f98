#!/usr/bin/env bash
# Builds the Debian package from a build folder, validates its desktop entry and
# AppStream metainfo, installs it (as root with apt-get, otherwise unpacked into a
# scratch folder) and runs the installed programs: melodeck-tool --version and an
# offscreen melodeck --screenshot on the test fixtures.
# Usage: scripts/test-package.sh [BUILD_DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="${1:-$root/build}"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

rm -f "$build_dir"/melodeck_*.deb
(cd "$build_dir" && cpack -G DEB > "$scratch/cpack.log") || { cat "$scratch/cpack.log"; exit 1; }
deb="$(ls "$build_dir"/melodeck_*.deb)"

# The package's own files, checked by the desktop's tools.
dpkg-deb -x "$deb" "$scratch/unpacked"
share="$scratch/unpacked/usr/share"
desktop-file-validate "$share/applications/org.example.Melodeck.desktop"
appstreamcli validate --no-net "$share/metainfo/org.example.Melodeck.metainfo.xml"
for file in icons/hicolor/scalable/apps/org.example.Melodeck.svg man/man1/melodeck.1 man/man1/melodeck-tool.1 \
            icons/hicolor/{48x48,128x128,256x256}/apps/org.example.Melodeck.png; do
  test -s "$share/$file" || { echo "missing from the package: $file"; exit 1; }
done

if [ "$(id -u)" -eq 0 ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --reinstall "$deb" > "$scratch/apt.log" ||
    { cat "$scratch/apt.log"; exit 1; }
  bin=/usr/bin
else
  bin="$scratch/unpacked/usr/bin"
fi

"$bin/melodeck-tool" --version | grep -qx "melodeck-tool [0-9.]*"
# The installed window, offscreen, on a folder of test songs; its settings and caches
# stay in the scratch folder.
printf '[Folders]\n1=%s/tests/fixtures/mpeg/\n' "$root" > "$scratch/Melodeck.ini"
(cd "$scratch" && HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" XDG_CACHE_HOME="$scratch/cache" \
  QT_QPA_PLATFORM=offscreen "$bin/melodeck" --settings "$scratch/Melodeck.ini" --screenshot "$scratch/window.png" \
  --wait-scan 2> "$scratch/melodeck.log") || { cat "$scratch/melodeck.log"; exit 1; }
test -s "$scratch/window.png"
echo "package $(basename "$deb"): validated, installed into $bin and run"
