#!/usr/bin/env bash
# Sets everything up on a fresh Debian machine and runs every test, instrumented with
# AddressSanitizer + UndefinedBehaviorSanitizer so that one build finds both wrong results and
# memory or undefined-behaviour faults (the benchmarks are built too, so they keep compiling).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing_packages
configure_and_build "$ROOT/build-tests" -DWORKFLOW_SANITIZE=address -DWORKFLOW_BUILD_BENCH=ON \
    -DWORKFLOW_WARNINGS_AS_ERRORS=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$ROOT/build-tests" --output-on-failure -j "$(nproc)" --timeout 600
