#!/usr/bin/env bash
# Builds the fuzzers with clang and runs each over its corpus and then for the
# given number of seconds more (default 60; for the JSON, CSV and paste
# readers a third of it from large inputs). A crash, a leak, a time-out or the memory
# limit fails the run. New inputs that reach new code stay in build-fuzz/.
# Each run's executions per second, from libFuzzer's last line, are printed.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-60}
"$root/scripts/deps.sh"
"$root/scripts/deps.sh" clang-14 libclang-rt-14-dev

build=$root/build-fuzz
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVORNALIX_FUZZ=ON -DVORNALIX_GUI=OFF -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

# The harnesses write every input and every saved table to a file. On a
# memory-backed folder that costs microseconds; on a disk file system it costs
# milliseconds (ext4 writes a file out when it replaces another), which would
# leave a run of a minute a few thousand inputs. Each run gets a folder of its
# own as TMPDIR, removed afterwards whatever way the run ended.
scratch=/dev/shm
[[ -d $scratch && -w $scratch ]] || scratch=$build
run_tmp=""
trap 'if [[ -n $run_tmp ]]; then rm -rf "$run_tmp"; fi' EXIT

# The JSON and CSV readers also start from texts of a table's largest size and
# beyond: 200,000 keys in one object, both lists of 65,535 channels, a row of a
# million commas, 100,000 rows. They are made here, not kept in the repository,
# and -max_len lets the fuzzer keep and mutate inputs of their size.
large_max_len=4194304
make_large_seeds() {
    local kind=$1 dir=$2
    mkdir -p "$dir"
    case $kind in
    json | transfer)
        awk 'BEGIN { printf "{\"format\":\"ccf\",\"country_code\":1,\"air\":{\"frequencies\":[]},\"cable\":{\"frequencies\":[]}"
                     for (i = 0; i < 200000; i++) printf ",\"k%d\":%d", i, i; print "}" }' >"$dir/keys.json"
        awk 'BEGIN { printf "{\"format\":\"ccf\",\"country_code\":44"
                     for (l = 0; l < 2; l++) {
                         printf ",\"%s\":{\"frequencies\":[", l ? "cable" : "air"
                         for (i = 1; i <= 65535; i++) printf "%s%.2f", (i > 1 ? "," : ""), 40 + i / 4
                         printf "]}" }
                     print "}" }' >"$dir/largest.json"
        ;;
    esac
    case $kind in
    csv)
        awk 'BEGIN { print "list,channel,frequency_mhz"
                     for (l = 0; l < 2; l++) for (i = 1; i <= 65535; i++) printf "%s,%d,%.2f\n", l ? "cable" : "air", i, 40 + i / 4 }' \
            >"$dir/largest.csv"
        awk 'BEGIN { print "list,channel,frequency_mhz"; for (i = 0; i < 1000000; i++) printf ","; print "" }' >"$dir/commas.csv"
        ;;
    paste)
        # Past the most a list holds, and a single column of decimal commas.
        awk 'BEGIN { for (i = 1; i <= 100000; i++) printf "%.2f\n", 40 + i / 4 }' >"$dir/past-limit.txt"
        awk 'BEGIN { for (i = 1; i <= 65535; i++) printf "%d,%02d\n", 40 + i / 4, i % 100 }' >"$dir/decimal-commas.txt"
        ;;
    transfer)
        awk 'BEGIN { print "channel,frequency_mhz"; for (i = 1; i <= 100000; i++) printf "%d,%.2f\n", i, 40 + i / 4 }' \
            >"$dir/rows.csv"
        awk 'BEGIN { print "channel,frequency_mhz"; for (i = 0; i < 1000000; i++) printf ","; print "" }' >"$dir/commas.csv"
        ;;
    esac
}

export ASAN_OPTIONS=max_allocation_size_mb=256:quarantine_size_mb=16:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# One timed run: its corpus folder first (new inputs go there), then the seeds.
fuzz_for() {
    local fuzzer=$1 seconds=$2 log=$3
    shift 3
    timeout -k 10 $((seconds + 60)) "$fuzzer" "${common[@]}" -max_total_time="$seconds" -print_final_stats=1 "$@" \
        >"$log" 2>&1 || { tail -40 "$log"; return 1; }
    { grep -oE 'exec/s: [0-9]+' "$log" || true; } | tail -1 | tr '\n' ' '
    grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$log" | tr '\n' ' '; echo
}

status=0
for fuzzer in "$build"/fuzz/fuzz_*; do
    name=$(basename "$fuzzer")
    kind=${name#fuzz_}; kind=${kind%%_*}
    seeds=$root/fuzz/corpus/$kind
    work=$build/corpus/$kind
    mkdir -p "$work"
    dict=()
    [[ -f "$root/fuzz/dict/$kind.dict" ]] && dict=(-dict="$root/fuzz/dict/$kind.dict")
    large=$build/large-seeds/$kind
    make_large_seeds "$kind" "$large"
    large_seconds=0
    [[ -n $(ls -A "$large") ]] && large_seconds=$((seconds / 3))
    echo "== $name: seeds, then $((seconds - large_seconds))s$([[ $large_seconds -gt 0 ]] &&
        echo ", then ${large_seconds}s from the large inputs")"
    run_tmp=$(mktemp -d "$scratch/vornalix-fuzz-run.XXXXXX")
    export TMPDIR=$run_tmp
    common=(-rss_limit_mb=512 -timeout=5 "${dict[@]}" -artifact_prefix="$build/$name-")
    ok=true
    # The large inputs fuzz apart, in a corpus folder of their own, so that
    # the other inputs are not slowed by them.
    if ! timeout -k 10 120 "$fuzzer" "${common[@]}" -max_len=$large_max_len -runs=0 "$seeds" "$large" \
        >"$build/$name-seeds.log" 2>&1; then
        tail -40 "$build/$name-seeds.log"; ok=false
    elif ! fuzz_for "$fuzzer" $((seconds - large_seconds)) "$build/$name.log" "$work" "$seeds"; then
        ok=false
    elif [[ $large_seconds -gt 0 ]]; then
        mkdir -p "$build/corpus-large/$kind"
        common+=(-max_len=$large_max_len)
        fuzz_for "$fuzzer" $large_seconds "$build/$name-large.log" "$build/corpus-large/$kind" "$large" || ok=false
    fi
    rm -rf "$run_tmp"; run_tmp=""; unset TMPDIR
    $ok || status=1
done
exit $status
