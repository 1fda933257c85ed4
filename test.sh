#!/usr/bin/env bash
# Installs what Varendo needs, builds it and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh
bash scripts/build.sh
# The program folder with the demo course, as run.sh lays it out (one test checks it).
bash scripts/program-folder.sh

# Tests that need sound talk to a private PulseAudio server with a null sink.
pulse_env=$(bash scripts/pulse-null-sink.sh) || { echo "test.sh: the PulseAudio null sink did not start" >&2; exit 1; }
eval "$pulse_env"
trap '[ "${VARENDO_PULSE_STARTED:-0}" = 1 ] && bash scripts/pulse-null-sink.sh stop' EXIT

export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j"$(nproc 2>/dev/null || echo 2)" "$@"
