#!/usr/bin/env bash
# Starts a private PulseAudio server with a null sink, for tests that need sound.
# Prints the shell lines that point clients at it (eval them).
# The server lives until "pulse-null-sink.sh stop" or the machine restarts.
set -euo pipefail
dir="${VARENDO_PULSE_DIR:-/tmp/varendo-pulse}"
if [ "${1:-}" = "stop" ]; then
  if [ -f "$dir/pid" ]; then kill "$(cat "$dir/pid")" 2>/dev/null || true; rm -f "$dir/pid"; fi
  exit 0
fi
mkdir -p "$dir"
export PULSE_SERVER="unix:$dir/native"
export PULSE_RUNTIME_PATH="$dir"
started=0
if ! pactl info >/dev/null 2>&1; then
  started=1
  pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit=yes -n \
    --use-pid-file=no --log-target=file:"$dir/log" \
    -L "module-native-protocol-unix socket=$dir/native auth-anonymous=1" \
    -L "module-null-sink sink_name=varendo_null rate=44100" \
    -L "module-always-sink" </dev/null >/dev/null 2>&1 &
  echo $! > "$dir/pid"
  for _ in $(seq 1 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
fi
pactl info >/dev/null 2>&1 || { echo "PulseAudio did not start; see $dir/log" >&2; exit 1; }
pactl set-default-sink varendo_null >/dev/null
pactl set-default-source varendo_null.monitor >/dev/null
echo "export PULSE_SERVER=$PULSE_SERVER"
echo "export PULSE_RUNTIME_PATH=$PULSE_RUNTIME_PATH"
# Only the caller that started the server stops it again.
echo "export VARENDO_PULSE_STARTED=$started"
