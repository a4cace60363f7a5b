#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 30) on its seed
# corpus (fuzz/corpus, plus the samples). Inputs that once crashed a target live in
# fuzz/regressions/<target>/ and are replayed first.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-30}"
build="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DTARNWICK_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=(Frame:frame HourlyReader:hourly QuarterlyReader:quarterly Statement:statement Zip:zip)
for entry in "${targets[@]}"; do
    cmake --build "$build" -j"$(nproc)" --target "fuzz${entry%%:*}" >/dev/null
done
status=0
for entry in "${targets[@]}"; do
    target="fuzz${entry%%:*}" corpus="${entry##*:}"
    work="$build/corpus/$corpus"
    mkdir -p "$work"
    seeds=("$root/fuzz/corpus/$corpus")
    [[ "$corpus" == frame || "$corpus" == hourly || "$corpus" == quarterly ]] && seeds+=("$root/samples")
    if compgen -G "$root/fuzz/regressions/$corpus/*" >/dev/null; then
        "$build/fuzz/$target" "$root/fuzz/regressions/$corpus"/* >/dev/null 2>&1 ||
            { echo "$target: a regression input fails again"; status=1; }
    fi
    echo "== $target for ${seconds}s"
    if ! "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
            -artifact_prefix="$build/$corpus-" -print_final_stats=1 "$work" "${seeds[@]}" \
            2>"$build/$corpus.log"; then
        echo "$target found a fault; see $build/$corpus.log and $build/$corpus-*"
        tail -40 "$build/$corpus.log"
        status=1
    else
        grep -E "stat::number_of_executed_units|cov:" "$build/$corpus.log" | tail -2
    fi
done
exit $status
