#!/usr/bin/env bash
# Makes the demo site's photographs (examples/site/Photos/) from noise with
# the libvips command-line tools: nothing is taken from elsewhere. The
# pictures are committed; run this only to make them again.
#
#   tools/make_demo_photos.sh [examples/site/Photos]
set -euo pipefail
out=${1:-"$(dirname "$0")/../examples/site/Photos"}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out/cliffs"

# NAME WIDTH HEIGHT PATTERN CELL: noise of PATTERN (perlin or worley) in
# false colour, saved as a JPEG.
picture() {
  vips "$4" "$tmp/noise.v" "$2" "$3" --cell-size "$5" --seed 7
  if [ "$4" = perlin ]; then scale="110 128"; else scale="0.9 0"; fi
  # shellcheck disable=SC2086
  vips linear "$tmp/noise.v" "$tmp/grey.v" $scale --uchar
  vips falsecolour "$tmp/grey.v" "$out/$1[Q=80,strip]"
}
picture sunrise.jpg 800 600 perlin 160
picture tide.jpg 600 800 worley 96
picture cliffs/cliff.jpg 1024 683 perlin 64
