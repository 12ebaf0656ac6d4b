#!/usr/bin/env bash
# Builds the Debian package from the build tree of scripts/test.sh (build/, configured and
# built the same way, so that the two share one build), installs it with apt, checks what
# landed and removes it again. Needs root or sudo; refuses to run when the package is
# installed already.
#   scripts/package-check.sh
# Checks: the PNG icons are the SVG's rendering; the desktop and AppStream files validate (in
# the tree and installed); every program in /usr/bin answers --help and --version with no
# display, is stripped and has its man page; the icons sit in the hicolor theme under the
# application id; nothing is left after the removal.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS

"$(dirname "$0")/install-deps.sh" package

package=hdmi-matrix-controller
build_dir=build
fail() {
    echo "package-check.sh: $*" >&2
    exit 1
}
step() {
    echo "== $*"
}
is_installed() {
    [ "$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)" = installed ]
}

is_installed && fail "$package is installed already; remove it first (apt-get remove $package)"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi

step "sources"
scripts/render-icons.sh --check
desktop-file-validate packaging/*.desktop
appstreamcli validate --no-net packaging/*.metainfo.xml

step "package"
# The configuration of scripts/test.sh: whichever of the two runs second builds nothing.
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
rm -rf "$build_dir/packages"
(cd "$build_dir" && cpack -G DEB >cpack.log 2>&1) || { cat "$build_dir/cpack.log"; fail "cpack"; }
debs=("$build_dir"/packages/*.deb)
[ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb in $build_dir/packages"
deb=${debs[0]}
dpkg-deb --field "$deb" Package Version Depends
version=$(dpkg-deb --field "$deb" Version)

step "install"
# apt reads the file as its own user: hand it a copy in a folder that user may read.
staging=$(mktemp -d)
chmod 755 "$staging"
cp "$deb" "$staging/"
chmod 644 "$staging/$(basename "$deb")"
remove_package() {
    if is_installed; then
        DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get purge -y -q "$package" >/dev/null
    fi
    rm -rf "$staging"
}
trap remove_package EXIT
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends \
    "$staging/$(basename "$deb")" >"$build_dir/package-install.log" 2>&1 \
    || { cat "$build_dir/package-install.log"; fail "apt-get install"; }
files=$(dpkg -L "$package")

step "programs"
programs=$(grep '^/usr/bin/.' <<<"$files") || fail "no program in /usr/bin"
for program in $programs; do
    name=$(basename "$program")
    [ "$(command -v "$name")" = "$program" ] || fail "$name is not $program on the PATH"
    help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$name" --help) \
        || fail "$name --help failed with no display"
    grep -q -- "--version" <<<"$help" || fail "$name --help does not mention --version"
    said=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$name" --version) \
        || fail "$name --version failed with no display"
    [ "$said" = "$name $version" ] || fail "$name --version said '$said', not '$name $version'"
    file "$program" | grep -q ', stripped' || fail "$program is not stripped"
    page=/usr/share/man/man1/$name.1.gz
    gzip -t "$page" 2>/dev/null || fail "no man page $page"
    echo "$said: --help, stripped, $page"
done

step "desktop files"
desktop=$(grep '^/usr/share/applications/.*\.desktop$' <<<"$files") || fail "no desktop file"
[ "$(wc -l <<<"$desktop")" -eq 1 ] || fail "more than one desktop file: $desktop"
id=$(basename "$desktop" .desktop)
metainfo=/usr/share/metainfo/$id.metainfo.xml
[ -f "$metainfo" ] || fail "no $metainfo"
desktop-file-validate "$desktop"
appstreamcli validate --no-net "$metainfo"
grep -qx "Icon=$id" "$desktop" || fail "$desktop does not name the icon $id"
grep -q "<id>$id</id>" "$metainfo" || fail "$metainfo does not have the id $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" \
    || fail "$metainfo does not launch $id.desktop"
for program in $programs; do
    grep -q "<binary>$(basename "$program")</binary>" "$metainfo" \
        || fail "packaging/$id.metainfo.xml: add <binary>$(basename "$program")</binary>" \
            "under <provides>"
done
for size in 48 64 128 256; do
    icon=/usr/share/icons/hicolor/${size}x${size}/apps/$id.png
    file "$icon" | grep -q "PNG image data, $size x $size," || fail "no $size px icon $icon"
done
icon=/usr/share/icons/hicolor/scalable/apps/$id.svg
file "$icon" | grep -q "SVG" || fail "no scalable icon $icon"
[ -f "/usr/share/doc/$package/copyright" ] || fail "no /usr/share/doc/$package/copyright"
echo "$id: desktop file, AppStream file, icons at 48, 64, 128, 256 px and SVG"

step "remove"
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get purge -y -q "$package" >/dev/null
! is_installed || fail "$package is still installed"
for path in $programs "$desktop" "$metainfo"; do
    [ ! -e "$path" ] || fail "$path is still there after the removal"
done

echo "package-check.sh: $(basename "$deb") built, installed, checked and removed" \
    "in $((SECONDS - started)) s"
