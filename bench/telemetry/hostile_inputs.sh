#!/usr/bin/env bash
# Times `veltara-track --info` on hostile files that cost time out of
# proportion to what they hold, for two builds of the tool in the same run
# (before and after a change), best of RUNS (default 3) each, a run cut at
# LIMIT seconds (default 300; killed, printed as about the limit), the files warm in the
# page cache:
#   boxes-N      a camera text track whose trak also holds N×100,000 empty
#                boxes of different types (0.8 MB for each 100,000)
#   tracks-64    64 tracks of 100,000 empty boxes each (51 MB)
#   sparse-20g   20 GB apparent, one Novatek block near the start, no index
#   gpmf-repeat  a GPMF track of 20,000 entries at the same 100 KB (2 MB table bytes)
#   nmea-repeat  an NMEA text track of 20,000 entries at the same 4 KB
#
#   [RUNS=3] [LIMIT=300] bench/telemetry/hostile_inputs.sh BEFORE_TOOL AFTER_TOOL [FOLDER] [FILE...]
#
# FOLDER (default: a temporary one) keeps the files; the sparse file takes
# no room on disk.
set -euo pipefail
before=$1
after=$2
work=${3:-$(mktemp -d)}
mkdir -p "$work"

python3 - "$work" <<'PY'
import os, struct, sys
work = sys.argv[1]
def box(t, p): return struct.pack(">I", 8 + len(p)) + t + p
def full(t, p, v=0): return box(t, bytes([v, 0, 0, 0]) + p)
def junk(n, start=0):
    return b"".join(struct.pack(">I", 8) + b"x" + (i + start).to_bytes(3, "big") for i in range(n))
def track(handler, entry, sample_sizes, offsets, extra=b"", tid=1):
    n = len(sample_sizes)
    stts = full(b"stts", struct.pack(">II", 1, n) + struct.pack(">II", n, 1000))
    stsc = full(b"stsc", struct.pack(">IIII", 1, 1, 1, 1))
    stsz = full(b"stsz", struct.pack(">II", 0, n) + b"".join(struct.pack(">I", s) for s in sample_sizes))
    stco = full(b"stco", struct.pack(">I", n) + b"".join(struct.pack(">I", o) for o in offsets))
    stsd = full(b"stsd", struct.pack(">I", 1) + box(entry, bytes(8)))
    mdhd = full(b"mdhd", struct.pack(">IIII", 0, 0, 1000, n * 1000) + bytes(4))
    hdlr = full(b"hdlr", bytes(4) + handler + bytes(12) + b"Hostile\0")
    tkhd = full(b"tkhd", struct.pack(">III", 0, 0, tid) + bytes(68), 0)
    minf = box(b"minf", box(b"stbl", stsd + stts + stsc + stsz + stco))
    return box(b"trak", tkhd + box(b"mdia", mdhd + hdlr + minf) + extra)
def clip(name, sample, count, handler, entry, extra_tracks=b"", extra=b""):
    ftyp = box(b"ftyp", b"isom" + bytes(4))
    mdat = box(b"mdat", sample)
    offset = len(ftyp) + 8
    mvhd = full(b"mvhd", struct.pack(">IIII", 0, 0, 1000, count * 1000) + bytes(80))
    moov = box(b"moov", mvhd + track(handler, entry, [len(sample)] * count, [offset] * count, extra) + extra_tracks)
    with open(os.path.join(work, name), "wb") as f: f.write(ftyp + mdat + moov)
text = struct.pack(">H", 44) + b"2016-05-20 10:30:15/E113 56 12.34/N22 33 44."
for n in (1, 10, 40):
    # Up to 100,000 children a box are listed: the rest nest one level down.
    extra = junk(100000) if n == 1 else b"".join(box(b"udta", junk(100000, k * 100000)) for k in range(n))
    clip("boxes-%d.mp4" % n, text, 1, b"text", b"text", extra=extra)
clip("tracks-64.mp4", text, 1, b"text", b"text",
     extra_tracks=b"".join(track(b"vide", b"avc1", [1], [0], junk(100000), t + 2) for t in range(63)))
nmea = b"$GPRMC,103015.000,A,2233.7417,N,11356.2057,E,12.7,90.0,200516,,,A*6C\r\n" * 58
clip("nmea-repeat.mp4", struct.pack(">H", len(nmea)) + nmea, 20000, b"text", b"text")
klv = b"DEVC" + struct.pack(">BBH", 0, 1, 25000) + b"STRM" + struct.pack(">BBH", 0, 1, 24998) + bytes(99992)
clip("gpmf-repeat.mp4", klv, 20000, b"meta", b"gpmd")
# One Novatek block (the signature and a little), then 20 GB of nothing.
with open(os.path.join(work, "sparse-20g.mp4"), "wb") as f:
    f.write(box(b"ftyp", b"isom" + bytes(4)) + struct.pack(">I", 1) + b"mdat" + struct.pack(">Q", 20 << 30)
            + struct.pack(">I", 0x1000) + b"freeGPS " + bytes(0x1000 - 12))
    f.truncate((20 << 30) + 16)
PY

best() {  # the best of RUNS wall times of a command, in seconds
    python3 -c '
import subprocess, sys, time
times = []
for _ in range(int(sys.argv[1])):
    t0 = time.monotonic()
    subprocess.run(sys.argv[2:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    times.append(time.monotonic() - t0)
print("%.2f" % min(times))' "${RUNS:-3}" timeout -s KILL "${LIMIT:-300}" "$@"
}

printf '%-14s %10s %10s\n' file before after
shift $(( $# < 3 ? $# : 3 ))
for f in ${@:-boxes-1 boxes-10 boxes-40 tracks-64 sparse-20g gpmf-repeat nmea-repeat}; do
    printf '%-14s %9ss %9ss\n' "$f" "$(best "$before" --info "$work/$f.mp4")" \
        "$(best "$after" --info "$work/$f.mp4")"
done
