#!/usr/bin/env bash
# Writes the decoder module's test pictures into $1 with ImageMagick: one
# small pattern in every format and variant the module decodes, plus PNG
# references the tests decode with the platform's own codec.
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"
im() { convert "$@"; }

# 7 x 5: an odd width exercises row padding; every pixel differs.
{
  echo "P3 7 5 255"
  for y in 0 1 2 3 4; do
    for x in 0 1 2 3 4 5 6; do
      echo "$((x * 40)) $((y * 60)) $(((x + y) * 20 % 256))"
    done
  done
} >source.ppm
im source.ppm -strip pattern.png
# Alpha 0, 128 and 255 in turn.
im pattern.png \( +clone -channel R -fx "(i+j)%3==0 ? 0.0 : ((i+j)%3==1 ? 128/255 : 1.0)" \
  -separate \) -alpha off -compose CopyOpacity -composite -strip pattern_alpha.png
im pattern.png -type Grayscale -strip grey.png
im pattern.png -type Bilevel -strip mono.png

# ImageMagick writes the rows in its own order and the origin from -orient:
# top-down files, and one bottom-up file (rows flipped, origin bottom left).
im pattern.png -flip -orient BottomLeft -type TrueColor -compress None tga_24.tga
im pattern.png -orient TopLeft -type TrueColor -compress RLE tga_24_rle.tga
im pattern_alpha.png -orient TopLeft -type TrueColorAlpha -compress None tga_32.tga
im pattern_alpha.png -orient TopLeft -type TrueColorAlpha -compress RLE tga_32_rle.tga
im pattern.png -orient TopLeft -type Palette -compress None tga_8_mapped.tga
im pattern.png -orient TopLeft -type Palette -compress RLE tga_8_mapped_rle.tga
im grey.png -orient TopLeft -type Grayscale -compress None tga_8_grey.tga
im grey.png -orient TopLeft -type Grayscale -compress RLE tga_8_grey_rle.tga

im pattern.png -type TrueColor pcx_24.pcx
im pattern.png -type Palette pcx_8.pcx
im pattern_alpha.png -type TrueColorAlpha pcx_32.pcx

im pattern.png -compress None pnm_plain.ppm
im pattern.png pnm_raw.ppm
im pattern.png -depth 16 pnm_raw16.ppm
im grey.png -compress None pnm_plain.pgm
im grey.png pnm_raw.pgm
im mono.png -compress None pnm_plain.pbm
im mono.png pnm_raw.pbm

im pattern.png -define webp:lossless=true webp_lossless.webp
im pattern_alpha.png -define webp:lossless=true -define webp:exact=true webp_alpha.webp
im pattern.png -quality 95 webp_lossy.webp
touch stamp
