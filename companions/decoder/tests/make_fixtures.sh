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

# ---- Photo formats ----
tools="python3 $(dirname "$0")/fixture_tools.py"
# 32 x 48, upright: four coloured blocks and a black corner mark at the top left.
im -size 32x48 xc:red -fill blue -draw "rectangle 16,0 31,23" -fill lime \
  -draw "rectangle 0,24 15,47" -fill white -draw "rectangle 16,24 31,47" -fill black \
  -draw "rectangle 0,0 7,7" -strip upright.png
camera_exif() {
  exiftool -q -overwrite_original -Orientation#=6 -Make=Lumora -Model="Test Phone" \
    -DateTimeOriginal="2023:04:05 06:07:08" -FNumber=2.8 -ExposureTime=0.004 -ISO=200 \
    -FocalLength=4.2 -GPSLatitude=30.5 -GPSLatitudeRef=N -GPSLongitude=120.25 \
    -GPSLongitudeRef=W "$1"
}
# heif_picture NAME OUT "IM operations" [heif-enc options] [geometry steps...]: the
# upright picture stored after the operations, with EXIF, and the container's
# rotation and mirroring that turn it upright again.
heif_picture() {
  local name=$1 ops=$2 options=$3
  shift 3
  im upright.png $ops -quality 100 "stored_$name.jpg"
  camera_exif "stored_$name.jpg"
  heif-enc $options "stored_$name.jpg" -o "$name" >/dev/null
  if [ $# -gt 0 ]; then $tools heif-geometry "$name" "$@"; fi
}
# A phone's portrait photo: stored on its side, a quarter turn anti-clockwise.
heif_picture heic_irot.heic "-rotate 90" "-q 95" irot=1
heif_picture heic_imir.heic "-flop" "-q 95" imir=1
heif_picture heic_irot_imir.heic "-flip -rotate 270" "-q 95" irot=3 imir=0
heif_picture avif_irot.avif "-rotate 180" "-q 95 -A" irot=2
# The clean aperture keeps the stored block that becomes the top left 16 x 24.
heif_picture heic_clap_irot.heic "-rotate 90" "-q 95" clap=24,16,12,-8 irot=1
im upright.png -crop 16x24+0+0 +repage upright_top_left.png
# 10 bits, which the container's reference reader turns only at 8 bits. The
# source is 16-bit truecolour: heif-enc misreads a palette PNG at 10 bits.
im upright.png -rotate 90 -define png:bit-depth=16 -define png:color-type=2 stored_10bit.png
heif-enc -q 95 -b 10 stored_10bit.png -o heic_10bit.heic >/dev/null
$tools heif-geometry heic_10bit.heic irot=1
# An odd size: the coded picture is larger and cropped by the container.
heif-enc -q 95 pattern.png -o heic_odd.heic >/dev/null
# The same picture, its HEVC parameters declaring more pixels than the
# module decodes (sides a multiple of 8, as libde265 requires).
cp heic_odd.heic heic_oversized.heic
$tools hevc-size heic_oversized.heic 11592 11592
# A colour profile of its own.
$tools icc test_profile.icc
im upright.png -profile test_profile.icc profiled.png
heif-enc -q 95 profiled.png -o heic_profile.heic >/dev/null
# AVIF with alpha, lossless, over a checked pattern.
im pattern_alpha.png -define png:color-type=6 pattern_alpha_rgba.png
heif-enc -A -L -p chroma=444 --matrix_coefficients=0 pattern_alpha_rgba.png \
  -o avif_alpha.avif >/dev/null

# Camera RAW: DNGs written here, sensor data in an RGGB pattern. The stored
# picture lies on its side (orientation 6 turns it upright).
im upright.png -rotate 270 -depth 8 stored_raw.ppm
im stored_raw.ppm -quality 95 raw_preview.jpg
im stored_raw.ppm -resize 12x8! -depth 8 raw_thumbnail.ppm
$tools dng raw_preview.dng --stored stored_raw.ppm --preview raw_preview.jpg \
  --thumbnail raw_thumbnail.ppm --orientation 6
# Only a thumbnail: developed from the sensor data at half size.
$tools dng raw_thumbnail.dng --stored stored_raw.ppm --thumbnail raw_thumbnail.ppm \
  --orientation 6
# Sensor data alone, stored upside down (orientation 3).
im upright.png -rotate 180 -depth 8 stored_raw_180.ppm
$tools dng raw_sensor.dng --stored stored_raw_180.ppm --orientation 3
touch stamp
