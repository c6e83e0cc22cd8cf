#!/usr/bin/env bash
# Saving a JPEG keeps the user's metadata: a photo with EXIF, XMP, IPTC
# keywords and an ICC profile is rotated (saved back) and saved under another
# name by metadata_save_helper, with the platform's JPEG encoder and with the
# program's own, and exiftool reads what came out.
#   jpeg_metadata_test.sh <metadata_save_helper.exe> <fixtures folder>
set -euo pipefail
helper=$1
fixtures=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
windows() { printf 'Z:%s' "${1//\//\\}"; }

source=$fixtures/metadata_source.jpg
"${LUMORA_WINE:-wine}" "$helper" "$(windows "$source")" "$(windows "$work")"

# The source is stored turned (orientation 6: 64 x 48 stored, 48 x 64 shown).
# Neither encoder can write the tag here, so the pixels come out as shown
# (a quarter turn on for the rotated copy) with orientation 1, and what
# describes the orientation says so.
status=0
for name in rotated_platform saved_platform rotated_own saved_own; do
  size="48|64"
  case $name in rotated_*) size="64|48" ;; esac
  expected="Maker Co|1|Lumora metadata title|1|alpha, beta|Lumora wide gamut|$size"
  # A missing tag reads as "-".
  got=$(exiftool -f -n -p '${EXIF:Make}|${EXIF:Orientation}|${XMP-dc:Title}|${XMP-tiff:Orientation}|${IPTC:Keywords}|${ICC_Profile:ProfileDescription}|${File:ImageWidth}|${File:ImageHeight}' \
    "$work/$name.jpg")
  if [ "$got" != "$expected" ]; then
    echo "$name.jpg: expected $expected" >&2
    echo "$name.jpg: exiftool read $got" >&2
    status=1
  fi
done
[ $status -eq 0 ] && echo "every metadata segment came through"
exit $status
