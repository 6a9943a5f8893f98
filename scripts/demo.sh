#!/usr/bin/env bash
# Installs what is missing, builds, and shows the bundled demo library.
# The desktop program is not built yet: until it is, this shows the demo library's
# catalogues as melodeck-tool reads them.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build"

tool="$root/build/tools/melodeck-tool"
echo "Melodeck's desktop program is not built yet; the demo library as melodeck-tool reads it:"
while IFS= read -r -d '' catalogue; do
  echo "${catalogue#"$root/"}"
  sections=$("$tool" profile get "$catalogue" | sed -n 's/^value=//p')
  while IFS= read -r section; do
    [ -n "$section" ] || continue
    artist=$("$tool" profile get "$catalogue" --section "$section" --key Artist | sed -n 's/^value=//p')
    year=$("$tool" profile get "$catalogue" --section "$section" --key Year | sed -n 's/^value=//p')
    printf '  [%b] Artist=%b Year=%b\n' "$section" "$artist" "$year"
  done < <(printf '%s' "$sections" | sed 's/\\x00/\n/g')
done < <(find "$root/demo/library" -iname album.ini -print0 | sort -z)
