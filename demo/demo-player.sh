#!/bin/sh
# The demo's player: it shows the playlist (or song) it was given. With mpg123
# installed it also plays it.
log="${MELODECK_DEMO_LOG:-$PWD/demo-player.log}"
{
  echo "== $(date '+%H:%M:%S') the demo player was given: $1"
  case "$1" in
    *.m3u) cat "$1" ;;
  esac
} >> "$log"
if [ -n "$DISPLAY" ] && command -v xmessage >/dev/null 2>&1; then
  { echo "Melodeck's demo player was given:"; echo "$1"; case "$1" in *.m3u) cat "$1" ;; esac; } | xmessage -file - &
fi
if command -v mpg123 >/dev/null 2>&1; then
  case "$1" in
    *.m3u) exec mpg123 -q -@ "$1" ;;
    *) exec mpg123 -q "$1" ;;
  esac
fi
