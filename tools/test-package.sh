#!/bin/bash
# Makes the Debian package from a build folder and tries it as a user would,
# on Debian 12 as root: lintian, a real install with apt-get, the installed
# programs (a conversion, the manual, the dialog in German under Xvfb), and
# a removal that must leave no file of the package behind.
#
#   tools/test-package.sh BUILD_DIR
#
# Needs lintian, desktop-file-utils, man-db, xvfb, xauth and x11-utils.
set -euo pipefail
build=$(cd "${1:?usage: tools/test-package.sh BUILD_DIR}" && pwd)
say() { echo "test-package: $*"; }
fail() { echo "test-package: FAILED: $*" >&2; exit 1; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"
deb=$build/varnel_${version}_amd64.deb
rm -f "$deb"
(cd "$build" && cpack -G DEB >/dev/null)
[ -f "$deb" ] || fail "cpack wrote no $deb"
say "$(basename "$deb"): $(du -k "$deb" | cut -f1) KiB"

# lintian's tags, errors and warnings; none may be an error.
lintian --fail-on error "$deb" || fail "lintian found errors"
say "lintian: no errors"

dpkg -s varnel >/dev/null 2>&1 && fail "varnel is installed already; remove it first"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"; dpkg -s varnel >/dev/null 2>&1 && apt-get remove -y -q varnel >/dev/null' EXIT
cp "$deb" "$tmp/"
(cd "$tmp" && apt-get install -y -q "./$(basename "$deb")") | tail -n 3
dpkg -L varnel >"$tmp/files"

# The programs as installed.
[ "$(varnel-cli --version)" = "varnel-cli $version" ] || fail "varnel-cli --version: $(varnel-cli --version)"
[ "$(varnel --version)" = "varnel $version" ] || fail "varnel --version: $(varnel --version)"
work="$tmp/Arbeit ä"
mkdir -p "$work"
cp "$build/samples/varnel-sans.shx" "$work/"
(cd "$work" && varnel-cli varnel-sans.shx varnel-sans.fnt) | grep -qx "Converted successfully" ||
    fail "the installed varnel-cli did not convert the sample"
"$build/bin/varnel-cli" "$work/varnel-sans.shx" "$work/built.fnt" >/dev/null
cmp -s "$work/varnel-sans.fnt" "$work/built.fnt" || fail "the installed varnel-cli wrote other bytes than the build"
(cd "$work" && varnel-cli preview varnel-sans.shx >/dev/null && [ -s varnel-sans.png ]) ||
    fail "the installed varnel-cli drew no sheet"
say "varnel-cli $version converts the sample as the build does, and draws its sheet"
if grep -qs '^path-exclude=/usr/share/man' /etc/dpkg/dpkg.cfg.d/*; then
    say "manual not checked: this system's dpkg leaves out /usr/share/man"
else
    man -P cat varnel-cli 2>/dev/null | grep -q "varnel-cli - convert SHX" || fail "man varnel-cli shows no manual"
    man -P cat varnel 2>/dev/null | grep -q "font converter dialog" || fail "man varnel shows no manual"
    say "man varnel-cli and man varnel show their manuals"
fi
desktop-file-validate /usr/share/applications/varnel.desktop || fail "the desktop entry is not valid"
[ -f /usr/share/icons/hicolor/48x48/apps/varnel.png ] && [ -f /usr/share/icons/hicolor/scalable/apps/varnel.svg ] ||
    fail "no icon in hicolor"

# The dialog, under Xvfb, is titled in the language of the Settings.vcui
# that the installed program finds: in the folder it starts in, else in
# Settings/4-Expert/ of its own folder.
cat >"$tmp/dialog.sh" <<'EOF'
# In Xvfb: starts varnel in folder $1, waits up to 30 s for a window titled $2.
cd "$1" || exit 1
varnel >/dev/null 2>&1 &
timeout 30 bash -c 'until xwininfo -root -tree 2>/dev/null | grep -qF "\"$0\""; do sleep 0.5; done' "$2"
seen=$?
kill $! 2>/dev/null
wait
exit $seen
EOF
german='<Settings>\n  <Setting name="language" value="de_DE"/>\n</Settings>\n'
printf "$german" >"$work/Settings.vcui"
xvfb-run -a bash "$tmp/dialog.sh" "$work" "Schriftkonverter" ||
    fail "no dialog titled \"Schriftkonverter\" beside a German Settings.vcui"
rm "$work/Settings.vcui"
program_dir=$(dirname "$(readlink -f "$(command -v varnel)")")
mkdir -p "$program_dir/Settings/4-Expert"
printf "$german" >"$program_dir/Settings/4-Expert/Settings.vcui"
xvfb-run -a bash "$tmp/dialog.sh" "$work" "Schriftkonverter" ||
    fail "no dialog titled \"Schriftkonverter\" with $program_dir/Settings/4-Expert/Settings.vcui"
rm -r "$program_dir/Settings"
xvfb-run -a bash "$tmp/dialog.sh" "$work" "Font Converter" || fail "no dialog titled \"Font Converter\" without settings"
say "dialog: \"Schriftkonverter\" with Settings.vcui in its folder or in $program_dir/Settings/4-Expert, else \"Font Converter\""

# Removed, nothing of it remains: no file, and no folder that no other
# package owns.
apt-get remove -y -q varnel | tail -n 1
dpkg -s varnel >/dev/null 2>&1 && fail "varnel is still known to dpkg after its removal"
left=0
while IFS= read -r path; do
    [ -e "$path" ] || [ -L "$path" ] || continue
    if [ -d "$path" ] && [ ! -L "$path" ] && dpkg -S "$path" >/dev/null 2>&1; then continue; fi
    echo "test-package: left behind: $path" >&2
    left=$((left + 1))
done <"$tmp/files"
[ "$left" -eq 0 ] || fail "$left paths of the package remain after its removal"
say "removed: none of the $(wc -l <"$tmp/files") paths of the package remain"
