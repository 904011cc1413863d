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
    -strip -define png:exclude-chunks=date,time -depth 8 -define png:color-type=6 \
    -define png:compression-level=9 "$out"
}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
sizes=(16 32 48 64 96 128 256)
for n in "${sizes[@]}"; do icon_png "$n" "$tmp/icon$n.png"; done
# Lossless recompression: the same pixels in fewer bytes.
optipng -quiet -o7 -strip all "$tmp"/icon*.png
files=()
for n in "${sizes[@]}"; do files+=("$tmp/icon$n.png"); done
python3 tools/make_ico.py res/cumulo.ico "${files[@]}"

REGULAR=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
# PNGs without dates or other text chunks, so that a rerun gives the same bytes.
PNGOPT=(-strip -define png:exclude-chunks=date,time -depth 8)

# PNG 136 / 137: the close glyph, a dark grey "X" on a transparent ground (grey + alpha).
close_png() {
  local s=$1 out=$2
  local n=$((48 * s)) a=$((17 * s)) b=$((31 * s))
  $IM -size ${n}x${n} xc:none -stroke '#4D4D4D' -strokewidth $((2 * s)) -fill none \
    -draw "line $a,$a $b,$b" -draw "line $b,$a $a,$b" \
    "${PNGOPT[@]}" -define png:color-type=4 "$out"
}
close_png 1 res/close_48.png
close_png 2 res/close_96.png

# PNG 187 / 188: the background, light grey and opaque, with a few soft clouds on the right.
background_png() {
  local s=$1 out=$2
  local w=$((1080 * s)) h=$((680 * s))
  $IM -size ${w}x${h} xc:'#F3F4F6' -fill '#ECEDEF' -stroke none \
    -draw "circle $((820 * s)),$((330 * s)) $((820 * s)),$((210 * s))" \
    -draw "circle $((690 * s)),$((390 * s)) $((690 * s)),$((310 * s))" \
    -draw "circle $((950 * s)),$((400 * s)) $((950 * s)),$((320 * s))" \
    -draw "roundrectangle $((610 * s)),$((330 * s)) $((1030 * s)),$((470 * s)) $((70 * s)),$((70 * s))" \
    -colorspace Gray -alpha off "${PNGOPT[@]}" -define png:color-type=0 "$out"
}
background_png 1 res/background_1080.png
background_png 2 res/background_2160.png

# PNG 189..192: the wordmark, blue on a transparent ground, Cyrillic and Latin.
wordmark_png() {
  local s=$1 text=$2 out=$3
  local w=$((136 * s)) h=$((68 * s))
  $IM -size ${w}x${h} xc:none -font "$BOLD" -fill '#0071FF' -pointsize $((26 * s)) \
    -gravity west -annotate +0+0 "$text" \
    "${PNGOPT[@]}" -define png:color-type=6 "$out"
}
wordmark_png 1 'Кумуло' res/logo_ru_136.png
wordmark_png 2 'Кумуло' res/logo_ru_272.png
wordmark_png 1 'Cumulo' res/logo_en_136.png
wordmark_png 2 'Cumulo' res/logo_en_272.png
optipng -quiet -o7 -strip all res/*.png
echo "art written to res/"
