# Timing helpers of the benchmark scripts (sourced).

# Wall-clock seconds of one run of the command, its output dropped.
seconds() {
    local start=$EPOCHREALTIME
    "$@" > /dev/null 2>&1
    local end=$EPOCHREALTIME
    echo "$start $end" | awk '{ printf "%.4f", $2 - $1 }'
}

# The lower of a best-so-far (empty at first) and a new time.
lower() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b + 0 < a + 0) ? b : a }'; }
