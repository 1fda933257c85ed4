#!/usr/bin/env bash
# Makes the demo course's lyrics and media from the lesson sources.
#
# For every lesson folder source/<book>/<lesson>/ it speaks each line of
# script.txt ("<espeak-ng voice>|<sentence>") with espeak-ng, trims the clips,
# joins them with short pauses, writes lyrics.lrc with the exact start of every
# sentence, encodes the lesson MP3 into media/mp3/<book>/ (with a copy of the
# lyrics beside it) and renders a captioned-slide video into media/video/.
# The container of the video follows the extension of the manifest's video=
# name: .rm (RealVideo 2 + AC-3), .avi (MPEG-4 + MP3) or .wmv (WMV 8 + WMA 2).
#
# Usage:
#   generate.sh                  regenerate every lesson, then check everything
#   generate.sh LESSON_DIR ...   regenerate only these lessons (then check them)
#   generate.sh --check [DIR..]  change nothing; check sources, lyrics and media
#
# Needs only Debian packages: espeak-ng sox lame ffmpeg fonts-noto-cjk python3
# (gstreamer1.0-tools and the GStreamer plugins for the playback check).
set -euo pipefail
export LC_ALL=C.UTF-8

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SRC="$HERE/source"
MP3_DIR="$HERE/media/mp3"
VIDEO_DIR="$HERE/media/video"

RATE=22050                 # sample rate of every clip and of the MP3s
LEAD_IN=1.00               # silence before the first sentence: stamp 00:00 is never tracked
PAUSE_SAME=0.45            # pause between two sentences of one speaker
PAUSE_TURN=0.70            # pause when the voice changes
PAUSE_AFTER_FIRST=1.20     # pause after the listening instruction
TAIL=1.00                  # silence after the last sentence
FPS=5                      # frame rate of the slide videos
LATE_START=0.40            # tracking marks a sentence as soon as the whole second of its start
                           # begins; a start later than this into a second (more than the shortest
                           # pause) waits for the next second, so the mark moves during the pause

FONT_REGULAR=/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc
FONT_BOLD=/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc
FONT_CJK="Noto Sans CJK SC"

die() { printf 'generate.sh: %s\n' "$*" >&2; exit 1; }

# Speaking rate (words per minute) by book: slow for beginners.
speed_for_book() {
  case "$1" in 1) echo 125 ;; 2) echo 140 ;; *) echo 145 ;; esac
}

# manifest_value FILE KEY
manifest_value() {
  sed -n "s/^$2=//p" "$1" | head -n 1
}

# --- Checks -----------------------------------------------------------------

failures=0
fail() { printf 'FAIL %s: %s\n' "$1" "$2" >&2; failures=$((failures + 1)); }

# Prints the first occurrence (byte offset, 1-based) of each sentence read
# from stdin in FILE, ignoring letter case, or 0 when it does not occur.
first_occurrences() {
  awk -v file="$1" '
    BEGIN { while ((getline line < file) > 0) text = text line "\r\n"; text = tolower(text) }
    { print index(text, tolower($0)) }'
}

# check_sentences LESSON_DIR FILE_WITH_SENTENCES: every sentence occurs in
# text.txt, and the first occurrences come in the order spoken, so that the
# search for the spoken sentence finds it at its own place in the text.
check_sentences() {
  local dir=$1 list=$2 prev=0 n=0 pos sentence
  while IFS=$'\t' read -r pos sentence; do
    n=$((n + 1))
    if [ "$pos" -eq 0 ]; then
      fail "$dir" "sentence $n does not occur in text.txt: $sentence"
    elif [ "$pos" -le "$prev" ]; then
      fail "$dir" "sentence $n occurs earlier in text.txt than the sentence before it: $sentence"
    fi
    # Tags are cut at brackets, and a line is picked by the mm:ss it contains.
    case "$sentence" in
      *'['*|*']'*) fail "$dir" "sentence $n holds a bracket: $sentence" ;;
      *[0-9][0-9]:[0-9][0-9]*) fail "$dir" "sentence $n holds a time-like mm:ss: $sentence" ;;
    esac
    prev=$pos
  done < <(paste <(first_occurrences "$dir/text.txt" < "$list") "$list")
}

