#!/usr/bin/env bash
# Builds the tree with coverage instrumentation, runs every test and prints line and branch
# coverage of the library, the stand-ins and the host (tests, benchmarks and tools left out).
# Usage: scripts/coverage.sh [BUILD_DIR]   (default: build-coverage)
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
PACKAGES+=(gcovr)
install_missing_packages
dir="${1:-$ROOT/build-coverage}"
cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DWORKFLOW_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="--coverage -fprofile-update=atomic" -DCMAKE_EXE_LINKER_FLAGS="--coverage" -DCMAKE_SHARED_LINKER_FLAGS="--coverage"
cmake --build "$dir" -j "$(nproc)"
find "$dir" -name '*.gcda' -delete
ctest --test-dir "$dir" -j "$(nproc)" --timeout 600 || echo "Some tests failed; coverage is of the run as it went."
# Only the library, its interfaces, the stand-ins and the host count: the filter is anchored at the
# source root so that tests, benchmarks, tools and generated sources stay out of the figures.
gcovr --root "$ROOT" --object-directory "$dir" -j "$(nproc)" \
    --filter "$ROOT/(workflow_core|gates|interfaces|platform|host)/" \
    --exclude-unreachable-branches --exclude-throw-branches --gcov-ignore-parse-errors --print-summary --txt "$dir/coverage.txt"
