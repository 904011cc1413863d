#!/usr/bin/env bash
# Throughput of the product's Downloader under wine64 against curl, both fetching the
# same 64 MiB body from the fixture distribution server over the same TLS.
#   bench/download_bench.sh <win64 build dir> [runs]
# Starts a wine session for that build (prefix, test CA, fixture servers) and stops it.
# Target: the Downloader's median at least 0.9 of curl's.
set -euo pipefail
. "$(dirname "$0")/bench-session.sh" "$@"
ca="$build/test-session/tls/ca.pem"
size=$((64 * 1024 * 1024))
path=/bench/64m
url="https://$CUMULO_DIST_HOST$path"

curl -s --cacert "$ca" -X POST --data "{\"path\": \"$path\", \"responses\": [{\"status\": 200, \"body_size\": $size, \"repeat\": $((2 * runs + 2))}]}" \
  "https://$CUMULO_DIST_HOST/__control/script" >/dev/null

mib_per_s() { python3 -c "print('%.1f' % ($size / 1048576 / $1))"; }
median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

# One warm-up each, then alternate so that both see the same machine state.
curl -s --cacert "$ca" -o "$out/curl.bin" "$url"
/usr/lib/wine/wine64 "$build/tools/download_bench.exe" "$url" "Z:${out//\//\\}\\dl.bin" >/dev/null
: >"$out/curl.t"; : >"$out/dl.t"
for i in $(seq "$runs"); do
  curl -s --cacert "$ca" -o "$out/curl.bin" -w '%{time_total}\n' "$url" >>"$out/curl.t"
  line="$(/usr/lib/wine/wine64 "$build/tools/download_bench.exe" "$url" "Z:${out//\//\\}\\dl.bin")"
  set -- $line
  [ "$2" = 7 ] && [ "$4" = "$size" ] || { echo "download failed: $line" >&2; exit 1; }
  echo "$6" >>"$out/dl.t"
done
[ "$(stat -c %s "$out/curl.bin")" = "$size" ] || { echo "curl fetched a short file" >&2; exit 1; }

dl="$(median <"$out/dl.t")"
cu="$(median <"$out/curl.t")"
echo "runs: $runs of 64 MiB from $url"
echo "Downloader (wine64): median $dl s = $(mib_per_s "$dl") MiB/s   [$(tr '\n' ' ' <"$out/dl.t")]"
echo "curl:                median $cu s = $(mib_per_s "$cu") MiB/s   [$(tr '\n' ' ' <"$out/curl.t")]"
python3 -c "print('ratio Downloader/curl throughput: %.2f (target >= 0.90)' % ($cu / $dl))"
