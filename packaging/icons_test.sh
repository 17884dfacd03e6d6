#!/bin/bash
# SPDX-License-Identifier: MIT
# The icon files drawn at build time: each PNG has its size, a see-through background and
# face, the grey outline and black hands, all inside the picture; the SVG, rendered as a desktop renders icons,
# matches the 256-pixel PNG.
# Usage: icons_test.sh ICON_DIR SIZE...
set -u
dir="$1"
shift
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Pixel counts of one image: transparent, outline grey, black; and its size.
census() {
  convert "$1" -depth 8 txt:- | awk '
    NR == 1 { split($0, h, /[ ,:]+/); w = h[5]; ht = h[6] }
    match($0, /\([0-9]+,[0-9]+,[0-9]+,[0-9]+\)/) {
      split(substr($0, RSTART + 1, RLENGTH - 2), c, ",")
      if (c[4] == 0) clear++
      else if (c[1] == 128 && c[2] == 128 && c[3] == 128) grey++
      else if (c[1] == 0 && c[2] == 0 && c[3] == 0) black++
      else other++
    }
    END { printf "%dx%d clear=%d grey=%d black=%d other=%d\n", w, ht, clear, grey, black, other }'
}

for size in "$@"; do
  png="$dir/lotwarden-$size.png"
  [ -s "$png" ] || fail "no icon at $size px"
  read -r dims clear grey black other <<<"$(census "$png")"
  echo "$size px: $dims $clear $grey $black $other"
  [ "$dims" = "${size}x${size}" ] || fail "$png is $dims"
  # Every pixel is one of the face's colours: an aliased drawing keeps the mask exact.
  [ "${other#other=}" = 0 ] || fail "$png has colours other than the face's: $other"
  total=$((size * size))
  # The inside of the face and the corners are see-through; outline and hands are drawn.
  [ $((${clear#clear=} * 100 / total)) -ge 60 ] || fail "$png: too little transparency"
  [ "${grey#grey=}" -ge "$size" ] || fail "$png: no outline"
  [ "${black#black=}" -ge $((size / 2)) ] || fail "$png: no hands"
  # The face is whole: nothing drawn on the picture's outermost rows and columns.
  edge="$(convert "$png" -alpha extract -fill black -draw "rectangle 1,1 $((size - 2)),$((size - 2))" \
    -format '%[fx:maxima]' info:)"
  [ "$edge" = 0 ] || fail "$png: the face touches the edge"
done

svg="$dir/lotwarden.svg"
[ -s "$svg" ] || fail "no scalable icon"
rsvg-convert -w 256 -h 256 "$svg" -o "$work/svg.png" || fail "the SVG does not render"
# Antialiased edges differ from the aliased raster (half tones, hence the fuzz); the
# drawing itself must agree to within 1% of the pixels.
convert "$dir/lotwarden-256.png" -background white -flatten "$work/png-flat.png"
convert "$work/svg.png" -background white -flatten "$work/svg-flat.png"
diff="$(compare -metric AE -fuzz 40% "$work/png-flat.png" "$work/svg-flat.png" null: 2>&1)"
echo "SVG at 256 px differs from the PNG in $diff pixels"
[ "$diff" -lt $((256 * 256 / 100)) ] || fail "the SVG and the PNG do not show the same face"
echo PASS
