#!/usr/bin/env bash
# The command-line driver end to end: catalogue texts, profile reads and writes, settings.
set -u
cli=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export XDG_CONFIG_HOME=$dir/config
fails=0
check() {  # name expected actual
    if [ "$2" != "$3" ]; then
        echo "FAIL $1: expected [$2] got [$3]"
        fails=$((fails + 1))
    fi
}

check "msg 406" "Error" "$("$cli" msg 406)"
check "msg 8142" "Establish a book mark at the current position" "$("$cli" msg 8142)"
check "msg unknown" "" "$("$cli" msg 7)"
"$cli" msg abc >/dev/null 2>&1; check "msg bad id exit" 2 $?

ini=$dir/t.ini
printf '; keep me\r\n[Velt]\r\nTabsize = 8\r\n\r\n[other]\r\nx=1\r\n' >"$ini"
check "ini get" "8" "$("$cli" ini get "$ini" velt TABSIZE 4)"
check "ini get default" "4" "$("$cli" ini get "$ini" velt Missing 4)"
"$cli" ini set "$ini" velt Tabsize 3
"$cli" ini set "$ini" velt NewKey "a b"
check "ini set in place" "$(printf '; keep me\r\n[Velt]\r\nTabsize=3\r\nNewKey=a b\r\n\r\n[other]\r\nx=1\r\n')" "$(cat "$ini")"
"$cli" ini set "$ini" other x
check "ini remove" "$(printf '; keep me\r\n[Velt]\r\nTabsize=3\r\nNewKey=a b\r\n\r\n[other]\r\n')" "$(cat "$ini")"
"$cli" ini set "$dir/nodir/x.ini" s k v 2>/dev/null; check "ini set unwritable exit" 1 $?

mkdir -p "$dir/root/lib" "$dir/root/bin"
printf '[velt]\nTabsize=2\nSubScroll=0\n' >"$dir/root/lib/velt.prj"
out=$("$cli" prefs "$dir/root")
check "prefs first key" "Tabsize=2" "$(echo "$out" | head -1)"
check "prefs SubScroll" "SubScroll=1" "$(echo "$out" | grep '^SubScroll=')"
check "prefs FontName" "FontName=Courier" "$(echo "$out" | grep '^FontName=')"

# A first run records the root; a second one leaves the user's choice alone.
"$cli" root register "$dir/root"
check "root registered" "$dir/root/include" "$("$cli" ini get "$XDG_CONFIG_HOME/nimra/registry.ini" 'Software\nimra\Compiler' includepath none)"
"$cli" root register "$dir/other"
check "root kept" "$dir/root/include" "$("$cli" ini get "$XDG_CONFIG_HOME/nimra/registry.ini" 'Software\nimra\Compiler' includepath none)"

# Handing a file to a running Velt when none runs (a runtime directory of the test's own).
mkdir -m 700 "$dir/run"
err=$(XDG_RUNTIME_DIR=$dir/run "$cli" send open "$dir/t.ini" 2>&1 >/dev/null); rc=$?
check "send open without instance exit" 1 $rc
check "send open without instance text" "velt-cli: no running Velt to open $dir/t.ini" "$err"

# The colours of one line, run by run.
printf 'int x; /* a\r\nb */ sizeof(y)\r\n#  include <a.h>\r\n' >"$dir/c.C"
check "colour keyword and comment" "$(printf 'keyword|int\ntext| x; \ncomment|/* a')" "$("$cli" colour "$dir/c.C" 1)"
check "colour comment across lines" "$(printf 'comment|b */\ntext| \nkeyword|sizeof\ntext|(y)')" "$("$cli" colour "$dir/c.C" 2)"
check "colour directive" "$(printf 'keyword|#  include\ntext| <a.h>')" "$("$cli" colour "$dir/c.C" 3)"
cp "$dir/c.C" "$dir/c.c2"
check "colour no language" "text|int x; /* a" "$("$cli" colour "$dir/c.c2" 1)"
"$cli" colour "$dir/c.C" 4 2>/dev/null; check "colour missing line exit" 1 $?

