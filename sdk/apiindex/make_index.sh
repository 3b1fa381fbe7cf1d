#!/bin/sh
# Writes the API index (format in apiindex.h) from the symbols that the host's C and math
# libraries export: the 32-bit ones that programs are linked with, or the host's own when there
# are none. A symbol both libraries define belongs to the C library, which every link includes.
#   make_index.sh OUTPUT [C-COMPILER] [NM]
set -eu
out=$1
cc=${2:-gcc}
nm=${3:-nm}

find_lib() {
    for flags in -m32 ""; do
        p=$($cc $flags -print-file-name="$1" 2>/dev/null || true)
        if [ -n "$p" ] && [ "$p" != "$1" ] && [ -f "$p" ]; then
            echo "$p"
            return 0
        fi
    done
    echo "make_index.sh: cannot find $1" >&2
    return 1
}

libc=$(find_lib libc.so.6)
libm=$(find_lib libm.so.6)

# nm names versioned symbols name@@VERSION (the default, linkable) or name@VERSION (kept only
# for old programs); GLIBC_PRIVATE ones are not for programs at all, "A" lines are version names.
symbols() {
    LC_ALL=C "$nm" -D --defined-only "$1" | awk -v lib="$2" -v text="$3" '
        NF >= 3 && $2 != "A" {
            name = $3
            if (name ~ /@@GLIBC_PRIVATE$/) next
            if (name ~ /@@/) sub(/@@.*/, "", name)
            else if (name ~ /@/) next
            if (name != "") print name "\t" lib "\t" text
        }'
}

tmp=$out.tmp.$$
trap 'rm -f "$tmp" "$tmp.body"' EXIT
{
    symbols "$libc" libc.lib "C library"
    symbols "$libm" libm.lib "math library"
} | LC_ALL=C sort -t "$(printf '\t')" -k1,1 -s | awk -F '\t' '$1 != last { print; last = $1 }' >"$tmp.body"
[ -s "$tmp.body" ] || { echo "make_index.sh: no symbols found" >&2; exit 1; }
{ echo "nimra api index 1"; cat "$tmp.body"; } >"$tmp"
mv "$tmp" "$out"
