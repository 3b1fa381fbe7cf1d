#!/usr/bin/env bash
# The linker, librarian, make, image dumper and console runner of the stand-in compiler system
# end to end, on 32-bit programs built with the host's gcc -m32.
set -u
root=$(cd "$1" && pwd) || exit 1
probe=$(realpath "$2") || exit 1
bin=$root/bin
for tool in nimralnk.exe nimralib make.exe imgdump.exe conrun.exe apiindex.idx; do
    [ -f "$bin/$tool" ] || { echo "FAIL $bin/$tool is not built"; exit 1; }
done
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
unset DISPLAY

printf 'int main(void) { return 0; }\n' >t.c
if ! gcc -m32 t.c -o t.out >/dev/null 2>&1; then
    echo "gcc -m32 cannot link here; skipped"
    exit 77
fi

fails=0
passes=0
check() {  # name expected actual
    if [ "$2" != "$3" ]; then
        echo "FAIL $1: expected [$2] got [$3]"
        fails=$((fails + 1))
    else
        passes=$((passes + 1))
    fi
}
contains() {  # name needle haystack
    case "$3" in
        *"$2"*) passes=$((passes + 1)) ;;
        *) echo "FAIL $1: [$2] not in:"; echo "$3"; fails=$((fails + 1)) ;;
    esac
}

cat >a.c <<'C'
#include <stdio.h>
int twice(int);
int main(int argc, char** argv) { printf("twice %d\n", twice(argc + 20)); return 3; }
C
printf 'int twice(int x) { return 2 * x; }\n' >b.c
cat >m.c <<'C'
#include <math.h>
#include <stdio.h>
int main(int argc, char** argv) { printf("%g\n", sqrt(argc * 16.0)); return 0; }
C
gcc -m32 -g -c a.c -o a.obj && gcc -m32 -c b.c -o b.obj && gcc -m32 -g -c m.c -o m.obj ||
    { echo "FAIL compiling the sources"; exit 1; }

# Two objects, a console program, the system libraries of a console project.
"$bin/nimralnk.exe" -subsystem console -o hello.exe a.obj b.obj kernel32.lib txtconio.lib
check "link exit" 0 $?
out=$(./hello.exe); rc=$?
check "program output" "twice 42" "$out"
check "program exit" 3 $rc

# An undefined symbol: the line the IDE holds back, a failure, the old program kept, no leftovers.
err=$("$bin/nimralnk.exe" -subsystem console -o hello.exe a.obj 2>&1 >/dev/null); rc=$?
check "undefined exit" 1 $rc
check "undefined line" "Error $dir/a.c: 3  undefined reference to twice" "$err"
check "old program kept" "twice 42" "$(./hello.exe)"
check "no partial output" "" "$(ls -A | grep nimralnk)"
err=$("$bin/nimralnk.exe" -o never.exe b.obj 2>&1); rc=$?
check "undefined main exit" 1 $rc
contains "undefined main without line" "undefined reference to main" "$err"
check "no output after failure" "" "$(ls never.exe 2>/dev/null)"

# sqrt without the math library; the index names it, and with it the link succeeds.
err=$("$bin/nimralnk.exe" -o m.exe m.obj 2>&1); rc=$?
check "sqrt undefined exit" 1 $rc
check "sqrt symbol ends the line" "sqrt" "${err##*undefined reference to }"
found=$("$probe" "$root" sqrt); rc=$?
check "FindApi sqrt" "$(printf '0 libm.lib\tmath library')" "$rc $found"
check "FindApi printf" "$(printf 'libc.lib\tC library')" "$("$probe" "$root" printf)"
"$probe" "$root" no_such_function_anywhere >/dev/null
check "FindApi unknown" 1 $?
lib=$(printf '%s' "$found" | cut -f1)
check "library in the root" yes "$([ -f "$root/lib/$lib" ] && echo yes)"
"$bin/nimralnk.exe" -o m.exe m.obj "$lib"
check "link with the math library" "4" "$(./m.exe)"

# Static libraries: long member names, and libraries that need each other in either order.
cp b.obj a_rather_long_member_name.obj
printf 'int twice(int);\nint quad(int x) { return twice(twice(x)); }\n' >q.c
gcc -m32 -c q.c -o q.obj
printf '#include <stdio.h>\nint quad(int);\nint main(void) { printf("%%d\\n", quad(3)); return 0; }\n' >uq.c
gcc -m32 -c uq.c -o uq.obj
"$bin/nimralib" /OUT:tw.lib a_rather_long_member_name.obj
check "nimralib exit" 0 $?
"$bin/nimralib" /OUT:quad.lib q.obj
"$bin/nimralnk.exe" -o uq.exe uq.obj tw.lib quad.lib
check "libraries in any order" "12" "$(./uq.exe)"
"$bin/nimralib" /OUT:tw.lib b.c 2>/dev/null
check "nimralib refuses a source" 1 $?
check "library kept after refusal" "0" "$("$bin/nimralnk.exe" -o h2.exe a.obj tw.lib; echo $?)"

