# Shared set-up of ./run and ./test: packages, configure, build. Sourced, not run.
# Quick when nothing changed: dpkg is asked once, cmake only configures a new tree, and
# ninja rebuilds only what changed.

VELT_TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VELT_BUILD=${VELT_BUILD:-$VELT_TOP/build}
VELT_PACKAGES=(cmake ninja-build g++ make ccache pkg-config qt6-base-dev libgl-dev
               libgtest-dev libgmock-dev xauth xvfb)
# The stand-in compiler and linker build 32-bit programs with the host's gcc -m32 and
# binutils.
VELT_PACKAGES+=(gcc-multilib binutils)

velt_as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

velt_install_packages() {
    local missing=() p
    for p in "${VELT_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "velt: installing ${missing[*]}"
    velt_as_root apt-get update -qq
    velt_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
}

velt_build() {
    if [ ! -f "$VELT_BUILD/build.ninja" ]; then
        cmake -S "$VELT_TOP" -B "$VELT_BUILD" -G Ninja \
            -DCMAKE_BUILD_TYPE=${VELT_BUILD_TYPE:-RelWithDebInfo} >/dev/null
    fi
    ninja -C "$VELT_BUILD" ${VELT_NINJA_FLAGS:-}
}

# The stand-in compiler root lives under the build tree; tell the user's store about it
# when the user has no compiler registered yet.
velt_register_root() {
    "$VELT_BUILD/velt-cli" root register "$VELT_BUILD/sdk-root"
}
