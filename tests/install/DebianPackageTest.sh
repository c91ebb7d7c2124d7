#!/bin/sh
# `cpack -G DEB` of the build gives a package whose dependencies name the
# shared libraries the programs need; unpacked into a scratch root, it holds
# the manual pages and the metainfo, and its veltara-track runs from there.
# Usage: DebianPackageTest.sh CPACK BUILD-DIR VERSION
set -u
cpack=$1 build=$2 version=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/veltara-deb-test.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work/out") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack failed"; }
set -- "$work"/out/*.deb
[ $# -eq 1 ] && [ -f "$1" ] || fail "cpack made no single package"
deb=$1

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libmpv libqt6core6 libqt6webenginecore6 libsqlite3 ffmpeg libavformat; do
    echo "$depends" | grep -q "$needed" || fail "Depends lacks $needed: $depends"
done

dpkg -x "$deb" "$work/root" || fail "dpkg -x failed"
for file in usr/share/man/man1/veltara-track.1 usr/share/man/man1/veltara-dvr-player.1 \
    usr/share/metainfo/org.veltara.DvrPlayer.metainfo.xml usr/share/applications/veltara-dvr-player.desktop; do
    [ -s "$work/root/$file" ] || fail "the package lacks $file"
done
text=$("$work/root/usr/bin/veltara-track" --version) || fail "the packaged veltara-track --version failed"
[ "$(echo "$text" | head -n 1)" = "veltara-track $version" ] || fail "packaged version: $text"
echo ok