# make: backslash paths, CR LF lines, a name with a blank in quotes, -q before and after.
mkdir -p "src dir" build
cp a.c "src dir/my a.c"
cp b.c "src dir/b.c"
touch -d "10 minutes ago" "src dir/my a.c" "src dir/b.c"
s=$dir
{
    printf '# Velt Makefile for project hello\r\n'
    printf 'CFLAGS=-I"%s\\src dir" -g2 \r\n' "$s"
    printf 'CC=gcc -m32\r\nLINKER=%s\\bin\\nimralnk.exe\r\n' "$root"
    printf 'OBJS=\\\r\n\t"my a.obj" \\\r\n\tb.obj\r\n\r\nLIBS=kernel32.lib\r\n\r\n'
    printf 'hello.exe:\t$(OBJS) Makefile\r\n'
    printf '\t$(LINKER)  -subsystem console -o hello.exe $(OBJS) $(LIBS)\r\n\r\n'
    printf '"my a.obj": "%s\\src dir\\my a.c"\r\n' "$s"
    printf '\t$(CC) -c $(CFLAGS) -o "my a.obj" "%s\\src dir\\my a.c"\r\n\r\n' "$s"
    printf 'b.obj: "%s\\src dir\\b.c"\r\n' "$s"
    printf '\t$(CC) -c $(CFLAGS) -o b.obj "%s\\src dir\\b.c"\r\n\r\n' "$s"
    printf 'link:\r\n\t$(LINKER)  -subsystem console -o hello.exe $(OBJS) $(LIBS)\r\n'
} >build/Makefile
cd build || exit 1
"$bin/make.exe" -q; check "make -q before" 199 $?
"$bin/make.exe" >/dev/null; check "make" 0 $?
check "made program" "twice 42" "$(./hello.exe)"
"$bin/make.exe" -q; check "make -q after" 0 $?
touch "../src dir/b.c"
"$bin/make.exe" -q; check "make -q after a change" 199 $?
printf 'int twice(int x) { return 2 * x }\n' >"../src dir/b.c"
err=$("$bin/make.exe" -f makefile 2>&1 >/dev/null); rc=$?
check "failed make exit" 2 $rc
contains "failed make names the makefile" "make.exe: *** [makefile:18: b.obj] Error 1" "$err"
"$bin/make.exe" -q -f Makefile nosuchtarget 2>/dev/null; check "make -q error" 2 $?
cd "$dir" || exit 1

# imgdump: console and windows programs, a DLL, host programs and files that are not programs.
"$bin/nimralnk.exe" -subsystem windows -o win.exe a.obj b.obj
"$bin/imgdump.exe" /isdos "$dir/hello.exe"; check "isdos console" 1 $?
"$bin/imgdump.exe" /isdos "$dir/win.exe"; check "isdos windows" 0 $?
"$bin/imgdump.exe" /isdos /bin/sh; check "isdos host program" 1 $?
"$bin/imgdump.exe" /isdos "$dir/a.obj"; check "isdos object" 0 $?
"$bin/imgdump.exe" /isdos "$dir/missing.exe" 2>/dev/null; check "isdos missing" 0 $?

"$bin/imgdump.exe" /summary /out:obj.txt a.obj; check "summary obj exit" 0 $?
sum=$(cat obj.txt)
contains "obj kind" "Kind: object file" "$sum"
contains "obj machine" "Machine: Intel 386" "$sum"
contains "obj defines main" "$(printf '\n  main ')" "$sum"
contains "obj needs printf" "$(printf '\n  printf\n')" "$sum"
contains "obj needs twice" "$(printf '\n  twice\n')" "$sum"
"$bin/imgdump.exe" /summary /out:lib.txt tw.lib; check "summary lib exit" 0 $?
sum=$(cat lib.txt)
contains "lib kind" "Kind: static library" "$sum"
contains "lib long member" "Member a_rather_long_member_name.obj" "$sum"
contains "lib member symbol" "twice" "$sum"
"$bin/imgdump.exe" /summary /out:exe.txt win.exe; check "summary exe exit" 0 $?
sum=$(cat exe.txt)
contains "exe kind" "Kind: executable" "$sum"
contains "exe subsystem" "Subsystem: windows" "$sum"
contains "exe section" ".text" "$sum"
head -c 200 a.obj >cut.obj
err=$("$bin/imgdump.exe" /summary /out:cut.txt cut.obj 2>&1); rc=$?
check "summary truncated exit" 1 $rc
contains "summary truncated message" "cut.obj" "$err"
"$bin/imgdump.exe" /summary /out:t.txt t.c 2>/dev/null; check "summary of a source" 1 $?
"$bin/imgdump.exe" /summary /out:nodir/x.txt a.obj 2>/dev/null; check "summary unwritable" 1 $?

