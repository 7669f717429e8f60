#!/usr/bin/env bash
# fuzz/run.sh [SECONDS]: builds the fuzzers with Clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in their own build directory and runs each on
# one core: the conversion's for SECONDS (default 120), then the glyph
# sheet's and the SHP round trip's for half as long each. Fails on any
# finding: a crash, a sanitizer report, a leak, an input slower than the
# timeout, too much memory, or a converted image that does not hold together.
#
# The corpora grow in build-fuzz/fuzz-corpus and build-fuzz/fuzz-corpus-preview
# and are kept between runs; findings land in build-fuzz/fuzz-findings. More
# seeds (real fonts, say) can be added by naming their directories after
# SECONDS.
set -euo pipefail

seconds=${1:-120}
shift || true
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VARNEL_FUZZ_BUILD:-$root/build-fuzz}

cmake -S "$root" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNEL_FUZZ=ON -DVARNEL_SANITIZE=ON -DVARNEL_GUI=OFF \
    >/dev/null
cmake --build "$build" -j2 --target varnel-fuzz varnel-fuzz-preview varnel-fuzz-shp varnel-fuzz-seeds varnel-samples

seeds=$build/fuzz-seeds
corpus=$build/fuzz-corpus
findings=$build/fuzz-findings
rm -rf "$seeds"
mkdir -p "$seeds" "$corpus" "$corpus-preview" "$corpus-shp" "$findings"
"$build/bin/varnel-fuzz-seeds" "$seeds"
cp "$build"/samples/*.shx "$seeds/"

# The worst inputs we know take well under a second even under the
# sanitizers; ten is a hang, not a slow font. A sheet of the most a sheet
# holds takes a few seconds under them, and used to take minutes for a font
# of a few hundred far-flung strokes. The font library's caches look like
# leaks to the sanitizer: preview-leaks.supp names them.
status=0
"$build/bin/varnel-fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -dict="$root/fuzz/shx.dict" -artifact_prefix="$findings/" -print_final_stats=1 \
    "$corpus" "$seeds" "$@" || status=$?
QT_QPA_PLATFORM=offscreen LSAN_OPTIONS="suppressions=$root/fuzz/preview-leaks.supp" \
    "$build/bin/varnel-fuzz-preview" -max_total_time=$((seconds / 2 + 1)) \
    -timeout=10 -rss_limit_mb=2048 -dict="$root/fuzz/shx.dict" \
    -artifact_prefix="$findings/preview-" -print_final_stats=1 \
    "$corpus-preview" "$seeds" "$@" || status=$?
# Sources and fonts alike: every font decompiles to text that compiles back
# to it. The samples' sources are seeds beside the catalogue's.
"$build/bin/varnel-fuzz-shp" -max_total_time=$((seconds / 2 + 1)) -timeout=10 -rss_limit_mb=2048 \
    -dict="$root/fuzz/shp.dict" -artifact_prefix="$findings/shp-" -print_final_stats=1 \
    "$corpus-shp" "$seeds" "$root/samples" "$@" || status=$?

if [ "$status" -ne 0 ]; then
    echo "fuzz: finding(s) in $findings" >&2
    ls -lt "$findings" >&2
    exit 1
fi
echo "fuzz: no findings in $seconds seconds of conversion and $((seconds / 2 + 1)) each of sheets and SHP round trips"
