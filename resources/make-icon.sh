#!/usr/bin/env bash
# Draws the program icon (a camera body with its lens) at 32x32 and 16x16 and
# packs both into Oriscope.ico. Each size is drawn on its own pixel grid so the
# small one stays crisp instead of being a blurred copy of the large one.
# Run it again after changing the drawing; the .ico is committed.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
convert=${CONVERT:-convert}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

body='#3c4650'
body_edge='#1c2228'
ring='#c8cdd2'
glass='#1d3f8c'
glint='#e8f0ff'
flash='#f2c230'

# 32x32: body with viewfinder hump, shutter button, flash, lens ring, glass, glint.
"$convert" -size 32x32 xc:none \
  -fill "$body" -stroke "$body_edge" -strokewidth 1 \
  -draw 'roundrectangle 10,5 21,10 2,2' \
  -draw 'roundrectangle 1,8 30,27 3,3' \
  -fill '#b03030' -stroke none -draw 'rectangle 4,5 7,7' \
  -fill "$flash" -stroke "$body_edge" -draw 'rectangle 23,11 27,13' \
  -fill "$ring" -stroke "$body_edge" -draw 'circle 15.5,17.5 15.5,8.5' \
  -fill "$glass" -stroke '#0b1a3a' -draw 'circle 15.5,17.5 15.5,11.5' \
  -fill '#3566c8' -stroke none -draw 'circle 15.5,17.5 15.5,14.5' \
  -fill "$glint" -draw 'circle 13,15 13,13.8' \
  PNG32:"$tmp/icon32.png"

# 16x16: the same motif with fewer details.
"$convert" -size 16x16 xc:none \
  -fill "$body" -stroke "$body_edge" -strokewidth 1 \
  -draw 'rectangle 5,2 10,4' \
  -draw 'roundrectangle 0,4 15,14 1,1' \
  -fill "$flash" -stroke none -draw 'rectangle 12,6 13,6' \
  -fill "$ring" -stroke "$body_edge" -draw 'circle 7.5,9.5 7.5,5.5' \
  -fill "$glass" -stroke none -draw 'circle 7.5,9.5 7.5,7' \
  -fill "$glint" -draw 'point 6,8' \
  PNG32:"$tmp/icon16.png"

"$convert" "$tmp/icon32.png" "$tmp/icon16.png" "$here/Oriscope.ico"
