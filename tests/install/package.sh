#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks it as dpkg and lintian see it, then
# installs it into a throw-away root, uses the filter from there and removes it again.
# Usage: package.sh BUILD_DIR VERSION CPACK
set -euo pipefail
build=$(realpath "$1")
version=$2
cpack=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

(cd "$build" && "$cpack" -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
deb="$work/out/zefra_${version}_amd64.deb"
[[ -f $deb ]] || fail "no $(basename "$deb"): $(ls "$work/out")"

field() { dpkg-deb --field "$deb" "$1"; }
[[ $(field Package) == zefra && $(field Version) == "$version" && $(field Architecture) == amd64 ]] ||
  fail "control file: $(dpkg-deb --field "$deb")"
# The libraries the programs load, as dpkg-shlibdeps found them.
for dependency in libc6 libqt6widgets6 libjpeg62-turbo; do
  [[ $(field Depends) == *"$dependency "* ]] || fail "Depends lacks $dependency: $(field Depends)"
done
contents=$(dpkg-deb --contents "$deb")
for file in usr/bin/zefra usr/bin/zefra-convert usr/share/zefra/fa_50k.txt \
  usr/share/applications/com.quorvel.Zefra.desktop usr/share/metainfo/com.quorvel.Zefra.metainfo.xml \
  usr/share/man/man1/zefra-convert.1.gz usr/share/doc/zefra/copyright usr/share/doc/zefra/changelog.gz \
  $([[ -x "$build/ibus/zefra-ibus" ]] && echo usr/libexec/zefra-ibus usr/share/ibus/component/zefra.xml); do
  grep -q " \./$file\$" <<<"$contents" || fail "the package lacks $file"
done
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || { cat "$work/lintian.log"; fail "lintian"; }

# dpkg into an empty root: the libraries are the host's, so their packages are not asked for.
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
as_root=()
[[ $(id -u) -eq 0 ]] || as_root=(fakeroot)
dpkg=("${as_root[@]}" dpkg --root="$root" --force-not-root --force-depends)
"${dpkg[@]}" -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i"; }
converted=$(echo 'ketab' | env -i PATH=/nonexistent "$root/usr/bin/zefra-convert" --smart=on)
[[ $converted == 'کتاب' ]] || fail "the installed zefra-convert gave '$converted'"
"${dpkg[@]}" -r zefra >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -r"; }
left=$(find "$root" -mindepth 1 -not -path "$root/var*")
[[ -z $left ]] || fail "dpkg -r left: $left"
echo "the package installs and removes cleanly"
