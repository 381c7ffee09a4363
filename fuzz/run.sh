#!/bin/sh
# Runs every fuzz target for a bounded time on a scratch copy of its seed corpus.
#   fuzz/run.sh <fuzz-build-dir> <seconds-per-target>
# Exits non-zero when a target finds a crash, a leak or a hang; the input that did it is
# kept in <fuzz-build-dir>/fuzz-findings/.
set -u

if [ $# -ne 2 ]; then
    echo "usage: $0 <fuzz-build-dir> <seconds-per-target>" >&2
    exit 2
fi
build=$1
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
findings="$build/fuzz-findings"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$findings"

# Allocation stacks cost much of the speed; reproduce a finding without this setting
# to see them.
: "${ASAN_OPTIONS:=malloc_context_size=0}"
export ASAN_OPTIONS

failed=0
# target, max_len, per-input timeout in seconds
while read -r target maxlen timeout; do
    binary="$build/fuzz/$target"
    if [ ! -x "$binary" ]; then
        echo "$target: not built in $build" >&2
        failed=1
        continue
    fi
    corpus="$scratch/$target"
    mkdir -p "$corpus"
    cp "$here/corpus/$target"/* "$corpus"/ 2>/dev/null
    log="$findings/$target.log"
    # Hard stop well past the budget in case the target itself wedges.
    timeout --signal=KILL $((seconds + 120)) "$binary" "$corpus" -max_total_time="$seconds" \
        -max_len="$maxlen" -timeout="$timeout" -rss_limit_mb=4096 \
        -artifact_prefix="$findings/$target-" -print_final_stats=1 >"$log" 2>&1
    status=$?
    stats=$(grep -E '^#[0-9]+.*DONE' "$log" | tail -n 1)
    if [ $status -ne 0 ]; then
        echo "$target: FAILED (exit $status), see $log" >&2
        grep -E 'ERROR|SUMMARY|Test unit written' "$log" >&2
        failed=1
        continue
    fi
    echo "$target: ok ${stats#*DONE}"
done <<TARGETS
fuzz_firmware_file 4096 10
fuzz_config_image 200 10
fuzz_packet_matcher 1024 20
fuzz_device_exchange 1024 10
TARGETS

exit $failed
