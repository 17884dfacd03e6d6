#!/bin/bash
# SPDX-License-Identifier: MIT
# The icon files drawn at build time: each PNG has its size, only the face's colours (see-through,
# the grey of the rim and the hands), the whole face inside the picture; the SVG, rendered as a desktop
# renders icons, matches the 256-pixel PNG.
# Usage: icons_test.sh ICON_DIR SIZE...
set -u
dir="$1" work="$(mktemp -d)"
shift
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2 && exit 1; }
for size in "$@"; do
  png="$dir/lotwarden-$size.png"
  # Size, then the counts of see-through, grey and other pixels.
  read -r dims clear grey other < <(convert "$png" -colorspace sRGB -depth 8 txt:- | awk '
    NR == 1 { split($0, h, /[ ,:]+/); dims = h[5] "x" h[6] }
    match($0, /\([0-9]+,[0-9]+,[0-9]+,[0-9]+\)/) {
      split(substr($0, RSTART + 1, RLENGTH - 2), c, ",")
      if (c[4] == 0) n[0]++; else if (c[1] c[2] c[3] == "120120120") n[1]++; else n[2]++
    }
    END { print dims, n[0] + 0, n[1] + 0, n[2] + 0 }')
  echo "$size px: $dims clear=$clear grey=$grey other=$other"
  # The rim's circle and the hands.
  [ "$dims" = "${size}x${size}" ] && [ "$other" = 0 ] && [ $((clear * 100 / size / size)) -ge 60 ] &&
    [ "$grey" -ge $((size * 5 / 2)) ] || fail "$png is not the clock face"
  # ImageMagick 7 gives the extracted mask an alpha channel again at -draw: off before reading.
  edge="$(convert "$png" -alpha extract -fill black -draw "rectangle 1,1 $((size - 2)),$((size - 2))" \
    -alpha off -format '%[fx:maxima]' info:)"
  [ "$edge" = 0 ] || fail "$png: the face touches the edge"
done
rsvg-convert -w 256 -h 256 "$dir/lotwarden.svg" -o "$work/svg.png" || fail "the SVG does not render"
# Antialiased edges differ from the aliased raster (hence the fuzz); the drawing must agree to
# within 1% of the pixels.
convert "$dir/lotwarden-256.png" -background white -flatten "$work/png.png"
convert "$work/svg.png" -background white -flatten "$work/svg-flat.png"
diff="$(compare -metric AE -fuzz 40% "$work/png.png" "$work/svg-flat.png" null: 2>&1)"
echo "SVG at 256 px differs from the PNG in $diff pixels"
[ "$diff" -lt $((256 * 256 / 100)) ] || fail "the SVG and the PNG do not show the same face"
echo PASS