# -map, -s and a resource file.
printf 'RES\0DATA' >app.res
"$bin/nimralnk.exe" -s -map hello.map -subsystem console -o small.exe a.obj b.obj app.res
check "strip link exit" 0 $?
check "stripped program runs" "twice 42" "$(./small.exe)"
contains "map has main" "  main" "$(cat hello.map)"
contains "map has twice" "  twice" "$(cat hello.map)"
"$bin/imgdump.exe" /summary /out:small.txt small.exe
sum=$(cat small.txt)
contains "stripped uses dynamic symbols" "(symbols of the dynamic table)" "$sum"
check "resources embedded" 1 "$(grep -cE '^ +\.rsrc +8 bytes' small.txt)"
check "no symbol table" "" "$(grep -F .symtab small.txt)"

# A DLL with its entry point, its import library, and a program using it from elsewhere.
cat >d.c <<'C'
#include <stdio.h>
static int base;
int __attribute__((stdcall)) LibMain(void* inst, unsigned reason, void* reserved) {
    printf("LibMain %u %s\n", reason, inst ? "module" : "null");
    base = 100;
    return 1;
}
int plus(int x) { return base + x; }
C
printf '#include <stdio.h>\nint plus(int);\nint main(void) { printf("plus %%d\\n", plus(5)); return 0; }\n' >u.c
gcc -m32 -c d.c -o d.obj && gcc -m32 -c u.c -o u.obj
mkdir -p out
"$bin/nimralnk.exe" -dll -o out/mydll.dll d.obj; check "dll link" 0 $?
check "import library" "$(printf '!<nimra-import>\nmydll.dll')" "$(cat out/mydll.lib)"
"$bin/nimralnk.exe" -subsystem console -o out/use.exe u.obj out/mydll.lib
check "program with dll" "$(printf 'LibMain 1 module\nplus 105\nLibMain 0 module')" "$(cd / && "$dir/out/use.exe")"
"$bin/imgdump.exe" /isdos "$dir/out/mydll.dll"; check "isdos dll" 0 $?
printf 'not a library\n' >out/other.lib
cp out/other.lib other.keep
"$bin/nimralnk.exe" -dll -o out/other.dll d.obj 2>/dev/null
check "foreign library kept" "$(cat other.keep)" "$(cat out/other.lib)"
"$bin/nimralnk.exe" -dll -entry Missing -o out/x.dll d.obj 2>/dev/null
check "missing entry" 1 $?

# conrun without a terminal: output and exit code pass through.
out=$("$bin/conrun.exe" hello.exe a b </dev/null 2>&1); rc=$?
check "conrun output" "twice 46" "$out"
check "conrun exit" 3 $rc
"$bin/conrun.exe" no-such-program </dev/null 2>/dev/null; check "conrun missing program" 127 $?
# With a display, through a terminal window: one that runs the command and one that hands it
# to a server and returns at once.
mkdir fake
cat >fake/xterm <<'SH'
#!/bin/sh
[ "$1" = -T ] && [ "$3" = -e ] || exit 9
shift 3
if [ -n "${FAKE_DETACH:-}" ]; then (sleep 1; exec "$@") >"$FAKE_DETACH" 2>&1 & exit 0; fi
exec "$@"
SH
chmod +x fake/xterm
out=$(DISPLAY=:99 PATH=$dir/fake:$PATH setsid -w "$bin/conrun.exe" ./hello.exe x </dev/null); rc=$?
check "conrun in a window" "3 twice 44" "$rc $out"
DISPLAY=:99 FAKE_DETACH=$dir/detached.txt PATH=$dir/fake:$PATH setsid -w "$bin/conrun.exe" ./hello.exe x y </dev/null
check "conrun in a detached window" "3 twice 46" "$? $(cat detached.txt)"

echo "$passes passed, $fails failed"
[ $fails -eq 0 ]
