#!/bin/sh
# Builds every libFuzzer target with clang and runs each for FUZZ_SECONDS,
# JOBS at a time (default: every core), under the memory limits the readers
# promise to stay within. Prints one line per target; fails when any target
# found a fault. What a target writes goes to a folder of its own below
# $out/tmp, removed when it ends, however it ends.
set -eu
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-30}
jobs=${JOBS:-$(nproc)}
out=build-fuzz

cmake -S . -B $out -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DORLA_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build $out --target orla_fuzz_all -j "$jobs"

targets=$(cat $out/fuzz_targets.txt | tr ';' ' ')
pids=""
running=0
for t in $targets; do
    if [ "$running" -ge "$jobs" ]; then
        # The oldest run ends first: all run equally long.
        first=${pids%% *}
        wait "$first"
        pids=${pids#"$first"}
        pids=${pids# }
        running=$((running - 1))
    fi
    mkdir -p $out/corpus/$t
    rm -rf "$out/tmp/$t"
    mkdir -p "$out/tmp/$t"
    # Options of the runs go to the log; the input of a found fault to $out.
    ( TMPDIR="$PWD/$out/tmp/$t" QT_QPA_PLATFORM=offscreen $out/tests/fuzz/${t}_fuzz \
        -max_total_time="$seconds" -rss_limit_mb=512 -malloc_limit_mb=256 -timeout=10 \
        -max_len=65536 -artifact_prefix=$out/$t- $out/corpus/$t \
        > $out/$t.log 2>&1; echo $? > $out/$t.rc; rm -rf "$out/tmp/$t" ) &
    pids="${pids:+$pids }$!"
    running=$((running + 1))
done
# shellcheck disable=SC2086
wait $pids

failed=0
for t in $targets; do
    rc=$(cat $out/$t.rc)
    last=$(grep -E '^#[0-9]+' $out/$t.log | tail -1 | sed -E 's/^#([0-9]+)[[:space:]]+[A-Z]+[[:space:]]+(cov: [0-9]+).*(corp: [^ ]+).*/\1 runs, \2, \3/')
    if [ "$rc" = 0 ]; then
        printf '%-15s ok      %s\n' "$t" "$last"
    else
        printf '%-15s FAILED  %s (log: %s)\n' "$t" "$last" "$out/$t.log"
        failed=1
    fi
done
if [ $failed != 0 ]; then
    for t in $targets; do
        [ "$(cat $out/$t.rc)" = 0 ] || { echo "--- $t"; tail -40 $out/$t.log; }
    done
    exit 1
fi
