#!/usr/bin/env bash
# Cross-builds Varnel for 64-bit Windows on Debian 12 and packs it twice,
# VERSION being the one in CMakeLists.txt's project():
#   OUTDIR/varnel-VERSION-windows-x64.zip   the folder to unpack anywhere
#   OUTDIR/varnel-VERSION-setup-x64.exe     its installer (tools/windows/varnel.nsi)
# The folder holds the two programs, the Qt and MinGW runtime DLLs, the
# platform plugin, the catalogues, the README and the licence texts. Before
# packing, the folder is checked: every imported DLL is in it or is part of
# Windows, varnel.exe is a GUI program with one icon, the asInvoker manifest
# and no version record, and varnel-cli.exe is a console program.
#
# Also left in OUTDIR: build/ (the programs, the test programs and the
# sample fonts, for tools/test-windows.sh), sdk/ (the unpacked Qt) and nsis/
# (the installer's file lists).
#
# The sample fonts are compiled from their sources by a varnel-cli that runs
# here, since the build cannot run its own varnel-cli.exe: LINUX_VARNEL_CLI,
# else one built in OUTDIR/host.
#
# The Qt for Windows comes from $VARNEL_QT_MINGW (an unpacked SDK folder or
# its .tar.xz), else ../shared/windows/qt6.4.2-mingw64.tar.xz beside the
# repository, else it is built there with ../shared/windows/build-qt-mingw.sh
# (about an hour on two cores).
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 OUTDIR [LINUX_VARNEL_CLI]" >&2
    exit 2
fi
source=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
out=$(cd "$1" && pwd)
shared=$(cd "$source/.." && pwd)/shared/windows
host=x86_64-w64-mingw32

say() { echo "build-windows: $*"; }
fail() { echo "build-windows: $*" >&2; exit 1; }

# --- tools
source "$source/tools/windows-common.sh"
need_packages mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix \
    binutils-mingw-w64-x86-64 cmake ninja-build ccache qt6-base-dev qt6-base-dev-tools \
    qt6-tools-dev-tools qt6-l10n-tools xz-utils zip unzip nsis

# --- Qt for Windows
sdk=$out/sdk/qt6-mingw64
if [ -n "${VARNEL_QT_MINGW:-}" ] && [ -d "$VARNEL_QT_MINGW" ]; then
    sdk=$VARNEL_QT_MINGW
elif [ ! -x "$sdk/bin/qt-cmake" ]; then
    tarball=${VARNEL_QT_MINGW:-$shared/qt6.4.2-mingw64.tar.xz}
    if [ ! -f "$tarball" ]; then
        [ -f "$shared/build-qt-mingw.sh" ] || fail "no Qt for Windows: neither $tarball nor $shared/build-qt-mingw.sh"
        say "building Qt for Windows with $shared/build-qt-mingw.sh (about an hour)"
        bash "$shared/build-qt-mingw.sh" "$out/qt-work" "$out"
        tarball=$(ls "$out"/qt6*-mingw64.tar.xz | head -n1)
    fi
    mkdir -p "$out/sdk"
    tar -xJf "$tarball" -C "$out/sdk"
fi
[ -x "$sdk/bin/qt-cmake" ] || fail "$sdk is not a Qt for Windows"

