#!/usr/bin/env bash
# Runs the Windows build of tools/build-windows.sh under Wine, headless:
#   tools/test-windows.sh OUTDIR LINUX_VARNEL_CLI
#
# - the core and command-line test programs pass;
# - the varnel-cli.exe of the unpacked zip converts the sample fonts (every
#   forced code page too) to the very bytes LINUX_VARNEL_CLI writes, and the
#   conformance cases (../shared/conformance, when there) all match;
# - varnel.exe opens its dialog titled "Font Converter", and "Schriftkonverter"
#   beside a Settings.vcui naming de_DE;
# - the installer, run silently, installs into the default folder; run again
#   with another folder, it removes that installation first; the installed
#   files are the zip's, its varnel-cli.exe converts the samples as on Linux,
#   and the Start-menu shortcut and the entry in the list of installed
#   programs are there; the uninstaller, run silently as that entry says,
#   removes every file, folder and registry key of ours and nothing else.
# The package is unpacked and installed, and the fonts are read and written,
# in folders whose names hold spaces and non-ASCII letters. Wine runs in a
# prefix of its own in a temporary folder, removed at the end.
# $VARNEL_CONFORMANCE names another folder of conformance cases.
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
# winemenubuilder would copy the installer's shortcut into the desktop menu
# of the user running this.
export WINEPREFIX=$tmp/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
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
for test in tst_fontfiles tst_drawing ConvertTest tst_inspect; do
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
version=$(project_version "$build")
package=varnel-$version-windows-x64
place="$tmp/Programme für Schriften 字体"
mkdir -p "$place"
unzip -q "$out/$package.zip" -d "$place"
app=$place/$package
cli=$tmp/varnel-cli-wine
printf '#!/bin/sh\nexec wine "%s/varnel-cli.exe" "$@"\n' "$app" >"$cli"
chmod +x "$cli"

