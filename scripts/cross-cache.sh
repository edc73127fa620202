# Sourced by windows.sh and test-windows.sh: what the Windows build is made with, built once
# per machine into a cache outside any build folder (and outside the clone, so that every
# clone on the machine, CI's among them, shares it). Each library has a folder of its own,
# named by its version and a hash of how it is built, so changing either builds it anew.
#
# TARVIK_CROSS_CACHE names the cache (default: ~/.cache/tarvik-windows).

cross_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cross_cache="${TARVIK_CROSS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tarvik-windows}"
cross_host=x86_64-w64-mingw32
cross_toolchain="$cross_root/cmake/mingw-w64.cmake"
cross_jobs="$(nproc)"
cross_packages=(g++-mingw-w64-x86-64-posix wine wine64 nsis ninja-build cmake pkg-config dpkg-dev
                xz-utils zip perl autoconf automake libtool gettext flex bison qt6-base-dev
                qt6-base-dev-tools qt6-translations-l10n fonts-dejavu-core xvfb xauth openbox x11-utils)

# Qt: qtbase only, static, with the installed Debian Qt (same version) as its host tools.
# Qt's own libjpeg stays out: ours is linked for the photo, and two would clash.
qt_version=6.4.2
qt_options=(-DBUILD_SHARED_LIBS=OFF -DCMAKE_BUILD_TYPE=Release -DQT_BUILD_TESTS=OFF
            -DQT_BUILD_EXAMPLES=OFF -DQT_QMAKE_TARGET_MKSPEC=win32-g++
            -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_printsupport=OFF
            -DFEATURE_dbus=OFF -DFEATURE_xml=OFF -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF
            -DFEATURE_icu=OFF -DFEATURE_glib=OFF -DFEATURE_zstd=OFF -DFEATURE_jpeg=OFF
            -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
            -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF
            -DFEATURE_system_doubleconversion=OFF -DFEATURE_concurrent=ON -DFEATURE_testlib=ON
            -DFEATURE_tabletevent=OFF -DFEATURE_dynamicgl=OFF)
sqlite_version=3.40.1
sqlite_options=(-O2 -DSQLITE_THREADSAFE=1 -DSQLITE_DEFAULT_FOREIGN_KEYS=0 -DSQLITE_OMIT_LOAD_EXTENSION)
jpeg_version=2.1.5
jpeg_options=(-DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF
              -DCMAKE_BUILD_TYPE=Release)
mdb_version=1.0.1
mdb_sha256=c67cf7b3f6128c839a32b0afc180e62b6a938c1fc798b1cdcf77f029a7d59f95
mdb_options=(--disable-shared --enable-static --disable-glib --disable-man --without-iconv)

cross_key() { # name version options...
    local name=$1 version=$2
    shift 2
    echo "$name-$version-$(printf '%s\n' "$@" | sha1sum | cut -c1-10)"
}
qt_prefix="$cross_cache/$(cross_key qtbase "$qt_version" "${qt_options[@]}")"
sqlite_prefix="$cross_cache/$(cross_key sqlite "$sqlite_version" "${sqlite_options[@]}")"
jpeg_prefix="$cross_cache/$(cross_key libjpeg "$jpeg_version" "${jpeg_options[@]}")"
mdb_prefix="$cross_cache/$(cross_key libmdb "$mdb_version" "${mdb_options[@]}")"
cross_prefixes=("$qt_prefix" "$sqlite_prefix" "$jpeg_prefix" "$mdb_prefix")

# A library's folder counts only once its build finished: the stamp is written last.
cross_complete() {
    local prefix
    for prefix in "${cross_prefixes[@]}"; do
        [ -f "$prefix/.complete" ] || return 1
    done
}

# The Windows programs run under wine64 in a prefix of the cache's own, made once.
cross_wine() {
    export WINEPREFIX="$cross_cache/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    if [ ! -f "$WINEPREFIX/.complete" ]; then
        wineboot --init >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.complete"
    fi
}

# Configures a cross build of the project into the folder $1 with the cached libraries; the
# build runs the Windows programs it makes (the empty Plans.mdb's maker) under Wine.
cross_configure() {
    local build=$1
    shift
    cross_wine
    local IFS=';'
    PKG_CONFIG_LIBDIR="$mdb_prefix/lib/pkgconfig" cmake -S "$cross_root" -B "$build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$cross_toolchain" -DTARVIK_CROSS_PREFIX="${cross_prefixes[*]}" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_CROSSCOMPILING_EMULATOR=wine -DCMAKE_BUILD_TYPE=Release -DTARVIK_WERROR=ON "$@"
}

