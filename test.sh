#!/usr/bin/env bash
# Installs what Varendo needs, builds it and runs the whole test suite.
#   ./test.sh              the normal tree (build/)
#   ./test.sh --sanitize   a tree built with AddressSanitizer, LeakSanitizer and
#                          UndefinedBehaviorSanitizer (build-asan/), same suite
# Other arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")"
sanitize=0
if [ "${1:-}" = "--sanitize" ]; then
  sanitize=1
  shift
fi
bash scripts/install-deps.sh
if [ "$sanitize" = 1 ]; then
  export BUILD_DIR=build-asan
  # -O1 with line tables only: stack traces keep their file and line, and the
  # tree builds in about half the time full debug information takes.
  bash scripts/build.sh -DVARENDO_SANITIZE=ON -DVARENDO_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
  supp="$PWD/scripts/sanitizers"
  # Leaks are looked for at every test program's exit; the suppressions name only
  # allocations made and kept by libraries, each with its reason.
  # intercept_tls_get_addr=0: the checker then does not keep its own list of each
  # thread's dynamically loaded thread-local blocks. That list went stale under
  # GStreamer's streaming threads and the checker crashed at exit on a bogus range
  # ("Tracer caught signal 11", one run in five of the hundred-videos test). The
  # blocks are still scanned: the C library allocates them on the heap, reachable
  # from each thread's static storage.
  export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=0:strict_string_checks=0:abort_on_error=0:intercept_tls_get_addr=0"
  export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$supp/ubsan.supp"
else
  export BUILD_DIR=build
  bash scripts/build.sh
fi
# The program folder with the demo course, as run.sh lays it out (one test checks it).
bash scripts/program-folder.sh

# Tests that need sound talk to a private PulseAudio server with a null sink.
pulse_env=$(bash scripts/pulse-null-sink.sh) || { echo "test.sh: the PulseAudio null sink did not start" >&2; exit 1; }
eval "$pulse_env"
trap '[ "${VARENDO_PULSE_STARTED:-0}" = 1 ] && bash scripts/pulse-null-sink.sh stop' EXIT

export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD_DIR" --output-on-failure -j"$(nproc 2>/dev/null || echo 2)" "$@"
