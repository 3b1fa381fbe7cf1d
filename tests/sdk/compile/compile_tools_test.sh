#!/usr/bin/env bash
# nimra.exe, nimrarc and skelgen.exe run the way the IDE's makefiles and the new-project
# command run them. The parts that need a 32-bit compile are skipped (exit 77) only when the
# host cannot compile for 32 bits.
set -u
root=$1
listener=$2
bin=$root/bin
dir=$(mktemp -d)
listenerPid=
cleanup() {
    [ -n "$listenerPid" ] && kill "$listenerPid" 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR=$dir/run  # our own instance channel, never a running IDE's
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset NIMRA_CC
fails=0
check() {  # name expected actual
    if [ "$2" != "$3" ]; then
        printf 'FAIL %s:\n  expected [%s]\n  got      [%s]\n' "$1" "$2" "$3"
        fails=$((fails + 1))
    fi
}
hex() { od -An -tx1 -v "$1" | tr -d ' \n'; }

m32=1
printf '#include <stdio.h>\nint main(void) { puts(""); return 0; }\n' >"$dir/probe.c"
gcc -m32 -c "$dir/probe.c" -o "$dir/probe.o" 2>/dev/null || m32=0

mkdir -p "$dir/src/inc" "$dir/lib" "$dir/obj"
src=$dir/src

# ---- nimra.exe: a 32-bit object, the switches of CFLAGS, the name of the object

cat >"$src/good.c" <<'EOF'
#include <stdio.h>
#ifndef GREETING
#error GREETING not defined
#endif
struct packed { char c; int i; };
_Static_assert(sizeof(struct packed) == 5, "-Zp1 packs structures");
_Static_assert(sizeof(void *) == 4, "32-bit pointers");
int main(void) { puts(GREETING); return 0; }
EOF
mv "$src/good.c" "$src/Good.C"  # found whatever the letter case, compiled as C
if [ $m32 = 1 ]; then
    (cd "$dir/obj" && "$bin/nimra.exe" -c '-DGREETING="hi"' -Zp1 -O -g2 -A -ansic -p6 -S \
        "..\\src\\GOOD.c" 2>"$dir/err")
    check "good compile exit" 0 $?
    check "good compile messages" "" "$(cat "$dir/err")"
    # ELF, 32-bit, little-endian; relocatable (1) for Intel 80386 (3).
    check "object header" "7f454c460101" "$(hex "$dir/obj/good.obj" | cut -c1-12)"
    check "object type and machine" "01000300" "$(hex "$dir/obj/good.obj" | cut -c33-40)"
    check "assembly listing" "yes" "$(grep -q 'main' "$dir/obj/good.asm" && echo yes)"
    (cd "$dir/obj" && "$bin/nimra.exe" -c -DGREETING=0 -Zp1 -Fo "sub\\named.obj" ../src/good.c \
        2>"$dir/err")
    check "-Fo without its directory" 1 $?
    mkdir "$dir/obj/sub"
    (cd "$dir/obj" && "$bin/nimra.exe" -c '-DGREETING="x"' -Zp1 -Fo "sub\\named.obj" ../src/good.c)
    check "-Fo object" "7f454c46" "$(hex "$dir/obj/sub/named.obj" | cut -c1-8)"
fi
(cd "$dir/obj" && "$bin/nimra.exe" -c -Zq ../src/good.c 2>"$dir/err")
check "unknown switch exit" 1 $?
check "unknown switch message" "Error nimra.exe: unknown option -Zq" "$(cat "$dir/err")"

# ---- errors and warnings in the IDE's form, with their lines

cat >"$src/bad.c" <<'EOF'
#include "bad.h"
int f(void)
{
    int x = 1;
    return y;
}
EOF
printf '/* a header */\nint g(void);\nint g(void) { return undeclared_in_header; }\n' >"$src/bad.h"
if [ $m32 = 1 ]; then
    (cd "$src" && "$bin/nimra.exe" -c -A bad.c 2>"$dir/err")
    check "errors exit" 1 $?
    check "error in the header" "Error bad.h: 3  'undeclared_in_header' undeclared (first use in this function)" \
        "$(grep -m1 '^Error bad.h' "$dir/err")"
    check "error line" "Error bad.c: 5  'y' undeclared (first use in this function)" \
        "$(grep -m1 '^Error bad.c' "$dir/err")"
    check "warning line" "Warning bad.c: 4  unused variable 'x'" "$(grep '^Warning bad.c: 4' "$dir/err")"
    check "only messages of ours" "" "$(grep -v -E '^(Error|Warning|Note) ' "$dir/err")"
    check "no object after errors" "no" "$([ -e "$src/bad.obj" ] && echo yes || echo no)"
fi

# A host that cannot compile for 32 bits (no multilib files) is named as the cause.
cat >"$dir/no-multilib-gcc" <<'EOF'
#!/bin/sh
for a in "$@"; do
    if [ "$a" = -m32 ]; then
        echo "/usr/include/stdio.h:27:10: fatal error: bits/libc-header-start.h: No such file or directory" >&2
        exit 1
    fi
done
exec gcc "$@"
EOF
chmod +x "$dir/no-multilib-gcc"
(cd "$dir/obj" && NIMRA_CC=$dir/no-multilib-gcc "$bin/nimra.exe" -c '-DGREETING="hi"' ../src/good.c \
    2>"$dir/err")
check "no multilib exit" 1 $?
check "no multilib message" \
    "Error nimra.exe: cannot compile for 32-bit x86 with $dir/no-multilib-gcc -m32 on this machine; install the package gcc-multilib" \
    "$(head -1 "$dir/err")"

# ---- -M: the included files, nested, found in any letter case, without the host's own

cat >"$src/main.c" <<'EOF'
#include <stdio.h>
#include "a.h"
#include "Inc/Deep.h"
int main(void) { return A + DEEP + LIB; }
EOF
printf '#ifndef A_H\n#define A_H\n#include "b.h"\n#define A B\n#endif\n' >"$src/a.h"
printf '#define B 1\n' >"$src/b.h"
printf '#include "../a.h"\n#include <lib.h>\n#define DEEP 2\n' >"$src/inc/deep.h"
printf '#define LIB 3\n' >"$dir/lib/lib.h"
if [ $m32 = 1 ]; then
    (cd "$dir/obj" && "$bin/nimra.exe" -M '-Fo$x8856455.723' '-I..\lib' "$src/MAIN.C")
    check "-M exit" 0 $?
    check "-M list" "$(printf '%s\n' "$src/a.h" "$src/b.h" "$src/inc/deep.h" "$dir/lib/lib.h")" \
        "$(cat "$dir/obj/\$x8856455.723")"
    (cd "$dir/obj" && "$bin/nimra.exe" -c -I../lib "$src/main.c")
    check "compile with a header in another letter case" 0 $?
    (cd "$dir/obj" && "$bin/nimra.exe" -M -Fodeps.txt "$src/bad.c")
    check "-M with compile errors still lists" "$src/bad.h" "$(cat "$dir/obj/deps.txt")"
    printf '#include "missing.h"\n' >"$src/missing.c"
    rm -f "$dir/obj/deps.txt"
    (cd "$dir/obj" && "$bin/nimra.exe" -M -Fodeps.txt "$src/missing.c" 2>"$dir/err")
    check "-M missing header exit" 1 $?
    check "-M missing header message" "Error $src/missing.c: 1  missing.h: No such file or directory" \
        "$(cat "$dir/err")"
    check "-M missing header writes no list" "no" "$([ -e "$dir/obj/deps.txt" ] && echo yes || echo no)"
fi

# ---- the build-progress report to a running IDE, and its stop reply

if [ $m32 = 1 ]; then
    rm -f "$dir/ready"
    "$listener" 0 1 "$dir/progress.log" "$dir/ready" & listenerPid=$!
    for _ in $(seq 100); do [ -e "$dir/ready" ] && break; sleep 0.05; done
    (cd "$dir/obj" && "$bin/nimra.exe" -c '-DGREETING="hi"' -Zp1 ../src/good.c)
    check "compile while an IDE listens" 0 $?
    wait "$listenerPid"; listenerPid=
    check "command line reported" "$(printf '26024:nimra.exe -c -DGREETING="hi" -Zp1 ../src/good.c\n.')" \
        "$(cat "$dir/progress.log"; echo .)"

    rm -f "$dir/ready" "$dir/obj/good.obj"
    "$listener" 1 1 "$dir/stop.log" "$dir/ready" & listenerPid=$!
    for _ in $(seq 100); do [ -e "$dir/ready" ] && break; sleep 0.05; done
    (cd "$dir/obj" && "$bin/nimra.exe" -c '-DGREETING="hi"' -Zp1 ../src/good.c 2>"$dir/err")
    check "stop reply exit" 1 $?
    wait "$listenerPid"; listenerPid=
    check "stop reply compiles nothing" "no" "$([ -e "$dir/obj/good.obj" ] && echo yes || echo no)"
fi

# ---- nimrarc: the .res beside make, its exact bytes, and errors with their lines

printf 'ABC' >"$src/blob.bin"
cat >"$src/small.rc" <<'EOF'
STRINGTABLE
BEGIN
    1, "Hi"
END
5 RCDATA "blob.bin"
7 MENU
BEGIN
    POPUP "F"
    BEGIN
        MENUITEM "O", 5
    END
END
EOF
(cd "$dir/obj" && "$bin/nimrarc" -I"$src" "..\\src\\SMALL.RC")
check "nimrarc exit" 0 $?
# The empty entry, then RCDATA 5, MENU 7 and the string block 1 (strings come last); each
# entry: data size, header size, type, name, data version, flags, language, version,
# characteristics, then the data padded to four bytes.
empty=0000000020000000ffff0000ffff0000$(printf '0%.0s' {1..32})
rcdata=0300000020000000ffff0a00ffff05000000000030000904000000000000000041424300
menu=1200000020000000ffff0400ffff0700000000003010090400000000000000000000000090004600000080000500
menu=${menu}4f0000000000
strings=2400000020000000ffff0600ffff0100000000003010090400000000000000000000020048006900
strings=${strings}$(printf '0%.0s' {1..56})
check "small .res bytes" "$empty$rcdata$menu$strings" "$(hex "$dir/obj/small.res")"

# An icon: its image under RT_ICON and the directory under RT_GROUP_ICON.
{
    printf '\x00\x00\x01\x00\x01\x00'                                  # icon file, one image
    printf '\x10\x10\x00\x00\x01\x00\x20\x00\x28\x00\x00\x00\x16\x00\x00\x00'  # 16x16, 40 bytes at 22
    head -c 40 /dev/zero | tr '\0' '\7'
} >"$src/app.ico"
cat >"$src/full.rc" <<'EOF'
#include <windows.h>
#include "ids.h"
APP ICON "app.ico"
IDD_MAIN DIALOGEX 0, 0, 100, 50
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION
CAPTION "Main"
FONT 8, "MS Shell Dlg", 400, 0, 1
BEGIN
    DEFPUSHBUTTON "OK", IDOK, 10, 30, 40, 14
    EDITTEXT IDC_NAME, 10, 10, 80, 12, ES_AUTOHSCROLL | NOT WS_BORDER
END
IDR_KEYS ACCELERATORS
BEGIN
    "^O", IDC_NAME
    VK_F1, IDOK, VIRTKEY, CONTROL
END
1 VERSIONINFO
FILEVERSION 1,2,3,4
BEGIN
    BLOCK "StringFileInfo"
    BEGIN
        BLOCK "040904E4"
        BEGIN
            VALUE "FileVersion", "1.2.3.4"
        END
    END
END
EOF
printf '#define IDD_MAIN 10\n#define IDC_NAME 11\n#define IDR_KEYS 12\nint not_resource_text;\n' >"$src/ids.h"
(cd "$dir/obj" && "$bin/nimrarc" "-I$root/include" "$src/full.rc")
check "full script exit" 0 $?
full=$(hex "$dir/obj/full.res")
check "icon image" yes "$(echo "$full" | grep -q 2800000020000000ffff0300ffff0100 && echo yes)"
check "group icon" yes \
    "$(echo "$full" | grep -q '0000010001001010000001002000280000000100' && echo yes)"
check "group icon name" yes "$(echo "$full" | grep -q 'ffff0e00410050005000' && echo yes)"
# OK: default push button + tab stop + child + visible; the edit field without its border.
check "dialog button style" yes "$(echo "$full" | grep -q '000000000000000001000150' && echo yes)"
check "dialog edit style" yes "$(echo "$full" | grep -q '000000000000000080000150' && echo yes)"
check "accelerators" yes "$(echo "$full" | grep -q '00000f000b000000890070000100' && echo yes)"

cat >"$src/bad.rc" <<'EOF'
#include "ids.h"
STRINGTABLE
BEGIN
    IDD_MAIN, "first"
    IDC_NAME "second"
    IDD_MAIN "again"
END
EOF
(cd "$dir/obj" && "$bin/nimrarc" ../src/bad.rc 2>"$dir/err")
check "bad script exit" 1 $?
check "bad script message" "Error ../src/bad.rc: 6  the string number 10 is used twice" "$(cat "$dir/err")"
check "bad script writes nothing" no "$([ -e "$dir/obj/bad.res" ] && echo yes || echo no)"
printf '1 DIALOG 0, 0, 10, 10\nBEGIN\n    LTEXT "x", IDC_UNKNOWN, 1, 1, 5, 5\nEND\n' >"$src/undef.rc"
(cd "$dir/obj" && "$bin/nimrarc" ../src/undef.rc 2>"$dir/err")
check "undefined symbol" "Error ../src/undef.rc: 3  undefined symbol 'IDC_UNKNOWN'" "$(cat "$dir/err")"
printf '1 MENU\nBEGIN\n    MENUITEM "x", 1\n' >"$src/open.rc"
(cd "$dir/obj" && "$bin/nimrarc" ../src/open.rc 2>"$dir/err")
check "block without END" "Error ../src/open.rc: 2  this block has no END" "$(cat "$dir/err")"
printf '1 ICON "nothere.ico"\n' >"$src/noicon.rc"
(cd "$dir/obj" && "$bin/nimrarc" ../src/noicon.rc 2>"$dir/err")
check "missing icon" "Error ../src/noicon.rc: 1  cannot open the file nothere.ico" "$(cat "$dir/err")"

# ---- skelgen.exe: the three kinds, their answer files, and sources that build

for kind in windows console dll; do
    p=$dir/proj-$kind
    mkdir -p "$p"
    flag=
    [ $kind = console ] && flag=/console
    [ $kind = dll ] && flag=/dll
    "$bin/skelgen.exe" /velt:4242 /prjname:hello "/prjpath:$p" "/out:$dir/$kind.ans" $flag
    check "skelgen $kind exit" 1 $?
    case $kind in
        windows) expected=$(printf 'project:hello\nsource:%s/hello.c\nfile:%s/hello.rc\n.' "$p" "$p") ;;
        console) expected=$(printf 'project:hello\nsource:%s/hello.c\n.' "$p") ;;
        dll) expected=$(printf 'project:hello\nsource:%s/hello.c\nfile:%s/hello.h\n.' "$p" "$p") ;;
    esac
    check "skelgen $kind answer" "$expected" "$(cat "$dir/$kind.ans"; echo .)"
    if [ $m32 = 1 ]; then
        (cd "$p" && "$bin/nimra.exe" -c -A -g2 "-I$root/include" hello.c 2>"$dir/err")
        check "skelgen $kind compiles" "0:" "$?:$(cat "$dir/err")"
    fi
