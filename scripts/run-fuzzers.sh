#!/usr/bin/env bash
# Builds the libFuzzer targets (tests/fuzz) with clang under AddressSanitizer +
# UndefinedBehaviorSanitizer and runs each for SECONDS (default 60), one per core at a time, on a
# scratch copy of its seed corpus, so the committed corpus changes only by hand. Fails when a
# target crashes, leaks, trips a sanitizer or breaks one of its properties; the input that did is
# kept in build-fuzz/findings.
# Usage: scripts/run-fuzzers.sh [SECONDS]
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SECONDS_EACH="${1:-60}"
BUILD="$ROOT/build-fuzz"
source "$ROOT/scripts/common.sh"
install_missing_packages

# Optimised: several times the executions of an unoptimised build in the same time (the tree
# holds no assert() that NDEBUG would silence).
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DWORKFLOW_SANITIZE=address -DWORKFLOW_BUILD_FUZZERS=ON -DWORKFLOW_BUILD_TESTS=OFF \
    -DWORKFLOW_BUILD_BENCH=OFF -DWORKFLOW_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build "$BUILD" --target fuzzers

# Target and the longest input it is given: enough for every seed, small enough that each
# execution stays quick.
TARGETS=(answers_file:4096 product_catalogue:8192 release_info:4096 installation_record:8192
         ldap_filter:2048 message:1024 archive:16384 repository_index:4096)

FINDINGS="$BUILD/findings"
WORK="$(mktemp -d "$BUILD/run.XXXXXX")"
# An archive may leave folders without permissions that rm needs.
trap 'chmod -R u+rwx "$WORK" 2>/dev/null; rm -rf "$WORK"' EXIT
mkdir -p "$FINDINGS"

# One target on one core for SECONDS_EACH; its status and executions go to files of its own, so
# several can run side by side.
fuzz_one() {
    local name="${1%%:*}" max_len="${1#*:}" status=0 start
    mkdir -p "$WORK/$name/corpus" "$WORK/$name/tmp"
    cp "$ROOT/tests/fuzz/corpus/$name/"* "$WORK/$name/corpus/"
    start=$(date +%s)
    # The targets' scratch folders go below TMPDIR, removed with the run even after a crash.
    TMPDIR="$WORK/$name/tmp" ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$BUILD/tests/fuzz/fuzz_$name" "$WORK/$name/corpus" -max_total_time="$SECONDS_EACH" \
        -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$FINDINGS/$name-" >"$WORK/$name.log" 2>&1 || status=$?
    echo "$status $(( $(date +%s) - start ))" >"$WORK/$name.outcome"
}

# As many targets at once as there are cores: each still gets its whole time on a core of its own.
parallel="$(nproc)"
for entry in "${TARGETS[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do wait -n || true; done
    echo "=== fuzz_${entry%%:*} for $SECONDS_EACH s"
    fuzz_one "$entry" &
done
wait

failed=()
rows=()
for entry in "${TARGETS[@]}"; do
    name="${entry%%:*}"
    read -r status seconds <"$WORK/$name.outcome" || { status=unknown; seconds=?; }
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$WORK/$name.log")
    if [ "$status" != 0 ]; then
        failed+=("$name")
        echo "--- fuzz_$name"
        tail -n 60 "$WORK/$name.log"
    fi
    rows+=("$(printf '%-22s %12s %8s %s' "fuzz_$name" "${executions:-?}" "$seconds" \
        "$([ "$status" = 0 ] && echo ok || echo "FAILED ($status)")")")
done

printf '\n%-22s %12s %8s %s\n' target executions seconds result
printf '%s\n' "${rows[@]}"
if [ ${#failed[@]} -gt 0 ]; then
    echo "Fuzzers failed: ${failed[*]} (inputs in $FINDINGS)"
    exit 1
fi
