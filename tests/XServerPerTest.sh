#!/bin/sh
# run-in-xvfb.sh: two tests started at once get X servers on displays of
# their own, and each server is gone when its test ends, normally or by a
# time-out's signal.
set -u
runner=$1
out=$(mktemp -d "${TMPDIR:-/tmp}/veltara-xserver-test.XXXXXX") || exit 1
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

probe='xdpyinfo >/dev/null && echo "$DISPLAY"'
sh "$runner" 320x240x24 sh -c "$probe" >"$out/a" &
a=$!
sh "$runner" 320x240x24 sh -c "$probe" >"$out/b" &
b=$!
wait "$a" || fail "first test could not reach its server"
wait "$b" || fail "second test could not reach its server"
[ "$(cat "$out/a")" != "$(cat "$out/b")" ] || fail "both tests got display $(cat "$out/a")"
for display in $(cat "$out/a" "$out/b"); do
    xdpyinfo -display "$display" >/dev/null 2>&1 && fail "server $display outlived its test"
done

sh "$runner" 320x240x24 sh -c 'echo "$DISPLAY" >"$1"; exec sleep 60' probe "$out/c" &
c=$!
tries=0
until [ -s "$out/c" ]; do
    tries=$((tries + 1))
    [ "$tries" -le 100 ] || fail "the server did not start"
    sleep 0.1
done
kill -TERM "$c"
wait "$c"
[ $? -ne 0 ] || fail "a stopped test reported success"
xdpyinfo -display "$(cat "$out/c")" >/dev/null 2>&1 && fail "server outlived its stopped test"
echo "ok"
