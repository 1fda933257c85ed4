#!/usr/bin/env bash
# Configures and builds Varendo (shared by run.sh and test.sh).
# BUILD_DIR names the tree (build/ unless set); extra arguments go to cmake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${BUILD_DIR:-build}
jobs=$(nproc 2>/dev/null || echo 2)
# VARENDO_WERROR=ON (CI's first run) makes the project's warnings errors.
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE="${CMAKE_BUILD_TYPE:-RelWithDebInfo}" \
  -DVARENDO_WERROR="${VARENDO_WERROR:-OFF}" "$@" >/dev/null
cmake --build "$dir" -j"$jobs"
