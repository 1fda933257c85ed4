#!/usr/bin/env bash
# Installs what Varendo needs, builds it, lays out the program folder with the demo
# course and opens Varendo. Without a display it starts Xvfb, opens the program,
# saves a screenshot of the main window and prints where it is.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh
# The build's whole output goes to a log; only its warnings and errors are shown.
mkdir -p build
log="$PWD/build/build.log"
echo "Building Varendo (full log: $log) ..."
if ! bash scripts/build.sh >"$log" 2>&1; then
  grep -E -A3 'error|Error|warning:' "$log" | head -n 200 >&2 || tail -n 50 "$log" >&2
  echo "run.sh: the build failed; the whole log is $log" >&2
  exit 1
fi
grep -E -A3 'warning:' "$log" | head -n 100 || true
bash scripts/program-folder.sh

program="$PWD/build/varendo/varendo"
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$program"
fi

# No display: a virtual one, a screenshot, and the program closed again.
app=""
displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
xvfb=$!
trap 'kill ${app:-} $xvfb 2>/dev/null || true; rm -f "$displayfile"' EXIT
for _ in $(seq 1 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
[ -s "$displayfile" ] || { echo "run.sh: Xvfb did not start" >&2; exit 1; }
display=":$(head -n1 "$displayfile")"
DISPLAY=$display "$program" &
app=$!
# Wait for the main window (the first start may scan the media plugins for a while).
title="Varendo英语视频辅助学习工具"
for _ in $(seq 1 600); do
  kill -0 "$app" 2>/dev/null || { echo "run.sh: Varendo ended before its window appeared" >&2; exit 1; }
  DISPLAY=$display xwininfo -root -tree 2>/dev/null | grep -q "$title" && break
  sleep 0.1
done
DISPLAY=$display xwininfo -root -tree 2>/dev/null | grep -q "$title" \
  || { echo "run.sh: the main window did not appear within a minute" >&2; exit 1; }
sleep "${VARENDO_SCREENSHOT_DELAY:-1}"
kill -0 "$app" 2>/dev/null || { echo "run.sh: Varendo ended unexpectedly" >&2; exit 1; }
shot="$PWD/build/varendo-main-window.png"
DISPLAY=$display import -window root "$shot"
echo "Varendo ran without a display; screenshot of the main window: $shot"
