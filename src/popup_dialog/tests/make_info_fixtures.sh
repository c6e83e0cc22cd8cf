#!/usr/bin/env bash
# Writes the information window's pictures into $1: two camera-like JPEGs
# whose EXIF and GPS data exiftool writes, with exiftool's own reading of
# each beside it (NAME.txt, "-Tag=value" lines), and a BMP without metadata.
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"
exif() { exiftool -q -q -overwrite_original "$@"; }
reading() {
  {
    exiftool -n -args -Make -Model -LensModel -DateTimeOriginal -FNumber -ExposureTime -ISO \
      -FocalLength -MeteringMode -Flash -WhiteBalance -ExposureProgram -Composite:GPSLatitude \
      -Composite:GPSLongitude -EXIF:XResolution -ImageWidth -ImageHeight -FileSize "$1"
    # The print forms: the exposure as a fraction, the file time as local time.
    exiftool -args -ExposureTime -d '%Y-%m-%d %H:%M:%S' -FileModifyDate "$1" |
      sed 's/^-/-Print/'
  } >"${1%.*}.txt"
}

# South and west: both coordinates negative.
convert -size 64x48 xc:gray -strip -density 300 -units PixelsPerInch -quality 90 camera_south.jpg
exif -Make="Lumora Optics" -Model="LX-7 Mark II" -LensModel="Zoom 24-70mm F2.8" \
  -DateTimeOriginal="2021:07:04 09:05:00" -FNumber=5.6 -MaxApertureValue=2.8 -ExposureTime=1/250 \
  -ISO=800 -FocalLength=50 -MeteringMode#=5 -EXIF:Flash#=25 -WhiteBalance#=0 -ExposureProgram#=3 \
  -XResolution=300 -YResolution=300 -ResolutionUnit=inches \
  -GPSLatitude="30 30 0" -GPSLatitudeRef=S -GPSLongitude="120 15 0" -GPSLongitudeRef=W \
  camera_south.jpg
touch -d '2022-05-06 07:08:09' camera_south.jpg
reading camera_south.jpg

# North and east, a flash that did not fire, manual white balance, and a
# metering mode ("other", 255) the list has no item for.
convert -size 48x64 xc:gray -strip -density 300 -units PixelsPerInch -quality 90 camera_north.jpg
exif -Make="Northern Camera Works" -Model="NC 100" -DateTimeOriginal="2019:12:31 23:59:58" \
  -FNumber=1.8 -ExposureTime=1/60 -ISO=100 -FocalLength=4.2 -MeteringMode#=255 -EXIF:Flash#=16 \
  -WhiteBalance#=1 -ExposureProgram#=2 -XResolution=300 -YResolution=300 -ResolutionUnit=inches \
  -GPSLatitude="45 45 0" -GPSLatitudeRef=N -GPSLongitude="7 7 30" -GPSLongitudeRef=E \
  camera_north.jpg
touch -d '2020-01-02 03:04:05' camera_north.jpg
reading camera_north.jpg

convert -size 40x30 xc:blue plain.bmp
touch -d '2023-08-09 10:11:12' plain.bmp
reading plain.bmp
touch stamp