done
check "console main" yes "$(grep -q 'int main(void)' "$dir/proj-console/hello.c" && echo yes)"
check "windows WinMain" yes "$(grep -q 'int WINAPI WinMain' "$dir/proj-windows/hello.c" && echo yes)"
check "dll LibMain" yes "$(grep -q 'BOOL WINAPI LibMain' "$dir/proj-dll/hello.c" && echo yes)"
(cd "$dir/proj-windows" && "$bin/nimrarc" "-I$root/include" hello.rc)
check "windows resources compile" 0 $?

# A path with a blank arrives in pieces (the IDE does not quote it).
mkdir -p "$dir/my proj"
"$bin/skelgen.exe" /velt:1 /prjname:hello "/prjpath:$dir/my" proj "/out:$dir/blank.ans" /console
check "blank in path" "$(printf 'project:hello\nsource:%s/my proj/hello.c\n.' "$dir")" \
    "$(cat "$dir/blank.ans"; echo .)"

# Bad arguments and existing files: a failure code, and nothing written or changed.
mkdir -p "$dir/proj-bad"
"$bin/skelgen.exe" /velt:1 /prjname:hello "/prjpath:$dir/proj-bad" 2>/dev/null
check "missing /out: exit" 2 $?
"$bin/skelgen.exe" /velt:x /prjname:hello "/prjpath:$dir/proj-bad" "/out:$dir/bad.ans" 2>/dev/null
check "bad /velt: exit" 2 $?
"$bin/skelgen.exe" /velt:1 /prjname:hello "/prjpath:$dir/proj-bad" "/out:$dir/bad.ans" /dll /console \
    2>/dev/null
check "two kinds exit" 2 $?
"$bin/skelgen.exe" /velt:1 /prjname:a/b "/prjpath:$dir/proj-bad" "/out:$dir/bad.ans" 2>/dev/null
check "name with a separator exit" 2 $?
check "nothing written on bad arguments" "" "$(ls "$dir/proj-bad"; ls "$dir" | grep bad.ans)"
printf 'keep me\n' >"$dir/proj-console/hello.c"
"$bin/skelgen.exe" /velt:1 /prjname:HELLO "/prjpath:$dir/proj-console" "/out:$dir/again.ans" /console \
    2>/dev/null
check "existing file exit" 2 $?
check "existing file kept" "keep me" "$(cat "$dir/proj-console/hello.c")"
check "no answer when refused" no "$([ -e "$dir/again.ans" ] && echo yes || echo no)"

if [ $fails -ne 0 ]; then
    echo "$fails check(s) failed"
    exit 1
fi
if [ $m32 = 0 ]; then
    echo "the host cannot compile for 32 bits: the compile checks were skipped"
    exit 77
fi
echo "all checks passed"