# Loading and saving documents.
printf 'int x;  \nchar y;\r\n%s\n\tlast' "$(head -c 1200 /dev/zero | tr '\0' a)" >"$dir/doc.c"
check "load counts" "lines 6 broken 2 flags 0x0004" "$("$cli" load "$dir/doc.c" 2>/dev/null)"
printf 'a\nb' >"$dir/ro.c"; chmod 444 "$dir/ro.c"
check "load read-only" "lines 2 broken 0 flags 0x4000" "$("$cli" load "$dir/ro.c")"
"$cli" load "$dir/none.c" 2>/dev/null; check "load missing exit" 1 $?
printf 'old' >"$dir/out.c"; chmod 640 "$dir/out.c"
"$cli" resave "$dir/ro.c" "$dir/out.c"
check "resave" "$(printf 'a\r\nb\r\n')" "$(cat "$dir/out.c")"
check "resave keeps the mode" "640" "$(stat -c %a "$dir/out.c")"
"$cli" resave "$dir/ro.c" "$dir/ro.c" 2>/dev/null; check "resave read-only target exit" 1 $?

# Regular expressions: each line's first match, or the compilation error's text.
printf 'ac\r\nxx abbbc\n$\nnothing\nabc' >"$dir/re.txt"
check "regex file" "$(printf '1:0:2\n2:3:5\n5:0:3')" "$("$cli" regex 'ab*c' "$dir/re.txt")"
check "regex stdin" "$(printf '2:0:1\n3:1:2')" "$(printf 'b\n(\nx()\n' | "$cli" regex '\(.*\)$|[(]')"
check "regex error" "Invalid [] range" "$("$cli" regex '[z-a]' </dev/null)"
"$cli" regex '(a' </dev/null >/dev/null; check "regex error exit" 1 $?

# Function lists and the check before saving, the language chosen by the extension.
printf 'int add(int a, int b);\nstatic int\nadd(int a, int b)\n{\n  return a + b;\n}\nint main(void) { return add(1, 2); }\n' >"$dir/f.c"
check "functions C" "$(printf 'add 3 6\nmain 7 7')" "$("$cli" functions "$dir/f.c")"
printf 'program P;\nprocedure Q;\nbegin\nend;\nbegin\nend.\n' >"$dir/p.pas"
check "functions Pascal" "Q 2 4" "$("$cli" functions "$dir/p.pas")"
check "functions none" "" "$("$cli" functions "$dir/t.ini")"
"$cli" functions "$dir/none.c" 2>/dev/null; check "functions missing exit" 2 $?
check "check ok" "ok" "$("$cli" check "$dir/f.c")"
printf 'void f(void)\n{\n  g(a;\n}\n' >"$dir/bad.c"
out=$("$cli" check "$dir/bad.c"); rc=$?
check "check problem" "$dir/bad.c: Syntax error line 3" "$out"
check "check problem exit" 1 $rc
printf 'feature\n  f (x\n' >"$dir/a.e"
check "check eiffel" "$dir/a.e: Mismatched () after line 2" "$("$cli" check "$dir/a.e")"
err=$("$cli" check "$dir/p.pas" 2>&1 >/dev/null); rc=$?
check "check no check exit" 2 $rc
check "check no check text" "velt-cli: no syntax check for the language of $dir/p.pas" "$err"
err=$("$cli" check "$dir/none.c" 2>&1 >/dev/null); rc=$?
check "check missing exit" 2 $rc
check "check missing text" "velt-cli: cannot open $dir/none.c" "$err"

# Find in files: the search page's lines, names relative to the current directory, then the count.
mkdir -p "$dir/g/sub"
printf 'int main(void)\r\n\t  return domain;\r\n' >"$dir/g/a.c"
printf '#define MAIN 1\n' >"$dir/g/sub/b.h"
printf 'main2();\n' >"$dir/g/sub/c.c"
lower=$(printf '%s' "$dir" | tr 'A-Z' 'a-z')
check "grep whole words" "$(printf "Searching for 'main' in '*.c *.h': 1 hits.\n[a.c:1] int main(void)\n1 hits")" \
    "$(cd "$dir/g" && "$cli" grep -w main . '*.c' '*.h')"
