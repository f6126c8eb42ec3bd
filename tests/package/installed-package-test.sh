#!/usr/bin/env bash
# Installs this build into a temporary prefix, checks the layout a host author relies on, and
# builds the minimal host (examples/minimal-host) against the installed files twice: through
# the CMake package and through pkg-config. Each host then reads a short text to the end under
# a display (a virtual one when there is none), loading the installed library.
#
#     installed-package-test.sh BUILD_DIR SOURCE_DIR LIBDIR
#
# LIBDIR is the library folder inside the prefix (CMAKE_INSTALL_LIBDIR).
set -euo pipefail

build=$1
source=$2
libdir=$3

work=$(mktemp -d "${TMPDIR:-/tmp}/flit-package-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

expect_file() {
    [ -f "$prefix/$1" ] || fail "not installed: $1"
}

expect_link() {
    [ -L "$prefix/$1" ] && [ "$(readlink "$prefix/$1")" = "$2" ] ||
        fail "$1 should be a link to $2, is: $(readlink "$prefix/$1" || echo missing)"
}

echo "== cmake --install $build --prefix $prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log"

echo "== installed layout"
version=$(sed -n 's/^Version: //p' "$prefix/$libdir/pkgconfig/flitengine.pc")
major=${version%%.*}
expect_file "$libdir/libflitengine.so.$version"
expect_link "$libdir/libflitengine.so.$major" "libflitengine.so.$version"
expect_link "$libdir/libflitengine.so" "libflitengine.so.$major"
for header in FlitExport.h engine/FlitManager.h engine/FlitCommandEvent.h timing/FlitWordCalcs.h \
    debug/FEDebugDlg.h import/DocumentImporter.h outside/DataManager.h; do
    expect_file "include/flitengine/$header"
done
# Every header a public header includes is installed too, and no internal one is.
while read -r included; do
    expect_file "include/$included"
done < <(grep -rhoE '^#include <flitengine/[^>]+>' "$prefix/include/flitengine" | sed 's/#include <\(.*\)>/\1/' | sort -u)
! grep -rqE '^#include "' "$prefix/include/flitengine" || fail "an installed header includes a header by a local path"
for header in import/EpubImporter.h import/MarkupReader.h import/WordWriter.h import/ZipArchive.h; do
    [ ! -e "$prefix/include/flitengine/$header" ] || fail "internal header installed: $header"
done
[ -z "$(find "$prefix/include" -type f ! -name '*.h')" ] || fail "files other than headers in include/"
for file in FlitEngineConfig.cmake FlitEngineConfigVersion.cmake FlitEngineTargets.cmake; do
    expect_file "$libdir/cmake/FlitEngine/$file"
done
grep -qx "prefix=$prefix" "$prefix/$libdir/pkgconfig/flitengine.pc" ||
    fail "flitengine.pc does not name the prefix it was installed into"
for file in bin/flitreader bin/flit-timing share/man/man1/flitreader.1.gz \
    share/man/man1/flit-timing.1.gz share/applications/flitreader.desktop \
    share/icons/hicolor/scalable/apps/flitreader.svg \
    share/icons/hicolor/48x48/apps/flitreader.png share/icons/hicolor/256x256/apps/flitreader.png; do
    expect_file "$file"
done

export LD_LIBRARY_PATH=$prefix/$libdir
echo "== the installed flit-timing"
summary=$(printf 'One two three.\n' | "$prefix/bin/flit-timing" --summary | tail -1)
[[ $summary == "words 3, total_ms "* ]] || fail "flit-timing --summary printed: $summary"

echo "== the minimal host through find_package(FlitEngine)"
cmake -S "$source/examples/minimal-host" -B "$work/cmake-host" -DCMAKE_PREFIX_PATH="$prefix" \
    >"$work/cmake-host.log" || { cat "$work/cmake-host.log"; fail "configure"; }
cmake --build "$work/cmake-host" || fail "build with the CMake package"

echo "== a version the package does not satisfy is refused"
mkdir -p "$work/too-new"
cat >"$work/too-new/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.16)
project(TooNew LANGUAGES CXX)
find_package(FlitEngine 1.0 QUIET)
if(FlitEngine_FOUND)
    message(FATAL_ERROR "FlitEngine ${FlitEngine_VERSION} accepted for a request of 1.0")
endif()
CMAKE
cmake -S "$work/too-new" -B "$work/too-new/build" -DCMAKE_PREFIX_PATH="$prefix" \
    >"$work/too-new.log" || { cat "$work/too-new.log"; fail "version 1.0 accepted"; }

echo "== the minimal host through pkg-config"
export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
[ "$(pkg-config --modversion flitengine)" = "$version" ] || fail "pkg-config --modversion"
read -r -a pc_cflags <<<"$(pkg-config --cflags flitengine)"

echo "== every installed header compiles on its own"
(cd "$prefix/include/flitengine" && find . -name '*.h' | sed 's|^\./||' | sort) >"$work/headers"
while read -r header; do
    printf '#include <flitengine/%s>\n' "$header" >"$work/one-header.cpp"
    c++ -std=c++17 -fsyntax-only "${pc_cflags[@]}" "$work/one-header.cpp" 2>"$work/header.log" ||
        { cat "$work/header.log"; fail "$header does not compile on its own"; }
done <"$work/headers"
# shellcheck disable=SC2046 # the flags are words
c++ -std=c++17 -o "$work/pc-host" "$source/examples/minimal-host/main.cpp" \
    $(pkg-config --cflags --libs flitengine) || fail "build with pkg-config"

echo "== each host reads a text to the end with the installed library"
printf 'The harbour wall keeps the sea out.\n' >"$work/text.txt"
display=()
if [ -z "${DISPLAY:-}" ]; then
    display=(xvfb-run -a)
fi
for host in "$work/cmake-host/minimal-host" "$work/pc-host"; do
    [ -x "$host" ] || continue
    loaded=$(ldd "$host" | sed -n 's/.*libflitengine\.so\.[0-9]* => \([^ ]*\).*/\1/p')
    [ "$(realpath "$loaded")" = "$(realpath "$prefix/$libdir/libflitengine.so.$version")" ] ||
        fail "$host loads libflitengine from '$loaded'"
    timeout 60 "${display[@]}" "$host" "$work/text.txt" --quit-at-end ||
        fail "$host did not read the text to the end (status $?)"
done

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "the installed package works"
