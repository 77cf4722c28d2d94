#!/usr/bin/env bash
# Sets everything up on a fresh Debian machine and runs every test.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing_packages
configure_and_build "$ROOT/build-tests" -DWORKFLOW_BUILD_BENCH=ON -DWORKFLOW_WARNINGS_AS_ERRORS=ON
ctest --test-dir "$ROOT/build-tests" --output-on-failure -j "$(nproc)" --timeout 300
