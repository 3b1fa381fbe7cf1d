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

if [ $fails -eq 0 ]; then echo "cli: all checks passed"; fi
exit $((fails > 0))
