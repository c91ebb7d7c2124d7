#!/bin/sh
# The conventions of a Linux program: both programs print their version and
# the FFmpeg and libmpv they use without any display, their manual pages are
# made from their help, and the AppStream metainfo is valid (when
# appstreamcli is there).
# Usage: ProgramConventionsTest.sh PLAYER TRACK-TOOL MAN-DIR METAINFO [APPSTREAMCLI]
set -u
player=$1 track=$2 man_dir=$3 metainfo=$4 appstreamcli=${5:-}
fail() { echo "FAIL: $*" >&2; exit 1; }

for program in "$player" "$track"; do
    name=$(basename "$program")
    # xcb without a display would abort at once if the answer needed one.
    text=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$program" --version) ||
        fail "$name --version failed"
    echo "$text" | head -n 1 | grep -Eq "^$name [0-9]+\.[0-9]+\.[0-9]+\$" || fail "$name: first line: $text"
    echo "$text" | grep -Eq '^FFmpeg [0-9n]' || fail "$name names no FFmpeg: $text"
    echo "$text" | grep -Eq '^libmpv [0-9]' || fail "$name names no libmpv: $text"

    page=$man_dir/$name.1
    [ -s "$page" ] || fail "no manual page $page"
    upper=$(echo "$name" | tr a-z A-Z)
    grep -q "^\.TH $upper \"1\"" "$page" || fail "$page is no section 1 page of $name"
    grep -q -- '\\-\\-version' "$page" || fail "$page lacks the options of the help"
done
grep -q -- '\\-\\-export' "$man_dir/veltara-track.1" || fail "veltara-track.1 lacks --export"

if [ -n "$appstreamcli" ]; then
    "$appstreamcli" validate --no-net "$metainfo" || fail "$metainfo is not valid"
fi
echo ok