check "grep ignore case with sub-directories" "$(printf "Searching for 'main' in '*.c *.h': 2 hits.\n[$lower/g/a.c:1] int main(void)\n[$lower/g/sub/b.h:1] #define MAIN 1\n2 hits")" \
    "$("$cli" grep -i -w -r main "$dir/g/" '*.c' '*.h')"
check "grep several words" "$(printf "Searching for 'domain return' in '*.c': 1 hits.\n[a.c:2] return domain;\n1 hits")" \
    "$(cd "$dir/g" && "$cli" grep -m 'domain return' . '*.c')"
err=$("$cli" grep nowhere "$dir/g" '*.c' 2>&1 >/dev/null); rc=$?
check "grep not found exit" 1 $rc
check "grep not found text" "Error: 'nowhere': not found" "$err"
err=$("$cli" grep main "$dir/nodir" '*.c' 2>&1 >/dev/null); rc=$?
check "grep missing directory exit" 2 $rc
check "grep missing directory text" "Error: Directory $dir/nodir doesn't exist" "$err"
err=$("$cli" grep -e 'ma(in' "$dir/g" '*.c' 2>&1 >/dev/null); rc=$?
check "grep bad expression" "2 Error: Mismatched () in regular expression" "$rc $err"
"$cli" grep main "$dir/g" >/dev/null 2>&1; check "grep usage exit" 2 $?

# A project as loaded through its root's projects table, and saved back without windows.
mkdir -p "$dir/proot/lib" "$dir/pw"
printf '[Projects]\nhello=%s/pw/hello.prj\n' "$dir" >"$dir/proot/lib/projects.ini"
printf '; Velt project file. Syntax: Name = value\n[hello]\nFrame=1 2 3 4\nOpenFiles=2\nOpenFile1="/a b.c" 3 -1 2 3 4\nOpenFile2=/c.c 1 0 0 -5 6\nPrjFiles=2\nFile1=a.c\nFile2=b.c\nFile1Dependencies=1\nFile1Dependencies1=a.h\nCustom=kept\n' >"$dir/pw/hello.prj"
out=$("$cli" project "$dir/proot" hello)
check "project first keys" "$(printf 'Frame=1 2 3 4\nStatusBar=0,0,0,0\nName=hello')" "$(echo "$out" | head -3)"
check "project open files" "$(printf 'OpenFiles=2\nOpenFile1="/c.c" 1 0 0 -5 6\nOpenFile2="/a b.c" 3 -1 2 3 4')" "$(echo "$out" | grep '^OpenFile')"
check "project file list" "$(printf 'PrjFiles=2\nFile1=B.C\nFile2=A.C\nFile2Dependencies=1\nFile2Dependencies1=a.h')" "$(echo "$out" | grep '^PrjFiles\|^File[0-9]')"
"$cli" project "$dir/proot" hello --resave >/dev/null; check "project resave exit" 0 $?
check "project resave keeps other keys" "Custom=kept" "$(grep '^Custom=' "$dir/pw/hello.prj")"
check "project resave without windows" "OpenFiles=0" "$(grep '^OpenFiles=' "$dir/pw/hello.prj")"
check "project reloaded" "$(printf 'OpenFiles=0\nPrjFiles=2\nFile1=A.C\nFile2=B.C\nFile1Dependencies=1\nFile1Dependencies1=a.h')" \
    "$("$cli" project "$dir/proot" hello | grep '^OpenFile\|^PrjFiles\|^File[0-9]')"
err=$("$cli" project "$dir/proot" nope 2>&1 >/dev/null); rc=$?
check "project unknown" "1 velt-cli: no project nope in $dir/proot/lib/projects.ini" "$rc $err"

