#!/usr/bin/env bash
# Builds Qt for Windows (qtbase, the version of Debian's qt6-base-dev) with the
# posix-thread mingw-w64 g++, from Debian's own qt6-base source package, into a
# cache outside the repository. Built once per machine; later runs find it.
# Usage: qt-mingw.sh                 builds when needed; prints the install prefix
#        qt-mingw.sh --print-prefix  only prints it (for QV_QT_MINGW), builds
#                                    nothing; exits 1 when Qt is not built there
# Exits 3 when Debian's archive does not give the sources, 1 when the build
# fails. Everything else it says goes to stderr.
# Needs: qt6-base-dev-tools (moc, rcc, uic for the host), ninja-build, dpkg-dev,
# g++-mingw-w64-x86-64-posix.
set -euo pipefail

cxx=x86_64-w64-mingw32-g++-posix
deb_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
qt_version=${deb_version%%+*}
qt_version=${qt_version%%-*}
cache=${XDG_CACHE_HOME:-$HOME/.cache}/qvactivitymonitor
prefix="$cache/qt-$qt_version-mingw64-gcc$($cxx -dumpversion)"

# Only a build that got to the end leaves the marker; anything else is redone.
if [[ -f "$prefix/.complete" ]]; then
    echo "$prefix"
    exit 0
elif [[ ${1:-} == --print-prefix ]]; then
    echo "qt-mingw.sh: Qt for mingw is not built in $prefix (run tools/qt-mingw.sh)" >&2
    exit 1
fi

work="$prefix.work"
rm -rf "$work" "$prefix.partial"
mkdir -p "$work/apt/lists/partial" "$work/apt/archives/partial"
started=$(date +%s)

# deb-src entries derived from the machine's own deb entries, in a private apt
# state, so that neither the system's apt nor the repository learns a host.
sources="$work/apt/sources.list"
: >"$sources"
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [[ -f "$f" ]] && sed -n 's/^deb \(.*\)/deb-src \1/p' "$f" >>"$sources"
done
for f in /etc/apt/sources.list.d/*.sources; do
    [[ -f "$f" ]] && sed 's/^Types:.*/Types: deb-src/' "$f" >"$work/apt/$(basename "$f")"
done
apt_opts=(-o Dir::Etc::SourceList="$sources" -o Dir::Etc::SourceParts="$work/apt"
          -o Dir::State::Lists="$work/apt/lists" -o Dir::Cache::Archives="$work/apt/archives"
          -o Debug::NoLocking=1 -o APT::Sandbox::User="$(id -un)")
echo "qt-mingw.sh: fetching Debian's qt6-base $deb_version source package" >&2
# Exit status 3 says the archive would not give the sources: a machine
# without them can still run everything else.
apt-get "${apt_opts[@]}" -qq update >&2 || exit 3
(cd "$work" && apt-get "${apt_opts[@]}" -qq source "qt6-base=$deb_version" >&2) || exit 3
src=$(find "$work" -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)
[[ -n "$src" ]] || { echo "qt-mingw.sh: apt-get source gave no qt6-base folder" >&2; exit 3; }

cat >"$work/toolchain.cmake" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER $cxx)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF

# Only what the monitor loads. Debian's tarball drops src/3rdparty/wintab, hence
# no tablet events; 6.4's windows plugin does not build without OpenGL, which
# configures as dynamic OpenGL and needs nothing more.
echo "qt-mingw.sh: configuring in $work/build" >&2
cmake -G Ninja -S "$src" -B "$work/build" \
    -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
    -DCMAKE_INSTALL_PREFIX="$prefix.partial" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_concurrent=OFF \
    -DFEATURE_xml=OFF -DFEATURE_printsupport=OFF -DFEATURE_tabletevent=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_system_doubleconversion=OFF >"$work/configure.log" 2>&1 ||
    { tail -n 40 "$work/configure.log" >&2; exit 1; }

echo "qt-mingw.sh: building (about 1,100 steps; 20-25 minutes on 2 cores)" >&2
cmake --build "$work/build" -j "$(nproc)" >"$work/build.log" 2>&1 ||
    { tail -n 40 "$work/build.log" >&2; exit 1; }
cmake --install "$work/build" >"$work/install.log" 2>&1 ||
    { tail -n 40 "$work/install.log" >&2; exit 1; }

# What the zip must carry beside the DLLs: the licence and where the sources are.
mkdir -p "$prefix.partial/share/qvactivitymonitor"
cp "$src/LICENSES/LGPL-3.0-only.txt" "$src/LICENSES/GPL-3.0-only.txt" \
    "$prefix.partial/share/qvactivitymonitor/"
cat >"$prefix.partial/share/qvactivitymonitor/QT-SOURCES.txt" <<EOF
The Qt libraries and plugins in this folder are Qt $qt_version (qtbase), licensed
under the GNU Lesser General Public License version 3 (LGPL-3.0-only.txt).

They were built unmodified, apart from Debian's own patches, from the source
package qt6-base, version $deb_version, of Debian's archive: on Debian 12 run
    apt-get source qt6-base=$deb_version
or see https://sources.debian.org/src/qt6-base/$deb_version/ . The upstream
sources are at https://download.qt.io/archive/qt/ .

Built for x86_64-w64-mingw32 with $cxx $($cxx -dumpversion), as shared
libraries (CMake, Release), with these features off: sql, network, dbus,
concurrent, xml, printsupport, tabletevent. You may replace these DLLs with
your own build of the same Qt version.
EOF

elapsed=$(($(date +%s) - started))
echo "$elapsed" >"$prefix.partial/.build-seconds"
touch "$prefix.partial/.complete"
rm -rf "$prefix"
mv "$prefix.partial" "$prefix"
rm -rf "$work"
echo "qt-mingw.sh: Qt $qt_version for mingw built in ${elapsed} s: $prefix" >&2
echo "$prefix"
