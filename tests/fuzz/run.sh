#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UBSan on) in
# build/fuzz and runs each for the given number of seconds, starting from its
# seed corpus and dictionary. Exits non-zero as soon as a target crashes or a
# property of a target fails; the input is left in build/fuzz/artifacts.
#   tests/fuzz/run.sh [SECONDS]     each target SECONDS seconds, 30 by default
# Installs clang and the build packages when they are missing (as root, or
# through sudo), like the other scripts.
set -euo pipefail
cd "$(dirname "$0")/../.."

usage() { echo "Usage: $0 [SECONDS]   (each fuzz target runs SECONDS seconds, default 30)"; }
case "${1:-}" in
    -h|--help) usage; exit 0 ;;
esac
if [ $# -gt 1 ]; then usage >&2; exit 2; fi
seconds=${1:-30}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
    usage >&2
    exit 2
fi

. scripts/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
build=build/fuzz

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBUILD_TESTING=OFF -DBUILD_FUZZERS=ON >/dev/null
cmake --build "$build" -j "$(nproc)"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
mkdir -p "$build/artifacts"
for seeds in tests/fuzz/corpus/*/; do
    target=$(basename "$seeds")
    binary="$build/tests/fuzz/$target"
    work="$build/corpus/$target"
    mkdir -p "$work"
    dict=()
    [ -f "tests/fuzz/dict/$target.dict" ] && dict=("-dict=tests/fuzz/dict/$target.dict")
    echo "== $target: ${seconds} s"
    "$binary" "$work" "$seeds" "${dict[@]}" -max_total_time="$seconds" \
        -artifact_prefix="$build/artifacts/$target-" -print_final_stats=1 2>"$build/$target.log" || {
        tail -n 60 "$build/$target.log"
        echo "$target: crash or failed property, input kept in $build/artifacts" >&2
        exit 1
    }
    grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb)' "$build/$target.log" || true
    echo "corpus: $(find "$work" -type f | wc -l) inputs"
done
echo "fuzzing: every target ran ${seconds} s with no crash"
