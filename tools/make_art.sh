#!/usr/bin/env bash
# Generates the installer's art into res/ with ImageMagick and the DejaVu fonts.
# The outputs are committed; run this again only to change the art.
set -euo pipefail
cd "$(dirname "$0")/.."
IM=/usr/bin/convert   # /usr/local/bin/convert may be a stand-in, not ImageMagick
BOLD=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf

# Icon group 128: a blue rounded square with a white cloud-like "C".
icon_png() {
  local n=$1 out=$2
  local r=$((n / 5)) m=$((n / 16))
  $IM -size ${n}x${n} xc:none \
    -fill '#0071FF' -draw "roundrectangle $m,$m $((n - m - 1)),$((n - m - 1)) $r,$r" \
    -font "$BOLD" -fill white -pointsize $((n * 7 / 10)) -gravity center -annotate +0+$((n / 40)) 'C' \
    -depth 8 -define png:color-type=6 "$out"
}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
sizes=(16 32 48 64 96 128 256)
for n in "${sizes[@]}"; do icon_png "$n" "$tmp/icon$n.png"; done
files=()
for n in "${sizes[@]}"; do files+=("$tmp/icon$n.png"); done
$IM "${files[@]}" res/cumulo.ico
echo "art written to res/"
