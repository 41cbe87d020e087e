#!/usr/bin/env bash
# Makes docs/images/pivola-drag.png: the shipped editor (64-bit build by
# default, BITS=32 for the other) in a Wine desktop on a private Xvfb, with a
# picture opened through File > Open and a few drag points dragged.
# Usage: make-screenshot.sh [BUILD_DIR]   (default build/win64)
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
source "$root/scripts/lib/common.sh"
build=${1:-$root/build/win${BITS:-64}}
bin="$build/bin"
out="$root/docs/images/pivola-drag.png"
tmp=$(mktemp -d)
trap 'pivola_wine_stop; pivola_xvfb_stop; rm -rf "$tmp"' EXIT

# A picture of our own: a tiled pattern under a colour wash, with a target.
convert -size 400x300 pattern:checkerboard -scale 400% -crop 400x300+0+0 +repage \
  \( -size 300x400 gradient:'#ffd75e'-'#3a6ee0' -rotate 90 \) -compose multiply -composite \
  -fill '#c03030' -stroke white -strokewidth 6 -draw "circle 200,150 200,80" \
  -fill '#f0f0f0' -draw "circle 200,150 200,120" \
  -type TrueColor BMP3:"$tmp/picture.bmp"

pivola_wine_env "${BITS:-64}"
mkdir -p "$WINEPREFIX/drive_c/pictures"
cp "$tmp/picture.bmp" "$WINEPREFIX/drive_c/pictures/sample.bmp"
pivola_xvfb_start
pivola_wine_start
cd "$bin"
rm -f showcase.ready
"$pivola_wine" explorer /desktop=Pivola,900x620 showcase.exe "C:\\pictures\\sample.bmp" &
for i in $(seq 1 600); do
  [ -f showcase.ready ] && break
  sleep 0.2
done
grep -q '^ready' showcase.ready 2>/dev/null || { echo "make-screenshot: the editor was not posed" >&2; exit 1; }
mkdir -p "$(dirname "$out")"
geometry=$(awk '{print $2}' showcase.ready)
import -window root -crop "$geometry" +repage "$out"
rm -f showcase.ready
echo "wrote $out"
