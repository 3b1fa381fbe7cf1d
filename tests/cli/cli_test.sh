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

if [ $fails -eq 0 ]; then echo "cli: all checks passed"; fi
exit $((fails > 0))
