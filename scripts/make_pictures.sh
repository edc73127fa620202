#!/usr/bin/env bash
# Draws the program's pictures with ImageMagick into src/about/pictures. The build only
# uses the files; run this again after changing a picture.
#   photo.jpg        the photo of the splash and About windows: 359 x 278, baseline, 8-bit RGB
#   program.png      the program picture: 56 x 56, 32 bits per pixel
#   icon{16,24,32,64}.png  the application icon the program draws
#   icon{48,128,256}.png, icon.svg  the same icon for the installed copy's icon theme
#   Tarvik.ico       the same icon in the Windows executable, from 16 to 256 pixels
set -euo pipefail
cd "$(dirname "$0")/../src/about/pictures"

# A desk by a window: sky and hills outside, a wall calendar, an alarm clock, a notebook.
convert -size 359x278 gradient:'#8fc3f0-#e8f2fb' \
    -fill '#f7e7a1' -draw 'circle 300,52 300,74' \
    -fill '#6f9e5b' -draw 'path "M 0,170 Q 90,120 180,160 T 359,150 L 359,200 L 0,200 Z"' \
    -fill '#4e7d43' -draw 'path "M 0,190 Q 120,160 240,185 T 359,180 L 359,200 L 0,200 Z"' \
    -fill '#d9c7a6' -draw 'rectangle 0,0 22,278' -draw 'rectangle 337,0 359,278' \
    -fill '#8a5a35' -draw 'rectangle 0,196 359,278' \
    -fill '#9c6a42' -draw 'rectangle 0,196 359,204' \
    -fill white -stroke '#555555' -draw 'rectangle 40,30 130,130' \
    -fill '#c0392b' -stroke none -draw 'rectangle 40,30 130,52' \
    -fill '#777777' -draw 'circle 60,30 60,34' -draw 'circle 110,30 110,34' \
    -fill '#e67e22' -draw 'rectangle 88,98 100,108' \
    -stroke '#bbbbbb' -draw 'line 48,64 122,64' -draw 'line 48,78 122,78' \
    -draw 'line 48,92 122,92' -draw 'line 48,106 122,106' -draw 'line 48,120 122,120' \
    -stroke none -fill '#f3f0e6' -draw 'polygon 60,214 200,206 214,262 70,272' \
    -stroke '#9aa7c7' -draw 'line 78,228 196,221' -draw 'line 80,240 199,233' \
    -draw 'line 83,252 202,245' \
    -stroke '#1e8449' -strokewidth 3 -fill none -draw 'polyline 84,226 88,231 95,220' \
    -stroke '#1e8449' -draw 'polyline 86,238 90,243 97,232' \
    -stroke none -fill '#d35400' -draw 'circle 262,172 262,150' \
    -draw 'circle 242,150 242,140' -draw 'circle 282,150 282,140' \
    -fill white -draw 'circle 262,174 262,157' \
    -stroke '#333333' -strokewidth 3 -draw 'line 262,174 262,162' -draw 'line 262,174 271,179' \
    -stroke '#333333' -strokewidth 4 -draw 'line 248,194 242,202' -draw 'line 276,194 282,202' \
    -attenuate 0.35 +noise Gaussian -blur 0x0.6 \
    -type TrueColor -colorspace sRGB -depth 8 -interlace none -sampling-factor 2x2 \
    -quality 88 -strip photo.jpg

# One drawing at 256 px, scaled to each size: a notebook page with ticks and an orange clock.
draw_icon() {
    convert -size 256x256 xc:none \
        -fill '#2c6fb7' -draw 'roundrectangle 8,8 248,248 40,40' \
        -fill white -draw 'roundrectangle 44,28 180,212 10,10' \
        -stroke '#1e8449' -strokewidth 16 -fill none \
        -draw 'polyline 66,78 84,98 112,60' -draw 'polyline 66,146 84,166 112,128' \
        -stroke '#9aa7c7' -strokewidth 10 -draw 'line 124,84 162,84' -draw 'line 124,152 162,152' \
        -stroke none -fill '#e67e22' -draw 'circle 180,180 180,116' \
        -fill white -draw 'circle 180,180 180,132' \
        -stroke '#333333' -strokewidth 12 -draw 'line 180,180 180,146' -draw 'line 180,180 204,194' \
        "$1"
}
big=$(mktemp --suffix=.png)
draw_icon "$big"
for size in 16 24 32 48 64 128 256; do
    convert "$big" -filter Lanczos -resize ${size}x${size} -depth 8 -define png:color-type=6 "icon${size}.png"
done
convert icon16.png icon24.png icon32.png icon48.png icon64.png icon256.png Tarvik.ico
convert "$big" -filter Lanczos -resize 56x56 -depth 8 -define png:color-type=6 program.png
rm -f "$big"

# The same drawing as a scalable icon, shape for shape.
cat > icon.svg <<'SVG'
<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">
  <rect x="8" y="8" width="240" height="240" rx="40" fill="#2c6fb7"/>
  <rect x="44" y="28" width="136" height="184" rx="10" fill="#ffffff"/>
  <g fill="none" stroke="#1e8449" stroke-width="16">
    <polyline points="66,78 84,98 112,60"/>
    <polyline points="66,146 84,166 112,128"/>
  </g>
  <g stroke="#9aa7c7" stroke-width="10">
    <line x1="124" y1="84" x2="162" y2="84"/>
    <line x1="124" y1="152" x2="162" y2="152"/>
  </g>
  <circle cx="180" cy="180" r="64" fill="#e67e22"/>
  <circle cx="180" cy="180" r="48" fill="#ffffff"/>
  <g stroke="#333333" stroke-width="12">
    <line x1="180" y1="180" x2="180" y2="146"/>
    <line x1="180" y1="180" x2="204" y2="194"/>
  </g>
</svg>
SVG
