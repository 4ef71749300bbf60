#!/usr/bin/env bash
# Makes the Debian package from a release build and checks it: lintian, the
# desktop entry and AppStream validators, the list of files, the icons, and the
# program's command line, in English and in German, once installed: really,
# with apt-get, as root on a machine that does not have the package yet (CI);
# otherwise unpacked into a scratch folder.
# Usage: tools/check-package.sh [BUILD_DIR]   (default build/release, configured
# and built with the release preset when it is not there yet)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}

# Lintian warnings that are understood and accepted: "tag: why". None yet.
explained=(
)

expected_files="./usr/bin/QVActivityMonitor
./usr/share/applications/com.quorvane.QVActivityMonitor.desktop
./usr/share/doc/qvactivitymonitor/changelog.gz
./usr/share/doc/qvactivitymonitor/copyright
./usr/share/man/man1/QVActivityMonitor.1.gz
./usr/share/metainfo/com.quorvane.QVActivityMonitor.metainfo.xml"
# Icons: whichever sizes the build renders, each PNG as large as its folder says.
icon_path='^\./usr/share/icons/hicolor/([0-9]+)x\1/apps/com\.quorvane\.QVActivityMonitor\.png$'

scratch=$(mktemp -d)
installed=""
cleanup() {
    [[ -z "$installed" ]] || DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq qvactivitymonitor >/dev/null
    rm -rf -- "$scratch"
}
trap cleanup EXIT
fail() { echo "check-package: $*" >&2; exit 1; }

if [[ ! -f "$build/ui/QVActivityMonitor" ]]; then
    [[ "$build" == build/release ]] || fail "$build holds no built program"
    cmake --preset release >/dev/null
    cmake --build --preset release -j "$(nproc)"
fi
rm -f "$build"/qvactivitymonitor_*.deb
cpack --config "$build/CPackConfig.cmake" -B "$build" >/dev/null
debs=("$build"/qvactivitymonitor_*_amd64.deb)
deb=${debs[0]}
[[ ${#debs[@]} -eq 1 && -f "$deb" ]] || fail "cpack made no single qvactivitymonitor_*_amd64.deb"
version=$(dpkg-deb -f "$deb" Version)
echo "=== $deb: $(stat -c %s "$deb") bytes"
dpkg-deb -f "$deb" Version Depends Recommends Installed-Size

echo "--- lintian"
lintian --fail-on none --display-info --pedantic --tag-display-limit 0 "$deb" | tee "$scratch/lintian"
while read -r level _ tag _; do
    case "$level" in
        E:) fail "lintian error $tag" ;;
        W:) printf '%s\n' "${explained[@]}" | grep -q "^$tag:" || fail "lintian warning $tag not explained" ;;
    esac
    [[ "$tag" != hardening-* ]] || fail "lintian: $tag: the release build is not hardened"
done <"$scratch/lintian"

echo "--- files"
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)
diff -u <(sort <<<"$expected_files") <(grep -Ev "$icon_path" <<<"$actual") ||
    fail "unexpected file list"
root="$scratch/root"
dpkg-deb -x "$deb" "$root"
icons=$(grep -E "$icon_path" <<<"$actual") || fail "no icons"
while read -r icon; do
    size=$(sed -E "s|$icon_path|\\1|" <<<"$icon")
    file -b "$root/$icon" | grep -q "^PNG image data, $size x $size," ||
        fail "$icon: $(file -b "$root/$icon")"
done <<<"$icons"
echo "icons: $(wc -l <<<"$icons") sizes, each PNG as large as its folder says"
echo "--- desktop-file-validate"
desktop-file-validate "$root"/usr/share/applications/*.desktop
echo "--- appstreamcli validate"
appstreamcli validate --no-net --pedantic "$root"/usr/share/metainfo/*.metainfo.xml

# With no display and no usable platform plugin, a window would end the program
# with Qt's abort rather than the status checked. English unless asked otherwise.
headless() {
    env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=none LC_ALL=C.UTF-8 LANGUAGE= \
        timeout 20 "$@"
}
check_command_line() {
    echo "--- $1"
    [[ "$(headless "$1" --version)" == "QVActivityMonitor $version" ]] || fail "--version"
    headless "$1" --help | grep -q '^Usage: .*QVActivityMonitor \[options\]' || fail "--help"
    local status=0
    headless "$1" --no-such-option >"$scratch/out" 2>"$scratch/err" || status=$?
    [[ $status -eq 2 && ! -s "$scratch/out" ]] && grep -q '^Usage: ' "$scratch/err" ||
        fail "an unknown option: status $status, want 2 and the usage on stderr only"
    # Ours from inside the program, Qt's from the system (qt6-translations-l10n).
    headless env LC_ALL=de_DE.UTF-8 "$1" --help 2>/dev/null >"$scratch/out"
    grep -q '^Aufruf: ' "$scratch/out" && grep -q '^Verfolgt die Aktivitätsprotokolle' "$scratch/out" ||
        fail "--help under a German locale: $(head -2 "$scratch/out")"
    echo "--version, --help (also in German) and an unknown option answer as they should"
}

if [[ $(id -u) -eq 0 ]] && ! dpkg-query -W qvactivitymonitor >/dev/null 2>&1; then
    installed=yes
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$(realpath -- "$deb")" >/dev/null
    check_command_line /usr/bin/QVActivityMonitor
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq qvactivitymonitor >/dev/null
    installed=""
    ! dpkg-query -W qvactivitymonitor >/dev/null 2>&1 || fail "the package did not go"
else
    echo "(not root, or the package is already installed: checked unpacked)"
    check_command_line "$root/usr/bin/QVActivityMonitor"
fi
echo "=== package checked"
