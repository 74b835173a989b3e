#!/usr/bin/env bash
# Builds the Debian package from a build tree, checks what it holds and
# what it declares, unpacks it into a fresh root and uses it from there:
# the desktop entry validates, `avelor --version` runs, and a project file
# is recognised by its header line (a map projection's .prj is not).
#   check_package.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build="$1"
source="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

fail() {
  echo "check_package: $*" >&2
  exit 1
}

if ! (cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1); then
  cat "$work/cpack.log" >&2
  fail "cpack failed"
fi
deb="$(ls "$work"/out/avelorw_*.deb 2>/dev/null | head -1)"
[ -n "$deb" ] || fail "no package was made"

dpkg-deb -c "$deb" | awk '{print $NF}' >"$work/contents"
for path in \
  ./usr/bin/avelorw ./usr/bin/avelor ./usr/bin/AVELORX3 \
  ./usr/share/applications/avelorw.desktop \
  ./usr/share/mime/packages/avelorw.xml \
  ./usr/share/icons/hicolor/scalable/apps/avelorw.svg \
  ./usr/share/icons/hicolor/16x16/apps/avelorw.png \
  ./usr/share/icons/hicolor/256x256/apps/avelorw.png \
  ./usr/share/man/man1/avelor.1.gz ./usr/share/man/man1/AVELORX3.1.gz ./usr/share/man/man1/avelorw.1.gz \
  ./usr/share/bash-completion/completions/avelor \
  ./usr/share/avelorw/examples/office.prj \
  ./usr/share/doc/avelorw/copyright ./usr/share/doc/avelorw/user-guide.html ./usr/share/doc/avelorw/images/office-level1.png; do
  grep -qx -- "$path" "$work/contents" || fail "the package lacks $path"
done

# The dependencies come from the libraries the programs link.
depends="$(dpkg-deb -f "$deb" Depends)"
for library in libqt6widgets6 libqt6charts6 libpng16-16 libstdc++6; do
  grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done
[ "$(dpkg-deb -f "$deb" Package)" = avelorw ] || fail "wrong package name"

root="$work/root"
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/avelorw.desktop" || fail "the desktop entry does not validate"
version="$("$root/usr/bin/avelor" --version)" || fail "avelor --version failed"
grep -q "3\.2" <<<"$version" || fail "unexpected version text: $version"
gzip -t "$root/usr/share/man/man1/avelor.1.gz" || fail "a broken manual page"

# The file type, from the header line.
XDG_DATA_DIRS="$root/usr/share:/usr/share" update-mime-database "$root/usr/share/mime"
cp "$source/examples/two_rooms.prj" "$work/drawing.prj"
cp "$source/examples/two_rooms.prj" "$work/no_extension"
printf 'PROJCS["WGS_1984_UTM_Zone_32N",GEOGCS["GCS_WGS_1984"]]\n' >"$work/map.prj"
query() {
  env -u XDG_CURRENT_DESKTOP XDG_DATA_DIRS="$root/usr/share:/usr/share" XDG_DATA_HOME="$work/home" \
    xdg-mime query filetype "$1"
}
[ "$(query "$work/drawing.prj")" = application/x-avelorw-project ] || fail "a project is not recognised: $(query "$work/drawing.prj")"
[ "$(query "$work/no_extension")" = application/x-avelorw-project ] || fail "a project without .prj is not recognised"
[ "$(query "$work/map.prj")" != application/x-avelorw-project ] || fail "a map projection file is taken for a project"
echo "package $(basename "$deb") checked"
