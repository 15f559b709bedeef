#!/bin/sh
# Cross-compiles libogg, libvorbis (with vorbisfile) and the libtheora decoder for
# 32-bit Windows (i686-w64-mingw32) from Debian's source packages, as static libraries,
# into PREFIX. A finished prefix carries a stamp naming the source versions, the target
# and this script's checksum; when the stamp matches, the prefix is reused and nothing is
# rebuilt.
#
# usage: build-windows-deps.sh PREFIX [HOST]
#   PREFIX  install prefix (include/, lib/); its sources are unpacked next to it
#   HOST    the cross triplet, i686-w64-mingw32 by default
set -eu

prefix=${1:?usage: build-windows-deps.sh PREFIX [HOST]}
host=${2:-i686-w64-mingw32}
packages="libogg libvorbis libtheora"

mkdir -p "$prefix"
prefix=$(cd "$prefix" && pwd)
work="$prefix.src"
stamp="$prefix/.quenvo-deps"

say() { echo "build-windows-deps: $*"; }

# apt-get source needs a deb-src entry; Debian images often ship only deb lines.
ensure_source_entries() {
    if apt-cache showsrc libogg 2>/dev/null | grep -q '^Package:'; then
        return
    fi
    say "adding a deb-src entry for the system's Debian suites"
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    cat >/etc/apt/sources.list.d/quenvo-deb-src.sources <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $codename $codename-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    apt-get update -qq
}

# The versions that apt-get source would fetch now, one "name version" per line.
source_versions() {
    for p in $packages; do
        v=$(apt-cache showsrc "$p" | sed -n 's/^Version: //p' | sort -V | tail -n 1)
        echo "$p $v"
    done
}

ensure_source_entries
# The script itself is part of the stamp: a change to how the libraries are built
# rebuilds them.
wanted=$(source_versions; echo "host $host"; echo "script $(sha256sum <"$0" | cut -d' ' -f1)")
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$wanted" ]; then
    say "reusing $prefix"
    exit 0
fi

rm -rf "$work" "$prefix"
mkdir -p "$work" "$prefix"
cd "$work"
say "fetching sources: $packages"
apt-get source -qq $packages >fetch.log 2>&1 || { cat fetch.log; exit 1; }

jobs=$(nproc 2>/dev/null || echo 2)
[ "$jobs" -gt 2 ] && jobs=2
export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig"
export PKG_CONFIG_PATH=""
export CFLAGS="-O2 -g0"

# Runs make with the given arguments in the current tree; shows the log's tail on failure.
run_make() {
    make "$@" >>make.log 2>&1 || { tail -n 40 make.log; exit 1; }
}

# Configures the unpacked tree of package NAME (further arguments go to configure) and
# leaves the shell in it.
configure_package() {
    cd "$(find "$work" -maxdepth 1 -type d -name "$1-*" | head -n 1)"
    shift
    say "building $(basename "$PWD")"
    # Debian's patches may leave configure older than configure.ac; the shipped
    # configure is what we want, so keep make from regenerating it.
    touch aclocal.m4 configure config.h.in
    find . -name Makefile.in -exec touch {} +
    ./configure --host="$host" --prefix="$prefix" --enable-static --disable-shared \
        "$@" >configure.log 2>&1 || { tail -n 40 configure.log; exit 1; }
}

configure_package libogg
run_make -j"$jobs"
run_make install

configure_package libvorbis --with-ogg="$prefix" --disable-docs --disable-examples \
    --disable-oggtest
run_make -j"$jobs"
run_make install

# The library, its headers and its pkg-config files only: the documentation needs tools
# we do not have.
configure_package libtheora --with-ogg="$prefix" --disable-encode --disable-examples \
    --disable-oggtest --disable-vorbistest --disable-sdltest --disable-doc
run_make -j"$jobs" -C lib
run_make -C lib install
run_make -C include install
run_make install-pkgconfigDATA

for file in lib/libogg.a lib/libvorbis.a lib/libvorbisfile.a lib/libtheoradec.a \
    include/ogg/ogg.h include/vorbis/vorbisfile.h include/theora/theoradec.h; do
    [ -f "$prefix/$file" ] || { say "missing $file"; exit 1; }
done
echo "$wanted" >"$stamp"
say "done: $prefix"
