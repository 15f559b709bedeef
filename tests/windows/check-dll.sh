#!/bin/sh
# Checks the built Quenvo.dll from the outside, as objdump -p shows it:
#   - it exports exactly the names of src/core/quenvo.def, undecorated;
#   - it imports only Windows' own DLLs and Direct3D 9 / D3DX 9 (the codecs and the C++
#     runtime are linked in statically);
# and the test host, likewise, needs no runtime DLL of the compiler.
#
# usage: check-dll.sh WINDOWS_BUILD_DIR [OBJDUMP]
set -eu

build=${1:?usage: check-dll.sh WINDOWS_BUILD_DIR [OBJDUMP]}
objdump=${2:-i686-w64-mingw32-objdump}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
dll="$build/Quenvo.dll"
failed=0

fail() {
    echo "check-dll: $*"
    failed=1
}

# The export names of a PE file, one a line, sorted.
exported_names() {
    "$objdump" -p "$1" | awk '
        /^\[Ordinal\/Name Pointer\] Table/ { table = 1; next }
        table && /^[ \t]*\[ *[0-9]+\] / { print $NF; next }
        table && NF == 0 { table = 0 }'
}

# The DLLs a PE file imports, lower case, one a line, sorted.
imported_dlls() {
    "$objdump" -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u
}

[ -f "$dll" ] || { echo "check-dll: no $dll"; exit 1; }

wanted=$(sed -n 's/^\s\+\(qnv_[A-Za-z]*\)\s*$/\1/p' "$source_dir/src/core/quenvo.def" | sort)
got=$(exported_names "$dll" | sort)
[ "$(echo "$wanted" | wc -l)" -eq 18 ] || fail "quenvo.def does not list 18 names"
if [ "$wanted" != "$got" ]; then
    fail "Quenvo.dll exports differ from quenvo.def:"
    printf '%s\n' "$wanted" >"$build/exports.wanted"
    printf '%s\n' "$got" >"$build/exports.got"
    diff "$build/exports.wanted" "$build/exports.got" || true
fi

# Windows' own DLLs, and the DirectX ones the library is allowed to need.
allowed="kernel32.dll user32.dll ole32.dll oleaut32.dll winmm.dll advapi32.dll msvcrt.dll
d3d9.dll d3dx9_42.dll"
for name in $(imported_dlls "$dll"); do
    case " $(echo $allowed) " in
    *" $name "*) ;;
    *) fail "Quenvo.dll imports $name" ;;
    esac
done

for name in $(imported_dlls "$build/quenvo_host.exe"); do
    case "$name" in
    libstdc++* | libgcc* | libwinpthread* | libogg* | libvorbis* | libtheora*)
        fail "quenvo_host.exe imports $name"
        ;;
    esac
done

if [ "$failed" -eq 0 ]; then
    echo "check-dll: Quenvo.dll exports the 18 names and imports only: $(imported_dlls "$dll" | tr '\n' ' ')"
fi
exit "$failed"
