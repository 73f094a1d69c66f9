#!/usr/bin/env bash
# Builds the Debian package from a build tree, unpacks it into a scratch root and checks
# what an installed copy needs: the three programs run from there and print the version
# (the loader without a display), the desktop entry and the AppStream metadata validate,
# every manual page renders without a warning, and the dependencies name the Qt and
# Modbus libraries.
#   check_package.sh BUILD_DIR VERSION APPSTREAM_ID
set -euo pipefail
build=$1
version=$2
appstream_id=$3

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tqx-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log" >&2
    echo "FAIL: cpack" >&2
    exit 1
fi
deb="$scratch/out/tqxloader_${version}_$(dpkg --print-architecture).deb"
if [ ! -f "$deb" ]; then
    echo "FAIL: no $(basename "$deb"); cpack made:" "$scratch"/out/*.deb >&2
    exit 1
fi
echo "package: $(basename "$deb")"
dpkg-deb -c "$deb"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"

[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version $(dpkg-deb -f "$deb" Version)"
for library in libqt6widgets libmodbus; do
    grep -q "\b$library" <<<"$depends" || fail "Depends does not name $library"
done

root="$scratch/root"
dpkg -x "$deb" "$root"

programs=$(cd "$root/usr/bin" && echo *)
[ "$programs" = "tqx-sim tqxctl tqxloader" ] || fail "usr/bin holds $programs"
for program in tqxloader tqxctl tqx-sim; do
    # No display and a platform that would need one: the loader must answer before Qt.
    if ! out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb \
        "$root/usr/bin/$program" --version 2>&1); then
        fail "$program --version failed: $out"
    elif [ "$out" != "$program $version" ]; then
        fail "$program --version printed '$out'"
    fi
done

desktop="$root/usr/share/applications/tqxloader.desktop"
if ! out=$(desktop-file-validate "$desktop" 2>&1) || [ -n "$out" ]; then
    fail "desktop-file-validate: ${out:-no such file}"
fi
if ! grep -qx "Icon=tqxloader" "$desktop" ||
    [ ! -f "$root/usr/share/icons/hicolor/scalable/apps/tqxloader.svg" ]; then
    fail "the desktop entry's icon is not installed"
fi

metainfo="$root/usr/share/metainfo/$appstream_id.metainfo.xml"
out=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1) || fail "appstreamcli: $out"
# The tree check also finds the desktop entry the metadata launches.
out=$(appstreamcli validate-tree --no-net "$root/usr" 2>&1) || fail "appstreamcli validate-tree: $out"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metadata has no release $version"

for program in tqxloader tqxctl tqx-sim; do
    page="$root/usr/share/man/man1/$program.1.gz"
    if [ ! -f "$page" ]; then
        fail "no manual page for $program"
        continue
    fi
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || true
    [ -z "$warnings" ] || fail "man -l $program.1: $warnings"
    text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>/dev/null) || fail "man -l $program.1 failed"
    if ! grep -q "^NAME" <<<"$text" || ! grep -q "tqxloader $version" <<<"$text"; then
        fail "$program.1 renders without its name section or version"
    fi
done

[ "$failures" -eq 0 ] || exit 1
echo "package check passed"
