# SPDX-License-Identifier: MIT
# The clock face on the tray icon, read from ImageMagick's txt: dump of the icon's rectangle
# ("X,Y: (R,G,B..."). The rim is the grey (128,128,128) outline; its bounding box gives the
# centre and the radius, and a hand is black (0,0,0) within a pixel of a point.
# Prints one line, as the variable form asks:
#   form=hands   fill=R,G,B bg=R,G,B up=0|1 down=0|1 right=0|1 left=0|1 outline=N centre=X,Y
#                (the fill inside the face, the corner pixel, black a quarter turn apart)
#   form=minute  outline=N yellow=N grey=N black=N centre=X,Y radius=R minute=MM:0|1 others=N
#                (for m=MM: black at 0.8 of the radius where that minute's hand reaches, and
#                 at the three points a quarter turn away; the counts are of face colours)
# With fewer than 8 rim pixels there is no face: the same fields, none or 0 where unknown.
match($0, /^[0-9]+,[0-9]+: \([0-9]+,[0-9]+,[0-9]+/) {
  split(substr($0, 1, RLENGTH), v, /[,:() ]+/)
  c = v[3] "," v[4] "," v[5]
  px[v[1] "," v[2]] = c
  if (c == "255,255,0") yellow++
  if (c == "192,192,192") grey++
  if (c == "0,0,0") black++
  if (c == "128,128,128") {
    if (!n || v[1] < x0) x0 = v[1]; if (!n || v[1] > x1) x1 = v[1]
    if (!n || v[2] < y0) y0 = v[2]; if (!n || v[2] > y1) y1 = v[2]
    n++
  }
}
function near(x, y,   dx, dy) {
  for (dx = -1; dx <= 1; dx++) for (dy = -1; dy <= 1; dy++)
    if (px[int(x + 0.5) + dx "," int(y + 0.5) + dy] == "0,0,0") return 1
  return 0
}
END {
  if (n < 8) {
    if (form == "hands")
      printf "fill=none bg=%s up=0 down=0 right=0 left=0 outline=%d centre=none\n", px["0,0"], n
    else
      printf "outline=%d yellow=%d grey=%d black=%d centre=none\n", n, yellow, grey, black
    exit
  }
  cx = (x0 + x1) / 2; cy = (y0 + y1) / 2; r = (x1 - x0) / 2
  if (form == "hands") {
    printf "fill=%s bg=%s up=%d down=%d right=%d left=%d outline=%d centre=%d,%d\n",
      px[int(cx - 0.35 * r) "," int(cy + 0.35 * r)], px["0,0"],
      near(cx, cy - 0.6 * r), near(cx, cy + 0.6 * r), near(cx + 0.4 * r, cy),
      near(cx - 0.4 * r, cy - 0.1 * r), n, int(cx), int(cy)
    exit
  }
  a = m * 0.1047 - 1.57; others = 0
  for (q = 1; q <= 3; q++) others += near(cx + 0.8 * r * cos(a + q * 1.5708), cy + 0.8 * r * sin(a + q * 1.5708))
  printf "outline=%d yellow=%d grey=%d black=%d centre=%d,%d radius=%.1f minute=%d:%d others=%d\n",
    n, yellow + 0, grey + 0, black + 0, cx, cy, r, m, near(cx + 0.8 * r * cos(a), cy + 0.8 * r * sin(a)), others
}
