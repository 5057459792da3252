#!/usr/bin/env bash
# The release lane: makes dist/ with scripts/package.sh (reusing the other
# lanes' builds) and checks it as a user meets it: every file of the one
# version there and nothing else, the checksums, the ARM64 package's
# architecture, program and dependencies, the x86-64 package installed (its
# program answers with the version, its menu entries validate, their icon is
# there and is the program's own map) and removed again, the Windows zip's
# program, the source archive against the tracked tree, and the page
# unpacked from its zip and tested in headless Chromium from a plain static
# server (tests/web/page_test.js, without the cases that need the Linux
# pictures). Installs the package, so it runs as root.
# Usage: scripts/test-release.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
if [ "$(id -u)" -ne 0 ]; then
  echo "scripts/test-release.sh installs the Debian package it made: run it as root" >&2
  exit 1
fi
ensure_packages --lean desktop-file-utils chromium python3 unzip file
started=$(date +%s)
scripts/package.sh
packaged=$(date +%s)

fail() {
  echo "test-release: FAIL: $*" >&2
  exit 1
}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
release=(SHA256SUMS "magpend_${version}_amd64.deb" "magpend_${version}_arm64.deb"
         "magpend-$version-win64.zip" "magpend-$version-win64-setup.exe"
         "magpend-$version-web.zip" "magpend-$version-source.tar.gz")
for file in "${release[@]}"; do
  [ -s "dist/$file" ] || fail "dist/$file is missing"
done
[ "$(ls dist | wc -l)" -eq "${#release[@]}" ] || fail "dist/ holds more: $(ls dist)"
[ "$(wc -l <dist/SHA256SUMS)" -eq $((${#release[@]} - 1)) ] || fail "SHA256SUMS does not list every file"
(cd dist && sha256sum --quiet -c SHA256SUMS) || fail "the checksums do not match"

arm64Package="dist/magpend_${version}_arm64.deb"
[ "$(dpkg-deb -f "$arm64Package" Architecture)" = arm64 ] || fail "the ARM64 package is not for arm64"
depends=$(dpkg-deb -f "$arm64Package" Depends)
for library in libc6 libstdc++6 libgcc-s1 libx11-6 libpng16-16; do
  [[ ", $depends," == *", $library ("* ]] || fail "the ARM64 package does not depend on $library: $depends"
done
dpkg-deb --fsys-tarfile "$arm64Package" | tar -xO ./usr/bin/magpend | file - | grep -q 'ARM aarch64' ||
  fail "the ARM64 package's program is not an aarch64 program"
echo "ARM64 package: arm64, depends on $depends"

# The x86-64 package, installed as a user installs it, and removed again.
if dpkg-query -W -f='${Status}' magpend 2>/dev/null | grep -q 'install ok installed'; then
  fail "magpend is installed already; remove it first (apt-get remove magpend)"
fi
drawn=$(mktemp -d)
trap 'apt-get remove -y -qq magpend >/dev/null 2>&1 || true; rm -rf "$drawn"' EXIT
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./dist/magpend_${version}_amd64.deb" >/dev/null
[ "$(/usr/bin/magpend --version)" = "magpend $version" ] ||
  fail "the installed program is not magpend $version"
entries=$(dpkg -L magpend | grep '^/usr/share/applications/.*\.desktop$')
for entry in $entries; do
  desktop-file-validate "$entry" || fail "$entry does not validate"
  # The form needs a terminal; the explorer, a window of its own, does not.
  terminal=true
  grep -qx 'Exec=magpend explore' "$entry" && terminal=false
  grep -qx "Terminal=$terminal" "$entry" || fail "$entry does not say Terminal=$terminal"
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ -f "/usr/share/icons/hicolor/48x48/apps/$icon.png" ] || fail "$entry's icon $icon is not installed"
  program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  command -v "$program" >/dev/null || fail "$entry's program $program is not there"
done
# The icon is the installed program's own map at each size.
for icon in /usr/share/icons/hicolor/*/apps/magpend.png; do
  size=$(basename "$(dirname "$(dirname "$icon")")")
  /usr/bin/magpend map --grid "${size%x*}" -o "$drawn/map.png"
  cmp -s "$icon" "$drawn/map.png" || fail "the $size icon is not the program's map (scripts/icons.sh draws it)"
done
echo "x86-64 package: installed, answered, menu entries valid: $entries; icons: the program's map"
apt-get remove -y -qq magpend >/dev/null
rm -rf "$drawn"
trap - EXIT

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
unzip -q "dist/magpend-$version-win64.zip" -d "$unpacked"
file "$unpacked/magpend-$version-win64/magpend.exe" | grep -q 'PE32+ executable.*x86-64' ||
  fail "the Windows zip holds no x86-64 magpend.exe"
diff <(tar -tzf "dist/magpend-$version-source.tar.gz" | grep -v '/$' | sed "s|^magpend-$version/||" | sort) \
  <(git ls-tree -r --name-only HEAD | sort) >/dev/null || fail "the source archive is not the tracked tree"
unzip -q "dist/magpend-$version-web.zip" -d "$unpacked"
node tests/web/page_test.js "$unpacked/magpend-$version-web" "magpend $version"
echo "test-release: passed; dist/ made in $((packaged - started)) s, checked in $(($(date +%s) - packaged)) s"
