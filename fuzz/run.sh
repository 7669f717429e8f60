#!/usr/bin/env bash
# fuzz/run.sh [SECONDS]: builds the fuzzer with Clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in its own build directory and runs it on one
# core for SECONDS (default 120). Fails on any finding: a crash, a sanitizer
# report, a leak, an input slower than the timeout, too much memory, or a
# converted image that does not hold together.
#
# The corpus grows in build-fuzz/fuzz-corpus and is kept between runs;
# findings land in build-fuzz/fuzz-findings. More seeds (real fonts, say) can
# be added by naming their directories after SECONDS.
set -euo pipefail

seconds=${1:-120}
shift || true
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VARNEL_FUZZ_BUILD:-$root/build-fuzz}

cmake -S "$root" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNEL_FUZZ=ON -DVARNEL_SANITIZE=ON -DVARNEL_GUI=OFF \
    >/dev/null
cmake --build "$build" -j2 --target varnel-fuzz varnel-fuzz-seeds

seeds=$build/fuzz-seeds
corpus=$build/fuzz-corpus
findings=$build/fuzz-findings
rm -rf "$seeds"
mkdir -p "$seeds" "$corpus" "$findings"
"$build/bin/varnel-fuzz-seeds" "$seeds"
find "$root/samples" -maxdepth 2 -type f -iname '*.shx' -exec cp {} "$seeds/" \; 2>/dev/null || true

# The worst inputs we know take well under a second even under the
# sanitizers; ten is a hang, not a slow font.
status=0
"$build/bin/varnel-fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -dict="$root/fuzz/shx.dict" -artifact_prefix="$findings/" -print_final_stats=1 \
    "$corpus" "$seeds" "$@" || status=$?

if [ "$status" -ne 0 ]; then
    echo "fuzz: finding(s) in $findings" >&2
    ls -lt "$findings" >&2
    exit 1
fi
echo "fuzz: no findings in $seconds seconds"
