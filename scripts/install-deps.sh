#!/usr/bin/env bash
# Installs everything Varendo needs to build, run and test on Debian 12.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

PACKAGES=(
  # build
  build-essential cmake pkg-config git
  clang  # the fuzz targets (libFuzzer, sanitizers): fuzz/run.sh
  clang-tidy  # scripts/tidy.sh, run by CI
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libqt6svg6
  libsqlite3-dev sqlite3
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  libgsm1-dev libjpeg62-turbo-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  # run: media playback, sound, fonts
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  gstreamer1.0-plugins-ugly gstreamer1.0-libav gstreamer1.0-tools
  gstreamer1.0-pulseaudio gstreamer1.0-alsa
  pulseaudio pulseaudio-utils
  fonts-noto-cjk
  qt6-translations-l10n  # Qt's own dialogs and message-box buttons in Chinese
  # headless display, screenshots, test media
  libxcb1-dev  # the start-up benchmark waits for the window map as an X event
  xvfb xauth x11-utils imagemagick ffmpeg sox espeak-ng lame
  python3  # course/demo/rm_index.py: the seek index of the demo RealMedia video
  gstreamer1.0-x  # ximagesink: the video benchmark's reference player draws through it
  gstreamer1.0-plugins-base-apps  # gst-play-1.0, the audio benchmark's reference player
  mpv  # the video benchmark's other reference player (--vo=x11)
  # the desktop: checking the desktop entries the program writes, marking them trusted,
  # and driving the program under Xvfb for the guide's screenshots
  desktop-file-utils libglib2.0-bin xdotool
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
