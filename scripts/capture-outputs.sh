#!/usr/bin/env bash
# Prints what melodeck-tool shows of the demo library and of a generated one: the tree
# in both display modes, the tree with files, a scripted edit session, MP3 headers and
# catalogue keys. Two builds that print the same bytes behave the same for a user of
# the tool; run it before and after a change to the inner workings and compare:
#   scripts/capture-outputs.sh build-old > before.txt
#   scripts/capture-outputs.sh build > after.txt && cmp before.txt after.txt
# The libraries are made afresh in one fixed folder, so paths print the same each run.
set -euo pipefail
build="$(cd "${1:?usage: capture-outputs.sh BUILD_FOLDER}" && pwd)"
tool="$build/tools/melodeck-tool"
work="${TMPDIR:-/tmp}/melodeck-capture"
rm -rf "$work"
mkdir -p "$work"
settings="$work/Melodeck.ini"
: > "$settings"

"$build/demo/melodeck-make-demo" "$work/demo" > /dev/null
"$build/bench/melodeck-generate-library" "$work/generated" --artists 12 --albums 3 --songs 6 --loose 40 \
  --loose-folders 5 > /dev/null

section() { printf '\n=== %s\n' "$*"; }

for library in demo generated; do
  root="$work/$library/"
  section "$library: tree"
  "$tool" tree --settings "$settings" "$root"
  section "$library: tree --files"
  "$tool" tree --files --settings "$settings" "$root"
  section "$library: headers"
  find "$root" -name '*.mp3' | sort | head -n 40 | xargs -d '\n' "$tool" header || true
  section "$library: catalogue keys"
  find "$root" -name album.ini | sort | head -n 10 | while read -r catalogue; do
    "$tool" profile get "$catalogue" --section "$(grep -m1 -o '^\[[^]]*\]' "$catalogue" | tr -d '[]')" \
      --key Artist || true
  done
done

# An edit session of every kind of step, on copies so each run starts alike. The
# script names nodes by the labels the first tree above shows.
edit_script() {
  local library="$1"
  "$tool" tree --settings "$settings" "$work/$library/" | awk '
    function label(line) { sub(/^ *[a-z]+ "/, "", line); sub(/".*$/, "", line); return line }
    function data(line) { if (!sub(/.* data="/, "", line)) return ""; sub(/".*$/, "", line); return line }
    function path(depth,   i, p) { p = names[1]; for (i = 2; i <= depth; i++) p = p "\t" names[i]; return p }
    {
      match($0, /^ */); depth = RLENGTH / 2; kind = $0; sub(/^ */, "", kind); sub(/ .*/, "", kind)
      names[depth] = label($0)
      if (kind == "album" && !album && depth == 2) album = path(2)
      if (kind == "song" && depth == 3 && path(2) == album && !song) { song = path(3); file = path(2) "\t" data($0) }
      if (kind == "song" && depth > 3 && !loose) loose = path(depth)
    }
    END {
      split(album, parts, "\t"); artist = parts[1]
      print "mode\tfiles"
      if (file) print "rename\tRenamed file\t" file
      print "mode\tsongs"
      if (song) print "rename\tRenamed title\t" song
      if (album) print "rename\tRenamed album\t" album
      print "answer\tno"
      if (artist) print "delete\t" artist
      print "answer\tyes"
      if (artist) print "rename\tRenamed artist\t" artist
      print "tree"
      if (album) print "delete\tRenamed artist\tRenamed album"
      if (loose) print "delete\t" loose
      print "refresh"
      print "tree"
    }'
}
for library in demo generated; do
  copy="$library-edited"
  cp -a "$work/$library" "$work/$copy"
  section "$library: edit"
  edit_script "$copy" | sed "s/^/# /"
  edit_script "$copy" | "$tool" edit --settings "$settings" "$work/$copy/" || true
  section "$library: files after the edit"
  (cd "$work/$copy" && find . | LC_ALL=C sort)
done
