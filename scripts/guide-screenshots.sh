#!/usr/bin/env bash
# Takes the pictures of the help guide (docs/guide/*.png) from the real program:
# starts Xvfb and a private PulseAudio server, runs build/varendo/varendo on a copy
# of the program folder with the demo course, drives it with the mouse through
# xdotool and saves each window or menu it shows.
# Run after a build: bash scripts/guide-screenshots.sh [output folder]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/program-folder.sh >/dev/null
out="$(realpath -m "${1:-docs/guide}")"
mkdir -p "$out"

# A fixed folder of our own: the media tree and the settings in the pictures show
# its paths, the same on every run.
work="${TMPDIR:-/tmp}/varendo-guide"
rm -rf "$work"
mkdir -p "$work"
app="" xvfb="" pulse_started=0
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  [ "$pulse_started" = 1 ] && VARENDO_PULSE_DIR="$work/pulse" bash scripts/pulse-null-sink.sh stop
  rm -rf "$work"
}
trap cleanup EXIT

# A copy of the program folder: what the pictures show (notes, study states, a media
# tree) is set up there and never touches the learner's own database.
prog="$work/varendo"
cp -r build/varendo "$prog"
rm -f "$prog/mediatv.mdl" "$prog/play.lst" "$prog/rec.rec"
sqlite3 "$prog/varendo.mdb" <<SQL
update bookset set 视频文件目录='$prog/video', 音频文件目录='$prog/mp3';
update book1 set 课程状态='学习中' where 课本号='1' and 课程编号='1';
update book1 set 课程状态='已学习' where 课本号='1' and 课程编号='3';
update book1 set 课程状态='待温习' where 课本号='2' and 课程编号='1';
update book1 set 备注='excuse me 用来引起别人注意，比 hello 更礼貌。' || char(13,10) ||
                      'Is this your umbrella? 注意读升调。', 笔记='有'
  where 课本号='1' and 课程编号='1';
SQL
mkdir -p "$work/我的英语"
cp -r "$prog/mp3/2" "$work/我的英语/听力练习"
cp -r "$prog/mp3/3" "$work/我的英语/课外阅读"
build/bin/varendo-lists search "$work/我的英语" > "$prog/mediatv.mdl"

# Sound goes to a null sink of our own, so recording works and no test hears us.
pulse_env=$(VARENDO_PULSE_DIR="$work/pulse" bash scripts/pulse-null-sink.sh)
eval "$pulse_env"
pulse_started=$VARENDO_PULSE_STARTED

displayfile="$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 1 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
[ -s "$displayfile" ] || { echo "guide-screenshots: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$displayfile")"
unset QT_QPA_PLATFORM
# Shortcuts made from the pictures' run land in the copy, not on the real desktop.
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
mkdir -p "$XDG_CONFIG_HOME"
echo "XDG_DESKTOP_DIR=\"$work/桌面\"" > "$XDG_CONFIG_HOME/user-dirs.dirs"

title="Varendo英语视频辅助学习工具"
"$prog/varendo" >"$work/varendo.log" 2>&1 &
app=$!

# The visible top-level window with exactly this title and, when given, this size.
window() {
  local id
  for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
    if [ -z "${2:-}" ] || xdotool getwindowgeometry "$id" | grep -q "Geometry: $2\$"; then
      echo "$id"
      return 0
    fi
  done
  return 1
}
wait_for() {
  for _ in $(seq 1 300); do
    kill -0 "$app" 2>/dev/null || { echo "guide-screenshots: Varendo ended" >&2; cat "$work/varendo.log" >&2; exit 1; }
    window "$@" >/dev/null && return 0
    sleep 0.1
  done
  echo "guide-screenshots: no window \"$1\"" >&2
  exit 1
}
wait_for "$title" 1025x706
main=$(window "$title" 1025x706)
eval "$(xdotool getwindowgeometry --shell "$main")"
MX=$X MY=$Y

