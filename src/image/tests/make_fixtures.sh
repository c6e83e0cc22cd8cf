#!/usr/bin/env bash
# Writes the decoding tests' pictures into $1: JPEG and TIFF files whose EXIF
# data exiftool writes, and exiftool's own reading of them for comparison.
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"
exif() { exiftool -q -q -overwrite_original "$@"; }

# 16 x 24: 2 x 3 blocks of 8 x 8 in six colours (red, lime / blue, yellow /
# magenta, cyan); whole blocks survive JPEG compression nearly unchanged.
convert \( xc:red xc:lime +append \) \( xc:blue xc:yellow +append \) \
  \( xc:magenta xc:cyan +append \) -append -scale 800% -strip \
  -sampling-factor 1x1 -quality 100 blocks.jpg
for orientation in 1 2 3 4 5 6 7 8; do
  cp blocks.jpg "orientation_$orientation.jpg"
  # Both byte orders: Motorola for odd orientations, Intel for even ones.
  order=II
  if [ $((orientation % 2)) -eq 1 ]; then order=MM; fi
  exif -ExifByteOrder=$order -Orientation#=$orientation "orientation_$orientation.jpg"
done

# 3000 x 2000 in quadrants (red, lime / blue, yellow), stored rotated.
convert -size 1500x1000 xc:red xc:lime +append \( -size 1500x1000 xc:blue xc:yellow +append \) \
  -append -strip -quality 80 large_orientation_6.jpg
exif -Orientation#=6 large_orientation_6.jpg

tags=(-Make="Maker Co" -Model="Model 7" -LensModel="Lens 35mm F1.4"
  -DateTimeOriginal="2023:07:14 09:26:53" -FNumber=2.8 -MaxApertureValue=1.7
  -ExposureTime=1/250 -ISO=400 -FocalLength=35 -MeteringMode#=5 -EXIF:Flash#=16
  -WhiteBalance#=1 -ExposureProgram#=3 -Orientation#=3
  -GPSLatitude=31.2304 -GPSLatitudeRef=S -GPSLongitude=121.4737 -GPSLongitudeRef=E)
for order in II MM; do
  convert -size 8x8 xc:gray -strip "exif_$order.jpg"
  exif -ExifByteOrder=$order "${tags[@]}" "exif_$order.jpg"
  exiftool -n -args -Make -Model -LensModel -DateTimeOriginal -FNumber -MaxApertureValue \
    -ExposureTime -ISO -FocalLength -MeteringMode -Flash -WhiteBalance -ExposureProgram \
    -Orientation -GPSLatitude -GPSLatitudeRef -GPSLongitude -GPSLongitudeRef \
    "exif_$order.jpg" >"exif_$order.txt"

  endian=lsb
  if [ $order = MM ]; then endian=msb; fi
  convert -size 8x8 xc:gray -define tiff:endian=$endian -strip "tags_$order.tif"
  exif "${tags[@]}" -Software="Lumora tests" -XResolution=300 -YResolution=300 "tags_$order.tif"
done
# A wide-gamut profile, and a photo carrying every kind of metadata a user
# keeps: EXIF (stored turned, orientation 6), XMP, IPTC keywords, the profile.
python3 "$(dirname "$0")/make_icc_profile.py" wide_gamut.icc "Lumora wide gamut"
convert -size 64x48 xc:red -fill blue -draw "rectangle 32,0 63,47" -strip -quality 95 \
  metadata_source.jpg
exif -Make="Maker Co" -Orientation#=6 -XMP-dc:Title="Lumora metadata title" \
  -XMP-tiff:Orientation#=6 -IPTC:Keywords=alpha -IPTC:Keywords=beta \
  "-ICC_Profile<=wide_gamut.icc" metadata_source.jpg
# A photo-like picture, stored turned (orientation 6) with the wide-gamut
# profile: the DCT-scaled fit view must match the full decode's.
convert -size 600x400 -seed 3 plasma:fractal -blur 0x1 -resize 2400x1600! \
  -attenuate 0.3 +noise Gaussian -sampling-factor 2x2 -quality 90 -strip scaled_photo.jpg
exif -Orientation#=6 "-ICC_Profile<=wide_gamut.icc" scaled_photo.jpg
convert -size 640x480 -seed 5 plasma:fractal -colorspace CMYK -quality 90 -strip cmyk_photo.jpg
# JPEGs of other kinds the header reader must read as the platform does: grey,
# progressive with its resolution in dots per centimetre, 4:2:2 with a
# resolution in inches.
convert -size 90x70 -seed 9 plasma:fractal -colorspace Gray -quality 85 -strip gray_photo.jpg
convert -size 97x61 -seed 11 plasma:fractal -interlace JPEG -units PixelsPerCentimeter \
  -density 40 -quality 85 -strip progressive_photo.jpg
convert -size 120x80 -seed 13 plasma:fractal -sampling-factor 2x1 -units PixelsPerInch \
  -density 300 -quality 85 -strip subsampled_photo.jpg
convert -size 6x4 xc:red xc:blue xc:lime -set delay 10 animated.gif
convert -size 6x4 xc:red still.gif
touch stamp