# compare_samples WINDOWS_CLI CODE_PAGE...: converts each sample font with
# the Linux build and with WINDOWS_CLI under each code page ("" for the
# font's own) and compares the bytes.
fonts="$tmp/Schriften mit Leerzeichen äöü 字体"
mkdir -p "$fonts/linux" "$fonts/windows"
compare_samples() {
    local windowsCli=$1 shx name page args
    shift
    compared=0
    for shx in "$build"/samples/*.shx; do
        name=$(basename "$shx" .shx)
        cp "$shx" "$fonts/$name ä.shx"
        for page in "$@"; do
            args=()
            [ -z "$page" ] || args=(--code-page "$page")
            rm -f "$fonts/linux/$name ä.fnt" "$fonts/windows/$name ä.fnt"
            "$linuxCli" "$fonts/$name ä.shx" "$fonts/linux/$name ä.fnt" "${args[@]}" >/dev/null
            wine "$windowsCli" "$fonts/$name ä.shx" "$fonts/windows/$name ä.fnt" "${args[@]}" >/dev/null 2>&1 ||
                fail "$windowsCli did not convert $name ${page:-(own code page)}"
            cmp -s "$fonts/linux/$name ä.fnt" "$fonts/windows/$name ä.fnt" ||
                fail "$name ${page:-(own code page)}: $windowsCli and the Linux build differ"
            compared=$((compared + 1))
        done
    done
}
compare_samples "$app/varnel-cli.exe" "" unicode euc-kr big5 gbc shift-jis
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

# --- the installer and its uninstaller, silent
setup=$out/varnel-$version-setup-x64.exe
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Varnel'
drive=$WINEPREFIX/drive_c
shortcut="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Varnel.lnk"
# A folder the user chose that already holds a file of theirs.
chosen='C:\Program Files\Schriftwerkzeuge für Wörter 字体'
chosenHere="$drive/Program Files/Schriftwerkzeuge für Wörter 字体"
mkdir -p "$chosenHere"
echo "not Varnel's" >"$chosenHere/Notizen ä.txt"
# Every file and folder of drive C: but the temporary ones.
snapshot() { (cd "$drive" && find . -ipath '*/temp' -prune -o -print | LC_ALL=C sort); }
# Each step ends when every Wine process of this prefix has ended, whatever
# the programs started: the uninstaller returns at once and finishes from a
# copy of itself in the temporary folder.
settle() { timeout 120 wineserver -w || fail "Wine programs still running 120 s after $1"; }
wineserver -k 2>/dev/null || true
settle "the dialog"
started=$SECONDS
before=$(snapshot)
# What the registry says of Varnel before: the folders the runs above used
# may have "varnel" in their names.
named() { grep -hi varnel "$WINEPREFIX"/*.reg | LC_ALL=C sort || true; }
namedBefore=$(named)

timeout 300 wine "$setup" /S || fail "the installer failed (exit status $?)"
settle "the installer"
[ -f "$drive/Program Files/Varnel/varnel.exe" ] || fail "the installer did not install into C:\Program Files\Varnel"
# /D= takes the rest of the command line, unquoted as a user types it: Wine
# would quote a single argument holding spaces, so it gets one per word.
read -ra folderWords <<<"/D=$chosen"
timeout 300 wine "$setup" /S "${folderWords[@]}" || fail "the installer failed in $chosen (exit status $?)"
settle "the installer"
[ ! -e "$drive/Program Files/Varnel" ] || fail "installed again elsewhere, the installer left C:\Program Files\Varnel"

differences=$(LC_ALL=C diff -r "$app" "$chosenHere" || true)
[ "$differences" = "Only in $chosenHere: Notizen ä.txt
Only in $chosenHere: Uninstall.exe" ] || fail "installed files differ from the zip's: $differences"
compare_samples "$chosenHere/varnel-cli.exe" ""
say "installed in $chosen: the zip's $(find "$app" -type f | wc -l) files and Uninstall.exe; $compared samples as on Linux"

[ -f "$shortcut" ] || fail "no Start-menu shortcut $shortcut"
contains_utf16() { python3 -c 'import sys; sys.exit(sys.argv[2].encode("utf-16-le") not in open(sys.argv[1], "rb").read())' "$1" "$2"; }
contains_utf16 "$shortcut" "$chosen\varnel.exe" || fail "the Start-menu shortcut does not start $chosen\varnel.exe"
timeout 120 wine reg export "$key" "$(winpath "$tmp/uninstall.reg")" /y >/dev/null 2>&1 || fail "no registry key $key"
entry=$(iconv -f UTF-16 -t UTF-8 "$tmp/uninstall.reg" | tr -d '\r')
quoted=${chosen//\\/\\\\}
for value in '"DisplayName"="Varnel"' "\"DisplayVersion\"=\"$version\"" '"Publisher"=' \
    "\"InstallLocation\"=\"$quoted\"" "\"DisplayIcon\"=\"\\\"$quoted\\\\varnel.exe\\\",0\"" \
    "\"UninstallString\"=\"\\\"$quoted\\\\Uninstall.exe\\\"\"" \
    "\"QuietUninstallString\"=\"\\\"$quoted\\\\Uninstall.exe\\\" /S\"" \
    '"EstimatedSize"=dword:' '"NoModify"=dword:00000001' '"NoRepair"=dword:00000001'; do
    grep -qF "$value" <<<"$entry" || fail "the uninstall entry lacks $value: $entry"
done
say "Start-menu shortcut and uninstall entry: $(grep -c '^"' <<<"$entry") values, version $version"

# As the list of installed programs runs it.
timeout 120 wine "$chosenHere/Uninstall.exe" /S || fail "the uninstaller failed (exit status $?)"
settle "the uninstaller" # and Wine has saved the registry to the prefix's files
[ ! -e "$shortcut" ] || fail "the uninstaller left the Start-menu shortcut"
[ "$(ls -A "$chosenHere")" = "Notizen ä.txt" ] || fail "the chosen folder should hold only the user's file: $(ls -A "$chosenHere")"
after=$(snapshot)
[ "$before" = "$after" ] || fail "the uninstaller left: $(diff <(echo "$before") <(echo "$after"))"
[ "$(named)" = "$namedBefore" ] || fail "the uninstaller left in the registry: $(diff <(echo "$namedBefore") <(named))"
say "uninstalled: no file, folder, shortcut or registry key of ours left; the user's file kept ($((SECONDS - started)) s for the installer's checks)"
say "all Windows checks passed under Wine"
