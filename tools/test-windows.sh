#!/usr/bin/env bash
# Runs the Windows build of tools/build-windows.sh under Wine, headless:
#   tools/test-windows.sh OUTDIR LINUX_VARNEL_CLI
#
# - the core and command-line test programs pass;
# - the varnel-cli.exe of the unpacked zip converts the sample fonts (every
#   forced code page too) to the very bytes LINUX_VARNEL_CLI writes, and the
#   conformance cases (../shared/conformance, when there) all match;
# - varnel.exe opens its dialog titled "Font Converter", and "Schriftkonverter"
#   beside a Settings.vcui naming de_DE.
# The package is unpacked, and the fonts are read and written, in folders
# whose names hold spaces and non-ASCII letters. Wine runs in a prefix of
# its own in a temporary folder, removed at the end. $VARNEL_CONFORMANCE
# names another folder of conformance cases.
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 OUTDIR LINUX_VARNEL_CLI" >&2
    exit 2
fi
source=$(cd "$(dirname "$0")/.." && pwd)
out=$(cd "$1" && pwd)
linuxCli=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
host=x86_64-w64-mingw32
build=$out/build
sdk=${VARNEL_QT_MINGW:-$out/sdk/qt6-mingw64}
[ -d "$sdk" ] || sdk=$out/sdk/qt6-mingw64
conformance=${VARNEL_CONFORMANCE:-$(cd "$source/.." && pwd)/shared/conformance}

say() { echo "test-windows: $*"; }
fail() { echo "test-windows: FAILED: $*" >&2; exit 1; }

source "$source/tools/windows-common.sh"
need_packages wine wine64 xvfb xauth x11-utils unzip python3

tmp=$(mktemp -d)
export WINEPREFIX=$tmp/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    wineserver -k 2>/dev/null || true # this prefix's server only
    rm -rf "$tmp"
}
trap cleanup EXIT
timeout 300 wine wineboot -i >/dev/null 2>&1 || fail "Wine did not set up its prefix"
wineserver -w
# Kept running: otherwise every one of the hundreds of runs below starts
# Wine's services anew. Ended by cleanup.
wineserver -p

# --- the test programs, from the build folder, with the SDK's DLLs on PATH
winpath() { echo "Z:${1//\//\\}"; }
gccdir=$(ls -d /usr/lib/gcc/$host/*-posix | sort -V | tail -n1)
failed=0
run_test() {
    rm -f "$result"
    status=0
    (cd "$build/bin" &&
        WINEPATH="$(winpath "$sdk/bin");$(winpath "$gccdir");$(winpath /usr/$host/lib)" \
        QT_PLUGIN_PATH="$(winpath "$sdk/plugins")" QT_QPA_PLATFORM=offscreen \
        timeout 900 wine "$test.exe" -o "$(winpath "$result"),txt" >/dev/null 2>&1) || status=$?
}
for test in tst_fontfiles tst_drawing tst_samples tst_fntreader ConvertTest tst_inspect; do
    [ -f "$build/bin/$test.exe" ] || fail "$test.exe was not built"
    result=$tmp/$test.txt
    run_test
    # A program that left no results at all did not get to run a test: Wine
    # now and then fails to start one. The tests themselves are
    # deterministic, so a second run tells that apart from a real failure.
    if ! grep -aq '^Totals:' "$result" 2>/dev/null; then
        say "$test: no results (exit status $status); running it once more"
        run_test
    fi
    # QtTest writes to the debugger channel under Wine: the file has the results.
    totals=$(grep -a '^Totals:' "$result" 2>/dev/null || echo "no results (exit status $status)")
    say "$test: $totals"
    if [ "$status" -ne 0 ]; then
        grep -a -A4 '^FAIL!' "$result" 2>/dev/null || true
        failed=$((failed + 1))
    fi
done
[ "$failed" -eq 0 ] || fail "$failed test programs failed under Wine"

# --- the package as a user unpacks it, into a folder named with a space and
# non-ASCII letters
place="$tmp/Programme für Schriften 字体"
mkdir -p "$place"
unzip -q "$out/varnel-windows-x64.zip" -d "$place"
app=$place/varnel-windows-x64
cli=$tmp/varnel-cli-wine
printf '#!/bin/sh\nexec wine "%s/varnel-cli.exe" "$@"\n' "$app" >"$cli"
chmod +x "$cli"

# Samples, plain and under each forced code page, against the Linux build.
fonts="$tmp/Schriften mit Leerzeichen äöü 字体"
mkdir -p "$fonts/linux" "$fonts/windows"
compared=0
for shx in "$source"/samples/*.shx; do
    name=$(basename "$shx" .shx)
    cp "$shx" "$fonts/$name ä.shx"
    for page in "" unicode euc-kr big5 gbc shift-jis; do
        args=()
        [ -z "$page" ] || args=(--code-page "$page")
        "$linuxCli" "$fonts/$name ä.shx" "$fonts/linux/$name ä.fnt" "${args[@]}" >/dev/null
        "$cli" "$fonts/$name ä.shx" "$fonts/windows/$name ä.fnt" "${args[@]}" >/dev/null 2>&1 ||
            fail "varnel-cli.exe did not convert $name ${page:-(own code page)}"
        cmp -s "$fonts/linux/$name ä.fnt" "$fonts/windows/$name ä.fnt" ||
            fail "$name ${page:-(own code page)}: Windows and Linux builds differ"
        compared=$((compared + 1))
    done
done
say "samples: $compared conversions byte for byte as on Linux"

if [ -f "$conformance/check" ]; then
    python3 "$conformance/check" "$cli" --timeout 120 | tail -n 5
else
    say "conformance cases skipped: no $conformance"
fi

# --- the dialog's title, in English and beside a German Settings.vcui
cat >"$tmp/dialog.sh" <<'EOF'
#!/bin/bash
# In Xvfb: starts varnel.exe in folder $1 and waits for a window titled $2.
cd "$1"
wine "$APP/varnel.exe" >/dev/null 2>&1 &
pid=$!
found=1
for _ in $(seq 120); do
    if xwininfo -root -tree 2>/dev/null | grep -qF "\"$2\""; then found=0; break; fi
    sleep 0.5
done
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
exit $found
EOF
english="$tmp/Arbeitsordner ä"
german="$tmp/Arbeitsordner ö de"
mkdir -p "$english" "$german"
printf '<Settings>\n  <Setting name="language" value="de_DE"/>\n</Settings>\n' >"$german/Settings.vcui"
export APP=$app
# Each run with a fresh Wine server, whose desktop knows this X server.
wineserver -k 2>/dev/null || true
xvfb-run -a bash "$tmp/dialog.sh" "$english" "Font Converter" || fail "no dialog titled \"Font Converter\""
wineserver -k 2>/dev/null || true
xvfb-run -a bash "$tmp/dialog.sh" "$german" "Schriftkonverter" || fail "no dialog titled \"Schriftkonverter\" beside a German Settings.vcui"
say "dialog: \"Font Converter\", and \"Schriftkonverter\" with Settings.vcui naming de_DE"
say "all Windows checks passed under Wine"
