#!/usr/bin/env bash
# Lays out the program folder build/varendo: the executable (placed by the build),
# the demo course's lesson database and its video and audio folders.
# An existing varendo.mdb is kept: it holds the learner's study states and notes.
set -euo pipefail
cd "$(dirname "$0")/.."
prog=build/varendo
demo=course/demo
mkdir -p "$prog/video" "$prog/mp3"
if [ -d "$demo/media/video" ]; then cp -ru "$demo/media/video/." "$prog/video/"; fi
if [ -d "$demo/media/mp3" ]; then cp -ru "$demo/media/mp3/." "$prog/mp3/"; fi
if [ ! -e "$prog/varendo.mdb" ] && [ -x build/bin/varendo-course ] && [ -d "$demo/source" ]; then
  build/bin/varendo-course build "$demo/source" -o "$prog/varendo.mdb"
fi