# Mouse clicks at points of the main window (its own coordinates).
click() { xdotool mousemove $((MX + $1)) $((MY + $2)) click "${3:-1}"; sleep "${4:-0.6}"; }
# A picture of a stretch of the screen given in the main window's coordinates.
shot() { import -window root -crop "$3x$4+$((MX + $1))+$((MY + $2))" +repage "$out/$5.png"; echo "$out/$5.png"; }
# A picture of a whole top-level window.
shot_window() { import -window "$1" "$out/$2.png"; echo "$out/$2.png"; }
close_menu() { xdotool key Escape; sleep 0.3; xdotool mousemove 5 795 click 1; sleep 0.4; }

# The menu of a window at a point of its own, and one of its items, counted from 0
# (items are 22 pixels apart, separators 2).
pick() { # window-x window-y item-y
  click "$1" "$2"
  click $(($1 + 40)) "$3" 1 1.2
}
sleep 1

# The system menu.
click 85 11
shot 0 0 330 150 system-menu
close_menu

# Choosing a lesson: the lesson list open below the book list.
click 78 595
shot 0 540 300 166 lesson-list
xdotool key Escape; sleep 0.4

# An audio lesson playing: the sentence being spoken is selected in the text.
click 20 656 1 2.5
shot_window "$main" main-window

# A-B repeat: a start and an end mark set while the lesson plays, then the repeat on.
click 405 530 1 4
click 428 530 1 0.3
click 451 530 1 1
shot 0 470 575 75 repeat

# The recorder panel (the red button on the tool bar), recording; its hint tells for how long.
click 474 530 1 0.8
click 485 497 1 2.5
xdotool mousemove $((MX + 488)) $((MY + 499)); sleep 0.3
xdotool mousemove $((MX + 486)) $((MY + 498)); sleep 1.5
shot 250 440 360 130 recorder
click 539 497 1 0.5
click 474 530 1 0.5
# Playback stopped.
click 336 530 1 0.5

# Right-click menus: the video area, the lesson panes (with the display submenu open).
click 300 200 3
shot 290 190 200 60 video-menu
close_menu
click 800 300 3
xdotool mousemove $((MX + 840)) $((MY + 312)); sleep 0.8
shot 795 290 312 190 lesson-menu
close_menu

# The notes of lesson 1, from the lesson panes' menu.
click 800 300 3
click 840 336 1 1.2
notes=$(window "$title   课程笔记管理")
shot_window "$notes" notes
eval "$(xdotool getwindowgeometry --shell "$notes")"
xdotool mousemove $((X + 394)) $((Y + 381)) click 1; sleep 0.5

# The progress board, from the system menu.
pick 85 11 57
board=$(window "$title    课程学习进度管理")
shot_window "$board" progress-board
eval "$(xdotool getwindowgeometry --shell "$board")"
xdotool mousemove $((X + 79)) $((Y + 365)) click 1; sleep 0.5

# The settings, from the system menu.
pick 85 11 33
settings=$(window "$title 参数设置")
shot_window "$settings" settings
eval "$(xdotool getwindowgeometry --shell "$settings")"
xdotool mousemove $((X + 420)) $((Y + 319)) click 1; sleep 0.5

# The help menu, and the about box from it.
click 200 11
shot 150 0 200 80 help-menu
click 230 57 1 1
about=$(window "$title" 241x481)
shot_window "$about" about
xdotool mousemove $((MX + 500)) $((MY + 300)) key Escape; sleep 0.5

# The media library: the media tree of a folder, two files put on the play list from
# the tree's menu, the first playing with its lyrics.
click 74 689 1 1.2
click 673 526
xdotool key asterisk; sleep 0.5
click 783 584
click 783 584 3
shot 775 325 215 265 media-menu
click 861 365 1 0.6
click 783 604
click 783 604 3
click 861 385 1 0.8
xdotool mousemove $((MX + 923)) $((MY + 525)) click --repeat 2 --delay 80 1; sleep 2.5
shot 0 0 1030 706 media-library