check_sources() {
  local dir=$1 f lesson video audio first
  for f in manifest.txt title.txt text.txt words.txt translation.txt script.txt; do
    [ -f "$dir/$f" ] || { fail "$dir" "$f is missing"; return; }
    iconv -f UTF-8 -t UTF-8 "$dir/$f" >/dev/null 2>&1 || fail "$dir" "$f is not UTF-8"
    iconv -f UTF-8 -t GBK "$dir/$f" >/dev/null 2>&1 || fail "$dir" "$f holds characters outside GBK"
    grep -q $'\r' "$dir/$f" && fail "$dir" "$f has carriage returns"
    grep -q '^[[:space:]]*$' "$dir/$f" && fail "$dir" "$f has an empty line"
    grep -q '"' "$dir/$f" && fail "$dir" "$f holds a double quote"
  done
  grep -q -v -E '^(lesson|video|audio)=' "$dir/manifest.txt" && fail "$dir" "manifest.txt has an unknown line"
  lesson=$(manifest_value "$dir/manifest.txt" lesson)
  video=$(manifest_value "$dir/manifest.txt" video)
  audio=$(manifest_value "$dir/manifest.txt" audio)
  [[ "$lesson" =~ ^[0-9]{1,3}$ ]] || fail "$dir" "lesson= must be 1 to 3 digits"
  [[ "$audio" == *.mp3 ]] || fail "$dir" "audio= must name an .mp3 file"
  [[ "$video" =~ \.(rm|avi|wmv)$ ]] || fail "$dir" "video= must name an .rm, .avi or .wmv file"
  [[ "$audio$video" == *[\'/\\]* ]] && fail "$dir" "file names must not hold apostrophes or slashes"
  first=$(head -n 1 "$dir/title.txt")
  [[ "$first" == *Lesson* && " $first " == *[^0-9]"$lesson"[^0-9]* ]] ||
    fail "$dir" "title.txt must start with the heading line holding Lesson and $lesson"
  first=$(head -n 1 "$dir/text.txt")
  [[ "$first" == *"Listen to "* || "$first" == *"First listen and answer"* ||
     "$first" == *"First listen and then answer the"* ]] ||
    fail "$dir" "text.txt must start with the listening instruction"
  [ "$(head -n 1 "$dir/words.txt")" = "New words and expressions" ] ||
    fail "$dir" "words.txt must start with: New words and expressions"
  [ "$(head -n 1 "$dir/translation.txt")" = "参考译文" ] ||
    fail "$dir" "translation.txt must start with: 参考译文"
  if grep -v -q -E '^[a-z]{2,3}(-[A-Za-z0-9-]+)?(\+[a-zA-Z0-9]+)?\|.' "$dir/script.txt"; then
    fail "$dir" "script.txt lines must be <voice>|<sentence>"
  fi
  cut -d '|' -f 2- "$dir/script.txt" > "$WORK/sentences"
  check_sentences "$dir" "$WORK/sentences"
}

duration_of() { ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 "$1"; }

# Decodes FILE to the end with GStreamer (every stream it holds).
plays_in_gstreamer() {
  local file=$1 branches="d. ! queue ! audioconvert ! fakesink"
  if ffprobe -v error -select_streams v -show_entries stream=codec_type -of csv=p=0 "$file" | grep -q video; then
    branches="$branches d. ! queue ! videoconvert ! fakesink"
  fi
  # shellcheck disable=SC2086
  timeout 120 gst-launch-1.0 -q filesrc location="$file" ! decodebin name=d $branches >/dev/null 2>&1
}

# rms WAV START DURATION: RMS amplitude of a stretch of a WAV file.
rms() {
  sox "$1" -n trim "$2" "$3" stat 2>&1 | awk '/^RMS +amplitude/ { print $3 }'
}

# check_starts LESSON_DIR MP3: every lyric time is a real sentence start in
# the decoded MP3, silence just before it and speech just after it.
check_starts() {
  local dir=$1 mp3=$2 t before after
  ffmpeg -nostdin -v error -y -i "$mp3" -ac 1 "$WORK/decoded.wav"
  while IFS= read -r t; do
    t=$(awk -F: '{ printf "%.2f", $1 * 60 + $2 }' <<<"$t")
    before=$(rms "$WORK/decoded.wav" "$(awk -v t="$t" 'BEGIN { print t - 0.2 }')" 0.17)
    after=$(rms "$WORK/decoded.wav" "$t" 0.25)
    awk -v b="$before" -v a="$after" 'BEGIN { exit !(b < 0.005 && a > 0.03) }' ||
      fail "$dir" "no sentence starts at $t s in the MP3 (RMS before $before, after $after)"
  done < <(cut -c 2-9 "$WORK/lrc-body")
}

check_media() {
  local dir=$1 book lesson video audio lrc mp3 times seconds dur vdur failed_before=$failures
  book=$(basename "$(dirname "$dir")")
  lesson=$(manifest_value "$dir/manifest.txt" lesson)
  video=$(manifest_value "$dir/manifest.txt" video)
  audio=$(manifest_value "$dir/manifest.txt" audio)
  lrc="$dir/lyrics.lrc"
  mp3="$MP3_DIR/$book/$audio"
  [ -f "$lrc" ] || { fail "$dir" "lyrics.lrc is missing (run generate.sh)"; return; }
  head -n 4 "$lrc" | grep -c -E '^\[(ti|ar|al|by):[^]]*\]$' | grep -qx 4 ||
    fail "$dir" "lyrics.lrc must start with the four header lines [ti:] [ar:] [al:] [by:]"
  tail -n +5 "$lrc" > "$WORK/lrc-body"
  grep -q -v -E '^\[[0-9]{2}:[0-9]{2}\.[0-9]{2}\][^[]' "$WORK/lrc-body" &&
    fail "$dir" "lyrics.lrc has a line that is not [mm:ss.xx]sentence"
  sed 's/^\[[^]]*\]//' "$WORK/lrc-body" > "$WORK/lrc-sentences"
  cmp -s "$WORK/lrc-sentences" <(cut -d '|' -f 2- "$dir/script.txt") ||
    fail "$dir" "lyrics.lrc does not hold the sentences of script.txt (run generate.sh)"
  check_sentences "$dir" "$WORK/lrc-sentences"
  # Sentence tracking goes by whole seconds: each sentence needs a second of its own, not 00:00.
  times=$(cut -c 2-9 "$WORK/lrc-body")
  grep -q '^00:00' <<<"$times" && fail "$dir" "a sentence starts within 00:00, which is never tracked"
  [ "$(cut -c 1-5 <<<"$times" | uniq -d)" = "" ] || fail "$dir" "two sentences start in the same second"
  sort -c <<<"$times" 2>/dev/null || fail "$dir" "lyric times are not in order"
  [ -f "$mp3" ] || { fail "$dir" "audio file missing: $mp3"; return; }
  cmp -s "$lrc" "${mp3%.mp3}.lrc" || fail "$dir" "the lyrics beside the MP3 differ from lyrics.lrc"
  dur=$(duration_of "$mp3")
  seconds=$(tail -n 1 <<<"$times" | awk -F: '{ print $1 * 60 + $2 }')
  awk -v d="$dur" -v s="$seconds" 'BEGIN { exit !(d > s + 0.5) }' ||
    fail "$dir" "the MP3 ($dur s) ends before the last sentence ($seconds s)"
  check_starts "$dir" "$mp3"
  plays_in_gstreamer "$mp3" || fail "$dir" "GStreamer cannot play $mp3"
  [ -f "$VIDEO_DIR/$video" ] || { fail "$dir" "video file missing: $VIDEO_DIR/$video"; return; }
  vdur=$(duration_of "$VIDEO_DIR/$video")
  awk -v a="$dur" -v v="$vdur" 'BEGIN { exit !(v > a - 1 && v < a + 1) }' ||
    fail "$dir" "the video lasts $vdur s, the audio $dur s"
  plays_in_gstreamer "$VIDEO_DIR/$video" || fail "$dir" "GStreamer cannot play $VIDEO_DIR/$video"
  if [ "$failures" -eq "$failed_before" ]; then
    printf '%-44s book %s lesson %-3s %5.1f s  %s | %s\n' "${dir#"$SRC"/}" "$book" "$lesson" "$dur" "$audio" "$video"
  fi
}

# --- Generation -------------------------------------------------------------

# The speaker of a sentence: the "NAME:" prefix of the text line holding it.
speaker_of() {
  awk -v s="$2" '
    index(tolower($0), tolower(s)) {
      if (match($0, /^[A-Z][A-Z .]*: /)) print substr($0, 1, RLENGTH - 2)
      exit
    }' "$1"
}

# Writes the ffmpeg filter that draws the slides: title band, footer, and
# each sentence (with its speaker, "-" for none) while it is spoken.
write_slide_filter() {
  local dir=$1 book=$2 cues=$3 out=$4 t=$WORK/slide i=0 start end speaker sentence
  mkdir -p "$t"
  head -n 1 "$dir/title.txt" | tr -d '\n' > "$t/title"
  sed -n 2p "$dir/title.txt" | tr -d '\n' > "$t/subtitle"
  printf 'Varendo English  Book %s' "$book" > "$t/footer"
  {
    printf "[0:v]drawbox=x=0:y=0:w=iw:h=56:color=0x2E4A62:t=fill"
    printf ",drawtext=fontfile=%s:textfile=%s:expansion=none:fontsize=17:fontcolor=white:x=(w-tw)/2:y=8" "$FONT_BOLD" "$t/title"
    if [ -s "$t/subtitle" ]; then
      printf ",drawtext=font='%s':textfile=%s:expansion=none:fontsize=13:fontcolor=0xD8E2EC:x=(w-tw)/2:y=33" "$FONT_CJK" "$t/subtitle"
    fi
    printf ",drawtext=fontfile=%s:textfile=%s:expansion=none:fontsize=10:fontcolor=0x8A8170:x=(w-tw)/2:y=h-17" "$FONT_REGULAR" "$t/footer"
    while IFS=$'\t' read -r start end speaker sentence; do
      i=$((i + 1))
      printf '%s' "$(printf '%s\n' "$sentence" | fold -s -w 34 | sed 's/ *$//')" > "$t/s$i"
      if [ "$speaker" != "-" ]; then
        printf '%s' "$speaker" > "$t/p$i"
        printf ",drawtext=fontfile=%s:textfile=%s:expansion=none:fontsize=14:fontcolor=0xB0472C:x=(w-tw)/2:y=70:enable='between(t,%s,%s)'" \
          "$FONT_BOLD" "$t/p$i" "$start" "$end"
      fi
      printf ",drawtext=fontfile=%s:textfile=%s:expansion=none:fontsize=16:line_spacing=3:fontcolor=0x202020:x=(w-tw)/2:y=94:enable='between(t,%s,%s)'" \
        "$FONT_REGULAR" "$t/s$i" "$start" "$end"
    done < "$cues"
    printf '[v]\n'
  } > "$out"
}

# encode_video WAV FILTER KEY_TIMES OUT: a key frame at every slide change
# keeps the slides clean (no ghosts of the previous sentence).
encode_video() {
  local wav=$1 filter=$2 keys=$3 out=$4 dur
  dur=$(soxi -D "$wav")
  local -a codec
  case "$out" in
    *.rm)  codec=(-c:v rv20 -q:v 6 -c:a ac3 -ar 48000 -b:a 48k -f rm) ;;
    *.avi) codec=(-c:v mpeg4 -vtag XVID -q:v 6 -c:a libmp3lame -ar 22050 -b:a 32k -f avi) ;;
    *.wmv) codec=(-c:v wmv2 -q:v 6 -c:a wmav2 -ar 22050 -b:a 32k -f asf) ;;
    *) die "no video encoding for $out" ;;
  esac
  nice -n 10 ffmpeg -nostdin -hide_banner -loglevel error -y \
    -f lavfi -i "color=c=0xF4EFE1:s=320x240:r=$FPS:d=$dur" -i "$wav" \
    -filter_complex_script "$filter" -map '[v]' -map 1:a -ac 1 -g 50 -mbd rd -force_key_frames "$keys" \
    -fflags +bitexact -flags:v +bitexact -flags:a +bitexact -map_metadata -1 -avoid_negative_ts disabled \
    "${codec[@]}" "$out"
  # ffmpeg's RealMedia writer leaves out the seek index; without it no jump works.
  if [[ "$out" == *.rm ]]; then
    python3 "$HERE/rm_index.py" "$out" >/dev/null
  fi
}

