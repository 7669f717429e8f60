#!/bin/sh
# Builds the project with coverage counters into BUILD-DIR, runs the whole
# suite and prints the share of lines and branches it ran in the program's
# own code: every top-level source folder but the tests, the benchmark, the
# fuzzers and the dialog's main(). The per-file report is BUILD-DIR/coverage.txt.
#
#   tools/coverage.sh build-cov
set -eu

if [ $# -ne 1 ]; then
    echo "usage: tools/coverage.sh BUILD-DIR" >&2
    exit 2
fi
src=$(cd "$(dirname "$0")/.." && pwd)
build=$1
jobs=$(nproc)

cmake -S "$src" -B "$build" -DVARNEL_COVERAGE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" -j"$jobs"
# Counts from an earlier run would add to this one's.
find "$build" -name '*.gcda' -delete
status=0
ctest --test-dir "$build" -j"$jobs" --output-on-failure || status=$?

folders=$(cd "$src" && { git ls-files '*.cpp' 2>/dev/null || ls ./*/*.cpp; } \
          | sed -n 's|^\./||; s|/.*||p' | sort -u | grep -v -x -E 'tests|bench|fuzz|app')
filters=
for folder in $folders; do
    filters="$filters --filter $src/$folder/"
done
echo "Coverage of:" $folders
# A program that exits while its threads are still converting (an
# interrupted batch) leaves counts gcov cannot balance; gcovr's parse errors
# on those lines are ignored rather than ending the report.
# Branches only an exception or the compiler can take are not counted.
# shellcheck disable=SC2086
gcovr --root "$src" --object-directory "$build" $filters --gcov-ignore-parse-errors \
      --exclude-throw-branches --exclude-unreachable-branches \
      --txt "$build/coverage.txt" --print-summary
exit "$status"
