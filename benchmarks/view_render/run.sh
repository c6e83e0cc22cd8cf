#!/usr/bin/env bash
# Builds the view benchmark, writes a folder of 24-megapixel JPEG photos, and
# prints the benchmark's figures beside the time djpeg (libjpeg-turbo) takes
# to decode the same file fully, in the same run.
#
#   benchmarks/view_render/run.sh [number of pictures, default 4]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
count=${1:-4}

"$root/tools/setup"
source "$root/tools/wine-env"
"$root/tools/build" >/dev/null
exe="$LUMORA_RUN_BUILD/benchmarks/view_render_benchmark.exe"

source "$root/benchmarks/write-photos.sh"
echo "$(identify -format '%wx%h, %b' "$first") per file, $count files" >&2

# djpeg: the best of five full decodes to memory's equivalent (discarded output).
best=""
for _ in 1 2 3 4 5; do
  start=$(date +%s%N)
  djpeg -bmp -outfile /dev/null "$first"
  ms=$(( ($(date +%s%N) - start) / 1000000 ))
  if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
done

"$root/tools/wine-window-mode" virtual
read -r display xvfb_pid < <("$root/tools/xvfb-start")
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
export DISPLAY=$display
"$root/tools/wineserver-up"

echo "djpeg full decode (native, best of 5) $(printf '%8d' "$best") ms"
"$root/tools/wine-run" "$exe" "$(winepath -w "$folder" 2>/dev/null || echo "Z:${folder//\//\\}")" |
  grep -v '^\[I\]'
