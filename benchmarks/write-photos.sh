#!/usr/bin/env bash
# Sourced by the benchmarks: writes $count 6000 x 4000 JPEG photos into
# $folder ($LUMORA_BUILD_ROOT/benchmark-pictures), photo_1.jpg to
# photo_$count.jpg, and removes any beyond $count. Sets $first.
folder="$LUMORA_BUILD_ROOT/benchmark-pictures"
mkdir -p "$folder"
first="$folder/photo_1.jpg"
if [ ! -f "$first" ]; then
  echo "writing a 6000 x 4000 JPEG ..." >&2
  # Smooth areas, edges and fine noise, about the mix of a photo.
  convert -size 1500x1000 -seed 7 plasma:fractal -blur 0x1 -resize 6000x4000! \
    -attenuate 0.4 +noise Gaussian -sampling-factor 2x2 -quality 90 "$first"
fi
for i in $(seq 2 "$count"); do
  [ -f "$folder/photo_$i.jpg" ] || ln "$first" "$folder/photo_$i.jpg" 2>/dev/null ||
    cp "$first" "$folder/photo_$i.jpg"
done
for extra in "$folder"/photo_*.jpg; do
  n=${extra##*/photo_}; n=${n%.jpg}
  if [ "$n" -gt "$count" ]; then rm -f "$extra"; fi
done
