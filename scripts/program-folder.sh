#!/usr/bin/env bash
# Lays out the program folder build/varendo (or $BUILD_DIR/varendo): the executable
# (placed by the build), the demo course's lesson database and its video and audio
# folders, the program's icon and the help guide.
# An existing varendo.mdb is kept: it holds the learner's study states and notes.
set -euo pipefail
cd "$(dirname "$0")/.."
tree=${BUILD_DIR:-build}
prog=$tree/varendo
demo=course/demo
mkdir -p "$prog/video" "$prog/mp3"
if [ -d "$demo/media/video" ]; then cp -ru "$demo/media/video/." "$prog/video/"; fi
if [ -d "$demo/media/mp3" ]; then cp -ru "$demo/media/mp3/." "$prog/mp3/"; fi
# A database without lesson rows (made by the program itself before there was a
# course) holds nothing of the learner's and is replaced by the demo course.
lessons=0
if [ -e "$prog/varendo.mdb" ]; then
  lessons=$(sqlite3 "$prog/varendo.mdb" "select count(*) from book1" 2>/dev/null || echo unreadable)
fi
if { [ ! -e "$prog/varendo.mdb" ] || [ "$lessons" = 0 ]; } && [ -x "$tree/bin/varendo-course" ] && [ -d "$demo/source" ]; then
  "$tree/bin/varendo-course" build "$demo/source" -o "$prog/varendo.mdb" --force
fi
# The icon of the program's desktop entries, and the help guide with its pictures.
cp src/ui/pictures/varendo.svg "$prog/varendo.svg"
cp "docs/使用教程.html" "$prog/使用教程.html"
rm -rf "$prog/guide"
cp -r docs/guide "$prog/guide"