# Debian's source of a package, unpacked into the current folder.
debian_source() {
    if ! apt-get source --download-only "$1" >/dev/null 2>&1; then
        local list=/etc/apt/sources.list.d/tarvik-deb-src.sources sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        printf '%s\n' "Types: deb-src" "URIs: http://deb.debian.org/debian" \
            "Suites: bookworm bookworm-updates" "Components: main" \
            "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" | $sudo tee "$list" >/dev/null
        $sudo apt-get update -qq
        apt-get source --download-only "$1" >/dev/null
    fi
    local orig
    for orig in "$1"_*.orig.tar.*; do
        case "$orig" in *orig-*) continue ;; esac
        tar xf "$orig"
    done
}

cross_build_step() { # name prefix function
    local name=$1 prefix=$2 work
    [ -f "$prefix/.complete" ] && return 0
    echo "Building $name for Windows into $prefix (once per machine; log: $prefix.log)"
    rm -rf "$prefix"
    work="$(mktemp -d "$cross_cache/work.XXXXXX")"
    # A shell of its own, so that the first failing command stops the step.
    if ! bash -euo pipefail -c 'source "$1"; source "$2"; cd "$3"; "$4" "$5"' step \
            "$cross_root/scripts/packages.sh" "$cross_root/scripts/cross-cache.sh" "$work" "$3" \
            "$prefix" >"$prefix.log" 2>&1; then
        tail -30 "$prefix.log"
        echo "Building $name failed; the whole log is $prefix.log" >&2
        rm -rf "$work"
        return 1
    fi
    rm -rf "$work"
    touch "$prefix/.complete"
}

build_sqlite() {
    debian_source sqlite3
    cd sqlite3-*/
    ./configure --disable-tcl
    make sqlite3.c
    mkdir -p "$1/include" "$1/lib"
    $cross_host-gcc-posix "${sqlite_options[@]}" -c sqlite3.c -o sqlite3.o
    $cross_host-gcc-ar-posix rcs "$1/lib/libsqlite3.a" sqlite3.o
    cp sqlite3.h sqlite3ext.h "$1/include/"
}

build_jpeg() {
    debian_source libjpeg-turbo
    cmake -S libjpeg-turbo-*/ -B build -G Ninja -DCMAKE_TOOLCHAIN_FILE="$cross_toolchain" \
        -DCMAKE_INSTALL_PREFIX="$1" "${jpeg_options[@]}"
    cmake --build build -j"$cross_jobs"
    cmake --install build
}

build_mdb() {
    local tarball="$cross_root/../shared/vendor/mdbtools-$mdb_version.tar.gz"
    [ -f "$tarball" ] || tarball="${TARVIK_MDBTOOLS_TARBALL:-$tarball}"
    echo "$mdb_sha256  $tarball" | sha256sum -c -
    tar xzf "$tarball"
    cd mdbtools-*/
    # MinGW-w64 names the locale type _locale_t, and its process.h already declares spawnv.
    sed -i 's/CFLAGS="$CFLAGS -D_spawnv=spawnv"/LOCALE_T=_locale_t/' configure.ac
    autoreconf -fi
    ./configure --host=$cross_host CC=$cross_host-gcc-posix --prefix="$1" "${mdb_options[@]}"
    make -C src/libmdb -j"$cross_jobs"
    make -C src/libmdb install
    make -C include install
    [ ! -f mdbtools.pc ] || install -D -m 644 mdbtools.pc "$1/lib/pkgconfig/libmdb.pc"
    [ ! -f libmdb.pc ] || install -D -m 644 libmdb.pc "$1/lib/pkgconfig/libmdb.pc"
}

build_qt() {
    debian_source qt6-base
    cmake -S qtbase-everywhere-src-$qt_version -B build -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$cross_toolchain" -DCMAKE_INSTALL_PREFIX="$1" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        "${qt_options[@]}"
    cmake --build build -j"$cross_jobs"
    cmake --install build
}

# Everything the Windows build is made with, built where it is missing.
cross_build_cache() {
    install_packages "${cross_packages[@]}"
    mkdir -p "$cross_cache"
    cross_build_step SQLite "$sqlite_prefix" build_sqlite
    cross_build_step libjpeg "$jpeg_prefix" build_jpeg
    cross_build_step libmdb "$mdb_prefix" build_mdb
    cross_build_step Qt "$qt_prefix" build_qt
    cross_wine
}
