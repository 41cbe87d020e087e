#!/usr/bin/env bash
# Draws the program icon: a sunset-coloured tile whose lattice is pulled out of
# shape by one dragged point (blue square), at 32 x 32 and 16 x 16, and packs
# both sizes into pivola.ico. Needs ImageMagick; run it from anywhere.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Drawn once at 128 x 128 and scaled down, so that the curves stay smooth.
# The lattice is 4 x 4 cells; the inner point at (64, 64) is dragged to (84, 44)
# and the lines through it bend towards the new position.
convert -size 128x128 gradient:'#ffd75e'-'#e0462f' \
  -fill none -stroke '#3a1d6e' -strokewidth 5 \
  -draw "rectangle 4,4 123,123" \
  -draw "line 36,4 36,123" -draw "line 4,36 123,36" \
  -draw "line 92,4 92,123" -draw "line 4,92 123,92" \
  -draw "bezier 64,4 70,30 84,44" -draw "bezier 84,44 74,80 64,123" \
  -draw "bezier 4,64 40,58 84,44" -draw "bezier 84,44 110,50 123,64" \
  -fill '#1030ff' -stroke white -strokewidth 3 \
  -draw "rectangle 72,32 96,56" \
  "$tmp/big.png"

convert "$tmp/big.png" -resize 32x32 -depth 8 "$tmp/32.png"
convert "$tmp/big.png" -resize 16x16 -depth 8 "$tmp/16.png"
convert "$tmp/32.png" "$tmp/16.png" -alpha off -compress none "$here/pivola.ico"
echo "wrote $here/pivola.ico"