launcher=()
command -v ccache >/dev/null && [ "${CCACHE_DISABLE:-}" != 1 ] && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# --- a varnel-cli for this machine, which compiles the sample fonts
if [ $# -eq 2 ]; then
    hostCli=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
    [ -x "$hostCli" ] || fail "$2 is not a program"
else
    cmake -S "$source" -B "$out/host" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNEL_GUI=OFF \
        -DVARNEL_PREVIEW=OFF "${launcher[@]}" >"$out/host-configure.log" ||
        { cat "$out/host-configure.log"; fail "configuring the Linux varnel-cli failed"; }
    cmake --build "$out/host" -j"$(nproc)" --target varnel-cli
    hostCli=$out/host/bin/varnel-cli
fi

# --- build: release, warnings as errors, no preview (this Qt has no Svg)
build=$out/build
"$sdk/bin/qt-cmake" -S "$source" -B "$build" -G Ninja -Wno-dev --no-warn-unused-cli \
    -DCMAKE_BUILD_TYPE=Release -DVARNEL_WERROR=ON -DVARNEL_PREVIEW=OFF -DVARNEL_HOST_CLI="$hostCli" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    "${launcher[@]}" >"$out/configure.log" || { cat "$out/configure.log"; fail "configure failed"; }
cmake --build "$build" -j"$(nproc)" --target varnel varnel-cli \
    tst_fontfiles tst_drawing ConvertTest tst_inspect

# --- the folder a user unpacks
version=$(project_version "$build")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"
package=varnel-$version-windows-x64
setup=varnel-$version-setup-x64.exe
stage=$out/$package
rm -rf "$stage" "$out/$package.zip"
mkdir -p "$stage/platforms" "$stage/styles"
bin=$build/bin
cp "$bin/varnel.exe" "$bin/varnel-cli.exe" "$stage/"
cp -r "$bin/languages" "$stage/"
for dll in Qt6Core Qt6Gui Qt6Widgets Qt6Xml; do
    cp "$sdk/bin/$dll.dll" "$stage/"
done
cp "$sdk/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$sdk/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
gccdir=$(ls -d /usr/lib/gcc/$host/*-posix | sort -V | tail -n1)
cp "$gccdir/libstdc++-6.dll" "$gccdir/libgcc_s_seh-1.dll" "/usr/$host/lib/libwinpthread-1.dll" "$stage/"
$host-strip --strip-unneeded "$stage"/*.exe "$stage"/lib*.dll

sed 's/$/\r/' "$source/README.md" >"$stage/README.txt"
licences=$stage/licences
mkdir -p "$licences"
sed 's/$/\r/' /usr/share/doc/qt6-base-dev/copyright >"$licences/Qt.txt" 2>/dev/null ||
    sed 's/$/\r/' /usr/share/doc/libqt6core6/copyright >"$licences/Qt.txt"
for lgpl in /usr/share/common-licenses/LGPL-3 /usr/share/common-licenses/GPL-3; do
    sed 's/$/\r/' "$lgpl" >"$licences/$(basename "$lgpl").txt"
done
sed 's/$/\r/' /usr/share/doc/gcc-mingw-w64-base/copyright >"$licences/GCC runtime (libstdc++, libgcc).txt"
sed 's/$/\r/' /usr/share/doc/mingw-w64-common/copyright >"$licences/MinGW-w64 runtime (winpthreads).txt"

# --- checks
problems=0
problem() { echo "build-windows: CHECK FAILED: $*" >&2; problems=$((problems + 1)); }

# Every DLL imported by a program or a DLL of the package is in the package
# or comes with Windows 10 (which Qt 6 needs anyway).
system_dlls=" $(echo kernel32 user32 gdi32 shell32 shcore ole32 oleaut32 advapi32 comdlg32 imm32 \
    winmm ws2_32 version netapi32 userenv uxtheme dwmapi shlwapi msvcrt mpr setupapi wtsapi32 \
    d3d9 d3d11 dxgi dwrite authz rpcrt4 secur32 crypt32 bcrypt comctl32 | sed 's/\([a-z0-9_]*\)/\1.dll/g') "
shipped=" $(cd "$stage" && find . -iname '*.dll' -printf '%f\n' | tr 'A-Z' 'a-z' | tr '\n' ' ') "
while IFS= read -r -d '' file; do
    while read -r dll; do
        lower=$(echo "$dll" | tr 'A-Z' 'a-z')
        case "$shipped$system_dlls" in
            *" $lower "*) ;;
            *) case "$lower" in api-ms-win-*) ;; *) problem "${file#$stage/} imports $dll, which is not in the package" ;; esac ;;
        esac
    done < <($host-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p')
done < <(find "$stage" \( -iname '*.exe' -o -iname '*.dll' \) -print0)
say "imports: every DLL is in the package or part of Windows"

subsystem() { $host-objdump -p "$1" | sed -n 's/^Subsystem\s*[0-9a-f]*\s*//p'; }
[ "$(subsystem "$stage/varnel.exe")" = "(Windows GUI)" ] || problem "varnel.exe is not a GUI program"
[ "$(subsystem "$stage/varnel-cli.exe")" = "(Windows CUI)" ] || problem "varnel-cli.exe is not a console program"
say "subsystems: varnel.exe $(subsystem "$stage/varnel.exe"), varnel-cli.exe $(subsystem "$stage/varnel-cli.exe")"

resources=$($host-windres -i "$stage/varnel.exe" -J coff -O rc)
icons=$(grep -c 'RT_GROUP_ICON' <<<"$resources" || true)
[ "$icons" = 1 ] || problem "varnel.exe has $icons application icons, not one"
grep -q 'RT_MANIFEST' <<<"$resources" || problem "varnel.exe has no manifest"
grep -q 'level=""asInvoker""' <<<"$resources" || problem "varnel.exe's manifest does not ask for asInvoker"
! grep -q 'RT_VERSION' <<<"$resources" || problem "varnel.exe has a version record"
say "resources of varnel.exe: $icons icon group, manifest level $(grep -o 'level=""[A-Za-z]*""' <<<"$resources" | tr -d '"' | sed 's/level=//'), $(grep -c RT_VERSION <<<"$resources" || true) version records"

for locale in "$source"/languages/*/; do
    locale=$(basename "$locale")
    [ -f "$stage/languages/$locale/varnel_$locale.qm" ] || problem "catalogue $locale missing"
done
[ "$problems" -eq 0 ] || fail "$problems checks failed"

(cd "$out" && zip -q -r -9 -X "$package.zip" "$package")
say "$out/$package.zip: $(du -k "$out/$package.zip" | cut -f1) KiB, $(unzip -Z1 "$out/$package.zip" | grep -vc '/$') files"

# --- the installer. It installs exactly the files of the folder, and its
# uninstaller removes exactly those and then each folder they made, if empty:
# the user may have chosen a folder that holds other things.
nsis=$out/nsis
rm -rf "$nsis" "$out/$setup"
mkdir -p "$nsis"
nsis_string() { local s=${1//\$/\$\$}; echo "${s//\//\\}"; } # $ doubled, / as \
nsis_inside() { [ "$1" = . ] && echo '$INSTDIR' || echo "\$INSTDIR\\$(nsis_string "${1#./}")"; }
case "$stage" in *'"'*) fail "makensis cannot name $stage" ;; esac
(
    cd "$stage"
    find . -type d -print0 | sort -z | while IFS= read -r -d '' dir; do
        echo "SetOutPath \"$(nsis_inside "$dir")\""
        find "$dir" -mindepth 1 -maxdepth 1 -type f -print0 | sort -z | while IFS= read -r -d '' file; do
            echo "File \"${stage//\$/\$\$}/${file#./}\""
        done
    done >"$nsis/install.nsh"
    find . -type f -print0 | sort -z | while IFS= read -r -d '' file; do
        echo "Delete \"$(nsis_inside "$file")\""
    done >"$nsis/uninstall.nsh"
    find . -mindepth 1 -type d -print0 | sort -rz | while IFS= read -r -d '' dir; do
        echo "RMDir \"$(nsis_inside "$dir")\""
    done >>"$nsis/uninstall.nsh"
)
version4=$version
while [ "$(tr -cd . <<<"$version4" | wc -c)" -lt 3 ]; do version4=$version4.0; done
makensis -V2 -WX -INPUTCHARSET UTF8 -DVERSION="$version" -DVERSION4="$version4" \
    -DDESCRIPTION="$(sed -n 's/^CMAKE_PROJECT_DESCRIPTION:[A-Z]*=//p' "$build/CMakeCache.txt")" \
    -DFILES="$nsis/install.nsh" -DUNFILES="$nsis/uninstall.nsh" -DOUTFILE="$out/$setup" \
    "$source/tools/windows/varnel.nsi" || fail "makensis failed"
$host-objdump -f "$out/$setup" | grep -q 'file format pei-x86-64' || fail "$setup is not a 64-bit program"
grep -qa 'level="requireAdministrator"' "$out/$setup" || fail "$setup does not ask for administrator rights"
say "$out/$setup: $(du -k "$out/$setup" | cut -f1) KiB, $(grep -c '^File ' "$nsis/install.nsh") files"
