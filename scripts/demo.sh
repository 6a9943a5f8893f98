#!/usr/bin/env bash
# Installs what is missing, builds, and starts Melodeck on the bundled demo library.
# Without a display the window is rendered offscreen to a PNG and the library tree
# is printed instead.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build"

demo="$root/build/demo"
library="$demo/library"
[ -d "$library" ] || "$root/build/demo/melodeck-make-demo" "$library"
# Melodeck keeps its settings in the folder it starts in: the demo's own.
if [ ! -f "$demo/Melodeck.ini" ]; then
  printf '[Settings]\nDecoder=%s\n\n[Folders]\n1=%s/\n' "$root/demo/demo-player.sh" "$library" > "$demo/Melodeck.ini"
fi
cd "$demo"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$root/build/src/shell/melodeck"
fi
QT_QPA_PLATFORM=offscreen "$root/build/src/shell/melodeck" --screenshot "$demo/melodeck.png" --wait-scan 2>/dev/null
echo "No display: Melodeck's window on the demo library was rendered to $demo/melodeck.png"
echo "The library tree:"
"$root/build/tools/melodeck-tool" tree "$library/"
