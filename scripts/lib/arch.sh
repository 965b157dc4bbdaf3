# scripts/lib/arch.sh — sourced by the scripts: which Windows architecture a build tree is for, and how Wine is
# started for it.
#
# Tavisk ships as a 32-bit (i686) program. Debian's Wine runs 32-bit Windows programs as 32-bit Linux processes,
# so a kernel with its 32-bit emulation switched off (boot option ia32_emulation=off) cannot run them at all.
# There the build and the tests fall back to the same sources built for x86-64 and run by 64-bit Wine, and the
# i686 program is still built beside them, so that the shipped target is known to compile.
#
# TAVISK_ARCH=i686|x86_64 chooses by hand; otherwise tavisk_default_arch decides.

# True when this kernel starts 32-bit Linux programs (asked of the 32-bit loader that Wine's i386 packages bring).
tavisk_kernel_runs_32bit() {
    [ -e /lib/ld-linux.so.2 ] || return 0   # not installed yet: setup brings it; assume an ordinary kernel
    /lib/ld-linux.so.2 --help >/dev/null 2>&1
}

tavisk_default_arch() {
    if [ -n "${TAVISK_ARCH:-}" ]; then
        echo "$TAVISK_ARCH"
    elif tavisk_kernel_runs_32bit; then
        echo i686
    else
        echo x86_64
    fi
}

# The architecture a configured build tree was made for (its marker file), else the default.
tavisk_build_arch() {
    local build=$1
    if [ -f "$build/tavisk-arch" ]; then cat "$build/tavisk-arch"; else tavisk_default_arch; fi
}

# Sets WINEARCH and TAVISK_WINE (the Wine loader to start programs with) for architecture $1.
tavisk_wine_for() {
    if [ "$1" = x86_64 ]; then
        export WINEARCH=win64
        if command -v wine64 >/dev/null 2>&1; then TAVISK_WINE=$(command -v wine64)
        else TAVISK_WINE=/usr/lib/wine/wine64; fi
        # Debian's wrapper would pick the 32-bit loader: name the 64-bit one for programs Wine itself starts.
        export WINELOADER="$TAVISK_WINE"
    else
        export WINEARCH=win32
        TAVISK_WINE=wine
    fi
    export TAVISK_WINE
}