# The makefile of a registered project, against a root whose compiler lists fixed headers.
mkdir -p "$dir/mroot/lib" "$dir/mroot/bin" "$dir/mw/out"
printf '#!/bin/sh\nfor a; do case "$a" in -Fo*) o="${a#-Fo}";; esac; done\nprintf "/inc/stdio.h\\n" >"$o"\n' >"$dir/mroot/bin/nimra.exe"
chmod +x "$dir/mroot/bin/nimra.exe"
printf 'int main(void){return 0;}\n' >"$dir/mw/hello.c"
printf '[Projects]\nhello=%s/mw/hello.prj\n' "$dir" >"$dir/mroot/lib/projects.ini"
printf '; Velt project file. Syntax: Name = value\n[hello]\nMakeDir=%s/mw/out\nSourcesDir=%s/mw\nCompilerFlags=136\nIncludes=/inc\nPrjFiles=1\nFile1=HELLO.C\n' "$dir" "$dir" >"$dir/mw/hello.prj"
out=$(cd "$dir/mw" && "$cli" makefile "$dir/mroot" hello); rc=$?
check "makefile exit and name" "0 $dir/mw/out/Makefile" "$rc $out"
check "makefile text" "$(printf '# Velt Makefile for project hello\nCFLAGS=-I/inc  -g2 \nCC=%s/mroot/bin/nimra.exe\nLINKER=%s/mroot/bin/nimralnk.exe\nOBJS=\\\n\thello.obj\n\nLIBS=\n\nhello.exe:\t$(OBJS) Makefile\n\t$(LINKER)  -subsystem console -o hello.exe $(OBJS) $(LIBS)\n\n# Build HELLO.C\nHELLO_C=\\\n\t/inc/stdio.h\\\n\nhello.obj: $(HELLO_C) %s/mw/hello.c\n\t$(CC) -c $(CFLAGS) %s/mw/hello.c\n\nlink:\n\t$(LINKER)  -subsystem console -o hello.exe $(OBJS) $(LIBS)\n' "$dir" "$dir" "$dir" "$dir")" "$(cat "$dir/mw/out/Makefile")"
printf 'all:\n' >"$dir/mw/out/Makefile"
(cd "$dir/mw" && "$cli" makefile "$dir/mroot" hello >/dev/null 2>&1)
check "makefile hand-written kept" "all:" "$(cat "$dir/mw/out/Makefile.old")"
sed -i 's/^PrjFiles=1$/PrjFiles=2/' "$dir/mw/hello.prj"; printf 'File2=GRAMMAR.Y\n' >>"$dir/mw/hello.prj"
(cd "$dir/mw" && "$cli" makefile "$dir/mroot" hello >/dev/null 2>&1); check "makefile unknown file exit" 1 $?
"$cli" makefile "$dir/mroot" nope >/dev/null 2>&1; check "makefile unknown project exit" 1 $?

# A build without a window: the make command's error stream on the build page.
mkdir -p "$dir/broot/lib" "$dir/bw/out"
printf '#!/bin/sh\necho "Error a.c: 3  bad" >&2\nexit 4\n' >"$dir/bw/fakemake"; chmod +x "$dir/bw/fakemake"
printf '[Projects]\nhello=%s/bw/hello.prj\n' "$dir" >"$dir/broot/lib/projects.ini"
printf '; Velt project file. Syntax: Name = value\n[hello]\nMakeName=%s/bw/fakemake\nMakeDir=%s/bw/out\nExe=hello.exe\nPrjFiles=0\n' "$dir" "$dir" >"$dir/bw/hello.prj"
printf 'all:\n' >"$dir/bw/out/makefile"
out=$("$cli" build "$dir/broot" hello 2>/dev/null); rc=$?
check "build diagnostics" "Error a.c: 3  bad" "$(echo "$out" | head -1)"
check "build return code" "1 Return code: 4" "$rc $(echo "$out" | tail -1 | sed 's/.*, //')"
printf '#!/bin/sh\nexit 0\n' >"$dir/bw/fakemake"
out=$("$cli" build "$dir/broot" hello 2>/dev/null); rc=$?
check "build success" "0 hello.exe built successfully." "$rc $(echo "$out" | cut -d' ' -f1-3)"
rm "$dir/bw/out/makefile"
"$cli" build "$dir/broot" hello >/dev/null 2>&1; check "build refused without makefile" 1 $?

if [ $fails -eq 0 ]; then echo "cli: all checks passed"; fi
exit $((fails > 0))
