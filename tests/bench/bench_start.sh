#!/usr/bin/env bash
# Instructions each program spends up to its first shown window, against its
# bare form, counted by callgrind on the offscreen platform (an 800 x 600
# screen, which holds all three windows).
#   tests/bench/bench_start.sh DIR    DIR holds the bench_start_* programs
set -euo pipefail
dir=${1:?usage: $0 DIR-OF-BENCH-PROGRAMS}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# The instructions of one run.
count() {
    QT_QPA_PLATFORM=offscreen valgrind --tool=callgrind --callgrind-out-file="$out/callgrind.out" "$@" 2>"$out/log" >/dev/null
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$out/log"
}

printf '%-8s %14s %14s %7s\n' program window form ratio
for program in gateway bus rs485; do
    window=$(count "$dir/bench_start_$program")
    form=$(count "$dir/bench_start_$program" form)
    awk -v p="$program" -v w="$window" -v f="$form" 'BEGIN { printf "%-8s %14d %14d %7.3f\n", p, w, f, w / f }'
done