generate_lesson() {
  local dir=$1 book lesson video audio speed title n=0 voice sentence raw clip speaker
  book=$(basename "$(dirname "$dir")")
  lesson=$(manifest_value "$dir/manifest.txt" lesson)
  video=$(manifest_value "$dir/manifest.txt" video)
  audio=$(manifest_value "$dir/manifest.txt" audio)
  speed=$(speed_for_book "$book")
  title=$(head -n 1 "$dir/title.txt")
  echo "== $dir"
  rm -rf "$WORK/clips" && mkdir -p "$WORK/clips"
  : > "$WORK/clips.txt"

  # 1. One trimmed, level-matched clip per sentence.
  while IFS='|' read -r voice sentence; do
    n=$((n + 1))
    raw="$WORK/clips/raw$n.wav"
    clip="$WORK/clips/clip$n.wav"
    printf '%s\n' "$sentence" | espeak-ng -v "$voice" -s "$speed" -w "$raw" --stdin
    sox -R -D "$raw" -b 16 -c 1 -r "$RATE" "$clip" silence 1 0.01 -50d reverse silence 1 0.01 -50d reverse norm -3
    [ "$(soxi -s "$clip")" -gt 0 ] || die "$dir: sentence $n came out silent"
    printf '%s\t%s\t%s\n' "$(soxi -s "$clip")" "$voice" "$sentence" >> "$WORK/clips.txt"
  done < "$dir/script.txt"

  # 2. Time line in samples: each sentence's start, and the silence before it.
  awk -F '\t' -v rate="$RATE" -v lead="$LEAD_IN" -v same="$PAUSE_SAME" -v turn="$PAUSE_TURN" \
      -v first="$PAUSE_AFTER_FIRST" -v late="$LATE_START" '
    function secs(x) { return int(x * rate + 0.5) }
    {
      if (NR == 1) t = secs(lead)
      else t = end + (NR == 2 ? secs(first) : ($2 == voice ? secs(same) : secs(turn)))
      sec = int(t / rate)
      if (t - sec * rate > secs(late) || (NR > 1 && sec == int(start / rate)))
        t = (sec + 1) * rate + secs(0.02)
      printf "%d\t%d\t%d\t%s\n", t, t - end, $1, $3
      start = t; end = t + $1; voice = $2
    }' "$WORK/clips.txt" > "$WORK/timeline.txt"

  # 3. Lyrics: four header lines, then [mm:ss.xx] (rounded down) and the sentence.
  {
    printf '[ti:%s]\n[ar:Varendo demo course]\n[al:Varendo English Book %s]\n[by:generate.sh]\n' \
      "$(echo "$title" | tr -s ' ')" "$book"
    awk -F '\t' -v rate="$RATE" '{
      cs = int($1 * 100 / rate)
      printf "[%02d:%02d.%02d]%s\n", int(cs / 6000), int(cs / 100) % 60, cs % 100, $4
    }' "$WORK/timeline.txt"
  } > "$dir/lyrics.lrc"

  # 4. The lesson audio: every clip after its silence, then the tail.
  local -a parts=()
  n=0
  while IFS=$'\t' read -r start gap samples sentence; do
    n=$((n + 1))
    sox -R -D "$WORK/clips/clip$n.wav" "$WORK/clips/part$n.wav" pad "${gap}s" 0
    parts+=("$WORK/clips/part$n.wav")
  done < "$WORK/timeline.txt"
  sox -R -D "${parts[@]}" "$WORK/lesson.wav" pad 0 "$TAIL"

  mkdir -p "$MP3_DIR/$book" "$VIDEO_DIR"
  rm -f "$MP3_DIR/$book/$audio"
  nice -n 10 lame --quiet -m m -b 32 --resample 22.05 \
    --tt "$(echo "$title" | tr -s ' ')" --ta "Varendo demo course" --tl "Varendo English Book $book" \
    --tn "$lesson" "$WORK/lesson.wav" "$MP3_DIR/$book/$audio"
  cp "$dir/lyrics.lrc" "$MP3_DIR/$book/${audio%.mp3}.lrc"

  # 5. The video: one caption slide per sentence, from the frame in which the
  #    sentence starts to the frame before the next sentence's.
  local total
  total=$(soxi -s "$WORK/lesson.wav")
  awk -F '\t' -v rate="$RATE" -v fps="$FPS" -v total="$total" '
    { s[NR] = int($1 * fps / rate) / fps; text[NR] = $4 }
    END { for (i = 1; i <= NR; i++) printf "%.3f\t%.3f\t%s\n", s[i], ((i < NR) ? s[i + 1] : total / rate) - 0.001, text[i] }
  ' "$WORK/timeline.txt" |
  while IFS=$'\t' read -r start end sentence; do
    speaker=$(speaker_of "$dir/text.txt" "$sentence")
    printf '%s\t%s\t%s\t%s\n' "$start" "$end" "${speaker:--}" "$sentence"
  done > "$WORK/cues.txt"
  write_slide_filter "$dir" "$book" "$WORK/cues.txt" "$WORK/slides.filter"
  rm -f "$VIDEO_DIR/$video"
  encode_video "$WORK/lesson.wav" "$WORK/slides.filter" "$(cut -f 1 "$WORK/cues.txt" | paste -s -d ,)" "$VIDEO_DIR/$video"
}

