#!/bin/sh
# Renders the README screenshot: starts the real program in a virtual X
# server and captures its window as it first appears.
#
#   tools/render-screenshot.sh [-l LOCALE] [BUILD_DIR] [OUTPUT_PNG]
#
# BUILD_DIR defaults to build/, OUTPUT_PNG to docs/dialog.png. With -l the
# program is started beside a Settings.vcui naming that language (e.g. de_DE).
# Needs Xvfb and xvfb-run (xvfb), import (imagemagick) and xwininfo
# (x11-utils); a window manager (openbox) is used when present, for the
# title bar.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
locale=
if [ "${1-}" = "-l" ]; then
    locale=$2
    shift 2
fi
build=$(cd "${1:-$here/build}" && pwd)
output=${2:-$here/docs/dialog.png}
case $output in /*) ;; *) output=$(pwd)/$output ;; esac

if [ -z "${VARNEL_IN_XVFB-}" ]; then
    export VARNEL_IN_XVFB=1
    exec xvfb-run -a -s "-screen 0 800x600x24" "$0" ${locale:+-l "$locale"} "$build" "$output"
fi

program=$build/bin/varnel
[ -x "$program" ] || { echo "no program at $program: build it first" >&2; exit 1; }

# A scratch working directory: the program reads Settings.vcui from there.
work=$(mktemp -d)
pids=
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
if [ -n "$locale" ]; then
    printf '<Settings>\n  <Setting name="language" value="%s"/>\n</Settings>\n' "$locale" \
        > "$work/Settings.vcui"
fi

frame=
if command -v openbox >/dev/null 2>&1; then
    openbox >/dev/null 2>&1 &
    pids="$pids $!"
    frame=-frame
    sleep 1
fi
(cd "$work" && exec "$program") &
pids="$pids $!"

# Wait for the window to be mapped, whatever its translated title.
window=
for _ in $(seq 1 100); do
    window=$(xwininfo -root -tree 2>/dev/null | awk '/\("varnel" "varnel"\)/ && $2 != "(has" { print $1; exit }')
    if [ -n "$window" ] && xwininfo -id "$window" 2>/dev/null | grep -q IsViewable; then
        break
    fi
    window=
    sleep 0.1
done
[ -n "$window" ] || { echo "the dialog did not appear" >&2; exit 1; }
sleep 1    # let the first paint finish

mkdir -p "$(dirname "$output")"
import -window "$window" $frame "$output"
echo "wrote $output"
