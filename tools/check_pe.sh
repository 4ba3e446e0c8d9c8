#!/bin/bash
# Checks the import and export tables of Windows binaries built here.
#
#   check_pe.sh imports FILE...
#       every FILE (PE32+) imports from Windows system DLLs only: the host
#       machine has nothing else, in particular none of the compiler's
#       runtime DLLs.
#   check_pe.sh exports DLL DEF SOURCE_DIR...
#       DLL carries its own name, exports every name of DEF undecorated, and
#       otherwise only the decorated C++ names of the functions and classes
#       marked VX_CORE_CXX in the sources under the SOURCE_DIRs (each of them
#       at least once). Nothing else leaks out.
#
# OBJDUMP and CXXFILT name the cross tools (default x86_64-w64-mingw32-*).
set -euo pipefail

OBJDUMP="${OBJDUMP:-x86_64-w64-mingw32-objdump}"
CXXFILT="${CXXFILT:-x86_64-w64-mingw32-c++filt}"
SYSTEM_DLLS="KERNEL32.dll msvcrt.dll OLEAUT32.dll"

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

check_imports() {
    local file dump dll
    for file in "$@"; do
        dump=$("$OBJDUMP" -p "$file") || { fail "$file: objdump cannot read it"; continue; }
        grep -q 'Magic.*(PE32+)' <<<"$dump" || fail "$file: not a 64-bit (PE32+) image"
        while read -r dll; do
            [ -n "$dll" ] || continue
            case " ${SYSTEM_DLLS,,} " in
                *" ${dll,,} "*) echo "ok: $file imports $dll" ;;
                *) fail "$file imports $dll, which the host machine does not have" ;;
            esac
        done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
    done
}

# The exported names, one a line.
exported_names() {
    "$OBJDUMP" -p "$1" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[ *[0-9]*\] //p'
}

# The names a .def exports, without ordinals, aliases or flags.
def_names() {
    sed -e 's/;.*//' "$1" | awk '
        toupper($1) == "LIBRARY" || toupper($1) == "EXPORTS" || NF == 0 { next }
        { split($1, parts, "="); print parts[1] }'
}

# Names of the functions and classes that export their decorated C++ names:
# the last word between the VX_CORE_CXX mark and the parameter list or
# template arguments, in declarations (not comments or the macro itself).
decorated_roots() {
    local dir dirs=()
    for dir in "$@"; do
        [ -d "$dir" ] && dirs+=("$dir")  # a subsystem may have no sources yet
    done
    [ ${#dirs[@]} -gt 0 ] || return 0
    { grep -rhE --include='*.h' --include='*.cpp' '^[^/#*]*\bVX_CORE_CXX\b' "${dirs[@]}" || true; } |
        sed -E 's/^.*\bVX_CORE_CXX\b//; s/[(;{<:].*$//' |
        awk 'NF { print $NF }' | sed -E 's/^.*[^A-Za-z0-9_]//' | sort -u
}

check_exports() {
    local dll="$1" def="$2"
    shift 2
    local exports listed roots name demangled root matched
    exports=$(exported_names "$dll")
    [ -n "$exports" ] || { fail "$dll exports nothing"; return; }

    local own_name
    own_name=$("$OBJDUMP" -p "$dll" | sed -n 's/^Name[[:space:]]*[0-9a-fA-F]* //p')
    [ "$own_name" = "$(basename "$dll")" ] || fail "$dll calls itself '$own_name'"

    listed=$(def_names "$def")
    while read -r name; do
        grep -qxF "$name" <<<"$exports" || fail "$name is in $(basename "$def") but not exported"
    done <<<"$listed"

    roots=$(decorated_roots "$@")
    local seen_roots=""
    while read -r name; do
        grep -qxF "$name" <<<"$listed" && continue
        matched=""
        if [[ "$name" == _Z* ]]; then
            demangled=$("$CXXFILT" "$name")
            while read -r root; do
                [ -n "$root" ] || continue
                # Free function "root(...)" or a member of class "root<...>::"/"root::".
                if [[ "$demangled" =~ (^|[^A-Za-z0-9_])$root(\(|<|::) ]]; then
                    matched=$root
                    seen_roots+=" $root"
                    break
                fi
            done <<<"$roots"
        fi
        if [ -n "$matched" ]; then
            echo "ok: $name exported as C++ ($demangled)"
        else
            fail "unexpected export $name${demangled:+ ($demangled)}"
        fi
        demangled=""
    done <<<"$exports"

    while read -r root; do
        [ -n "$root" ] || continue
        [[ " $seen_roots " == *" $root "* ]] || fail "$root is marked VX_CORE_CXX but has no decorated export"
    done <<<"$roots"
    echo "checked $(wc -l <<<"$exports") exports of $dll against $(wc -l <<<"$listed") listed names"
}

case "${1:-}" in
    imports)
        shift
        [ $# -ge 1 ] || { echo "usage: $0 imports FILE..." >&2; exit 2; }
        check_imports "$@"
        ;;
    exports)
        [ $# -ge 4 ] || { echo "usage: $0 exports DLL DEF SOURCE_DIR..." >&2; exit 2; }
        shift
        check_exports "$@"
        ;;
    *)
        echo "usage: $0 imports FILE... | exports DLL DEF SOURCE_DIR..." >&2
        exit 2
        ;;
esac

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all checks passed"
