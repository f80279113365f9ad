#!/usr/bin/env bash
# The Debian package as a user gets it: CPack builds it from the build
# folder, it is unpacked into a temporary root, and the unpacked olconn97
# runs from there in a clean home, with nothing of the build folder on its
# paths; its pkg-config file builds a small host against the unpacked
# headers; lintian finds no error in it.
#
#   tests/package/package_test.sh BUILD_DIR
#
# Exit status 0 passed, 1 failed, 77 skipped (a tool is missing outside CI).
set -euo pipefail

build=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/olconn97-package-XXXXXX")
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
# Each step says how long it took: lintian is the slow one.
started=$SECONDS
step() {
  echo "[$((SECONDS - started))s] $*"
}

for tool in cpack dpkg-deb dpkg-shlibdeps lintian pkg-config c++; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool is missing: scripts/setup installs it" >&2
    if [ -n "${CI:-}" ]; then exit 1; fi
    exit 77
  fi
done

step "building the package"
if ! (cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/out") >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  exit 1
fi
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
arch=$(dpkg --print-architecture)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
deb=$work/out/olconn97_${version}_${arch}.deb
if [ ! -f "$deb" ]; then
  fail "no olconn97_${version}_${arch}.deb; CPack made: $(ls "$work/out")"
  exit 1
fi
dpkg-deb -c "$deb"

step "checking the control fields and the files"
depends=$(dpkg-deb -f "$deb" Depends)
suggests=$(dpkg-deb -f "$deb" Suggests)
echo "Depends: $depends"
echo "Suggests: $suggests"
for library in libsqlite3 libical3 libphonenumber; do
  [[ $depends == *"$library"* ]] || fail "Depends lacks $library"
done
for optional in baresip qt6; do
  [[ $depends != *"$optional"* ]] || fail "Depends requires $optional, which is optional"
  [[ $suggests == *"$optional"* ]] || fail "Suggests lacks $optional"
done
[ -n "$(dpkg-deb -f "$deb" Description)" ] || fail "no Description"

root=$work/root
dpkg-deb -x "$deb" "$root"
driver_dir=$root/usr/lib/$multiarch/olconn97
for file in usr/bin/olconn97 \
  "usr/lib/$multiarch/olconn97/"{libolconn97.so,libolconn97-qt.so,libolconn97-popup.so,Connector.etf,filecopy.gif,lang/us.po,lang/fr.po} \
  usr/include/olconn97/{olconn97.h,com.h,hostlib.h} \
  "usr/lib/$multiarch/pkgconfig/olconn97.pc" \
  usr/lib/systemd/user/olconn97-phone.service \
  usr/share/bash-completion/completions/olconn97 \
  usr/share/man/man1/olconn97.1.gz \
  usr/share/doc/olconn97/{copyright,changelog.gz}; do
  [ -f "$root/$file" ] || fail "the package lacks /$file"
done
if readelf -d "$root/usr/bin/olconn97" "$driver_dir/libolconn97.so" | grep -E 'RPATH|RUNPATH'; then
  fail "a binary carries a run-time search path"
fi
if grep -rlF "$build" "$root"; then fail "these files name the build folder"; fi
changelog_version=$(zcat "$root/usr/share/doc/olconn97/changelog.gz" | sed -n '1s/^olconn97 (\(.*\)).*/\1/p')
[ "$changelog_version" = "$version" ] || fail "the changelog is of version '$changelog_version'"
manual_title=$(zcat "$root/usr/share/man/man1/olconn97.1.gz" | sed -n '/^\.TH /p')
[[ $manual_title == *"\"olconn97 $version\""* ]] || fail "the manual page is of another version: $manual_title"

# A home of its own, the system's own search path, the temporary folder as
# the working one: the only olconn97 within reach is the unpacked one.
home=$work/home
mkdir -p "$home" "$work/tmp"
run_unpacked() {
  (cd "$work" && env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 TMPDIR="$work/tmp" \
    XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
    OLCONN97_REGISTRY_DIR="$home/settings" "$@")
}

step "running the unpacked olconn97"
version_text=$(run_unpacked "$root/usr/bin/olconn97" --version) || fail "olconn97 --version failed"
echo "$version_text"
[[ $version_text == "olconn97 (Norvale Corvanta) $version"* ]] ||
  fail "--version does not name the product and version"
[[ $version_text == *"library: $driver_dir/libolconn97.so"* ]] ||
  fail "the unpacked olconn97 did not load the unpacked library"
if ! run_unpacked "$root/usr/bin/olconn97" demo >"$work/demo.out" 2>&1; then
  cat "$work/demo.out" >&2
  fail "olconn97 demo failed"
fi
grep -q "A call from 33123456789" "$work/demo.out" || fail "the demo played no call"
if ! run_unpacked "$root/usr/bin/olconn97" status >"$work/status.out" 2>&1; then
  cat "$work/status.out" >&2
  fail "olconn97 status says the driver is not ready"
fi
cat "$work/status.out"
# The cache came from the template beside the unpacked library.
[ -f "$home/.local/share/Norvale Corvanta/Connector.mdb" ] || fail "status made no cache"

step "building a host with the pkg-config file"
export PKG_CONFIG_PATH=$root/usr/lib/$multiarch/pkgconfig
pc=(pkg-config --define-variable=prefix="$root/usr")
# shellcheck disable=SC2046  # the flags are words
c++ -std=c++17 -Wall -o "$work/host" "$source_dir/tests/host/pkgconfig_host.cpp" \
  $("${pc[@]}" --cflags olconn97) $("${pc[@]}" --libs olconn97) || fail "the host did not build"
if [ -x "$work/host" ]; then
  run_unpacked "$work/host" "$("${pc[@]}" --variable=driver olconn97)" ||
    fail "the host built with pkg-config could not use the driver"
fi

step "lintian"
lintian --fail-on error --display-info "$deb" | tee "$work/lintian.out" || fail "lintian reports an error"

step "done: $failures failure(s)"
[ "$failures" -eq 0 ]
