#!/usr/bin/env bash
# Writes the view tests' pictures into $1: animated GIFs with known frame
# delays and a large JPEG in four colours.
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"

# 16 x 16 frames in plain colours; -delay sets the frames read after it
# (hundredths of a second).
frames=(xc:red xc:lime xc:blue)
convert -size 16x16 -delay 0 "${frames[@]}" -loop 0 anim_delay0.gif
convert -size 16x16 -delay 2 "${frames[@]}" -loop 0 anim_delay2.gif
convert -size 16x16 -delay 2 xc:red -delay 5 xc:lime -delay 2 xc:blue -delay 5 xc:yellow \
  -loop 0 anim_alternating.gif

# Two frames whose left half is transparent.
convert -size 16x16 -delay 10 \
  \( xc:none -fill red -draw 'rectangle 8,0 15,15' \) \
  \( xc:none -fill blue -draw 'rectangle 8,0 15,15' \) \
  -dispose background -loop 0 anim_transparent.gif

convert -size 16x16 xc:red still.gif

# Large enough to be seen playing on the screen: three frames of 200 ms.
convert -size 200x150 -delay 20 xc:red xc:lime xc:blue -loop 0 anim_screen.gif

# 1400 x 1200 in quadrants (red, lime / blue, yellow): a large picture.
convert -size 700x600 xc:red xc:lime +append \( -size 700x600 xc:blue xc:yellow +append \) \
  -append -strip -quality 90 large_quadrants.jpg

touch stamp
