#!/usr/bin/env bash
# A download cut halfway and resumed against the same 64 MiB fetched uncut, both with the
# product's Downloader under wine64 from the fixture distribution server over TLS.
#   bench/resume_bench.sh <win64 build dir> [runs]
# Prints the medians and the ratios cut/uncut of the body bytes sent on the wire and of
# the time (which includes the fixture's 0.1 s pause before the cut).
set -euo pipefail
. "$(dirname "$0")/bench-session.sh" "$@"

ca="$build/test-session/tls/ca.pem"
size=$((64 * 1024 * 1024))
control() { curl -s --cacert "$ca" "$@"; }
script() {
  control -X POST --data "{\"path\": \"$1\", \"responses\": $2}" \
    "https://$CUMULO_DIST_HOST/__control/script" >/dev/null
}
whole="{\"status\": 200, \"body_size\": $size, \"ranges\": true, \"headers\": [[\"ETag\", \"\\\"b1\\\"\"], [\"Accept-Ranges\", \"bytes\"]]}"
cut="${whole%\}}, \"cut_after\": $((size / 2)), \"cut_delay\": 0.1}"
script /bench/uncut "[${whole%\}}, \"repeat\": $((runs + 1))}]"
pairs=""
for _ in $(seq $((runs + 1))); do pairs="$pairs${pairs:+, }$cut, $whole"; done
script /bench/cut "[$pairs]"

median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
fetch() {  # path -> seconds, after checking the result
  local line
  line="$(/usr/lib/wine/wine64 "$build/tools/download_bench.exe" "https://$CUMULO_DIST_HOST$1" "Z:${out//\//\\}\\dl.bin")"
  set -- $line
  [ "$2" = 7 ] && [ "$4" = "$size" ] || { echo "download failed: $line" >&2; exit 1; }
  echo "$6"
}

# One warm-up each, then alternate so that both see the same machine state.
fetch /bench/uncut >/dev/null
fetch /bench/cut >/dev/null
: >"$out/uncut.t"; : >"$out/cut.t"
for _ in $(seq "$runs"); do
  fetch /bench/uncut >>"$out/uncut.t"
  fetch /bench/cut >>"$out/cut.t"
done
control "https://$CUMULO_DIST_HOST/__control/requests" >"$out/requests.json"

uncut="$(median <"$out/uncut.t")"
cutt="$(median <"$out/cut.t")"
python3 - "$out/requests.json" "$runs" "$size" "$uncut" "$cutt" <<'PY'
import json, sys
records, runs, size = json.load(open(sys.argv[1])), int(sys.argv[2]), int(sys.argv[3])
uncut_t, cut_t = float(sys.argv[4]), float(sys.argv[5])
def per_download(path, requests_each):
    sent = [r["sent"] for r in records if r["path"] == path]
    sent = sent[requests_each:]  # without the warm-up
    return [sum(sent[i:i + requests_each]) for i in range(0, len(sent), requests_each)]
uncut_b = sorted(per_download("/bench/uncut", 1))
cut_b = sorted(per_download("/bench/cut", 2))
mid = lambda v: v[len(v) // 2]
print("runs: %d of 64 MiB; cut after 32 MiB, then resumed" % runs)
print("uncut:   median %.3f s, %d body bytes sent" % (uncut_t, mid(uncut_b)))
print("resumed: median %.3f s, %d body bytes sent" % (cut_t, mid(cut_b)))
print("ratio bytes on the wire resumed/uncut: %.3f" % (mid(cut_b) / mid(uncut_b)))
print("ratio time resumed/uncut: %.2f" % (cut_t / uncut_t))
PY
