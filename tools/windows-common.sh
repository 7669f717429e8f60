# Sourced by tools/build-windows.sh and tools/test-windows.sh, after they
# define fail().

# need_packages PACKAGE...: installs the Debian packages that are missing
# (as root; anyone else is told which to install).
need_packages() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -gt 0 ] || return 0
    [ "$(id -u)" -eq 0 ] || fail "missing packages (install as root): ${missing[*]}"
    echo "$(basename "$0" .sh): installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null ||
        { apt-get update -q >/dev/null && apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null; }
}

# project_version BUILD: the version of CMakeLists.txt's project(), as CMake
# read it when it configured BUILD.
project_version() {
    sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$1/CMakeCache.txt"
}