# --- Main -------------------------------------------------------------------

check_only=0
if [ "${1:-}" = "--check" ]; then check_only=1; shift; fi

lessons=()
if [ $# -gt 0 ]; then
  for d in "$@"; do
    [ -f "$d/manifest.txt" ] || die "$d is not a lesson folder (no manifest.txt)"
    lessons+=("$(cd "$d" && pwd)")
  done
else
  while IFS= read -r d; do lessons+=("${d%/manifest.txt}"); done < <(find "$SRC" -mindepth 3 -maxdepth 3 -name manifest.txt | sort)
fi
[ ${#lessons[@]} -gt 0 ] || die "no lessons under $SRC"

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

for d in "${lessons[@]}"; do
  book=$(basename "$(dirname "$d")")
  [[ "$book" =~ ^[1-4]$ ]] || die "$d: lessons live in source/1 .. source/4"
  check_sources "$d"
done
[ "$failures" -eq 0 ] || die "$failures problem(s) in the sources"

if [ "$check_only" -eq 0 ]; then
  command -v espeak-ng sox lame ffmpeg >/dev/null || die "needs espeak-ng, sox, lame and ffmpeg"
  for d in "${lessons[@]}"; do generate_lesson "$d"; done
fi

for d in "${lessons[@]}"; do check_media "$d"; done
[ "$failures" -eq 0 ] || die "$failures problem(s) found"
echo "total size of the demo course: $(du -sh "$HERE" | cut -f 1)"
