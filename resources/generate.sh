#!/bin/sh
# Regenerates every image in images/ from the sources in src/.
# Needs: python3, rsvg-convert (librsvg2-bin), ImageMagick (convert).
# Usage: resources/generate.sh   (from any directory)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
src="$here/src"
out="$here/images"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT INT TERM
mkdir -p "$out"

# name width height  (source is src/<name>.svg, result images/<name>.png)
while read -r name w h; do
    [ -n "$name" ] || continue
    rsvg-convert -w "$w" -h "$h" "$src/$name.svg" -o "$out/$name.png"
done <<'LIST'
MoviesFolder 72 72
disc 72 72
play 48 48
pause 48 48
stop 32 32
pre 32 32
next 32 32
volume 24 24
no-volume 24 24
menu 24 24
snapshot 24 24
folder 24 24
add 24 24
remove 24 24
clean 24 24
fullscreen 16 16
playstatus 16 16
dot 16 16
question 48 48
information 48 48
close 32 24
min 32 24
logo 1800 1800
LIST

# Window icon: simplified mark for the small sizes, full mark from 48 up.
for s in 16 24 32; do
    rsvg-convert -w $s -h $s "$src/logo-small.svg" -o "$tmp/logo-$s.png"
done
for s in 48 64 128 256; do
    rsvg-convert -w $s -h $s "$src/logo.svg" -o "$tmp/logo-$s.png"
done
convert "$tmp/logo-16.png" "$tmp/logo-24.png" "$tmp/logo-32.png" "$tmp/logo-48.png" \
        "$tmp/logo-64.png" "$tmp/logo-128.png" "$tmp/logo-256.png" "$out/logo.ico"

# Welcome background: SVG written by bg.py, light grain against banding.
python3 "$src/bg.py"
rsvg-convert -w 1600 -h 1200 "$src/bg.svg" -o "$tmp/bg.png"
convert "$tmp/bg.png" -seed 7 -attenuate 0.25 +noise Gaussian \
        -strip -sampling-factor 4:4:4 -quality 92 "$out/bg.jpg"

# Desktop icons (hicolor theme): the same two marks, and the full one as the
# scalable icon.
icons="$here/icons/hicolor"
for s in 16 22 24 32 48 64 128 256 512; do
    mark="$src/logo.svg"
    [ "$s" -gt 32 ] || mark="$src/logo-small.svg"
    mkdir -p "$icons/${s}x$s/apps"
    rsvg-convert -w $s -h $s "$mark" -o "$icons/${s}x$s/apps/org.vantorel.Vantorel.png"
done
mkdir -p "$icons/scalable/apps"
cp "$src/logo.svg" "$icons/scalable/apps/org.vantorel.Vantorel.svg"

echo "images written to $out"
