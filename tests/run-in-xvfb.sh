#!/bin/sh
# Runs a test in an X server of its own. Xvfb chooses a free display itself
# and names it once it listens (-displayfd), so tests started at the same
# moment never race for one display number as `xvfb-run -a` can; the server
# is stopped however the test ends (exit, failure, time-out signal).
# Usage: run-in-xvfb.sh WIDTHxHEIGHTxDEPTH command [argument...]
set -u
if [ $# -lt 2 ]; then
    echo "usage: $0 WIDTHxHEIGHTxDEPTH command [argument...]" >&2
    exit 2
fi
screen=$1
shift

work=$(mktemp -d "${TMPDIR:-/tmp}/veltara-xvfb.XXXXXX") || exit 1
xvfb=
test_pid=
stop() {
    [ -n "$test_pid" ] && kill "$test_pid" 2>/dev/null
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null
        wait "$xvfb" 2>/dev/null
    fi
    rm -rf "$work"
}
trap stop EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# Made here: the server's redirection happens in its own process, later.
: >"$work/display"
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$work/display" 2>"$work/log" &
xvfb=$!

# The number is written, with a line end, once the server accepts clients.
tries=0
until [ "$(wc -l <"$work/display")" -ge 1 ]; do
    if ! kill -0 "$xvfb" 2>/dev/null || [ "$tries" -ge 300 ]; then
        echo "run-in-xvfb: Xvfb did not start:" >&2
        cat "$work/log" >&2
        exit 1
    fi
    tries=$((tries + 1))
    sleep 0.1
done
DISPLAY=:$(head -n 1 "$work/display")
export DISPLAY

# In the background, so a signal reaches the traps while the test runs.
"$@" &
test_pid=$!
wait "$test_pid"
status=$?
test_pid=
exit "$status"
