#!/usr/bin/env bash
# Draws the main window's background picture (368 x 264, 256 colours) with ImageMagick and
# renders the program icon in its sizes (rsvg-convert). The results are kept in resources/; run this only to change them.
set -euo pipefail
cd "$(dirname "$0")/../resources"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
light=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

# Icon: a clipboard with a sheet and a green "caught" mark, drawn in icons/snapwell.svg; the
# bitmaps for the desktop's icon sizes and the window's own icon are rendered from it.
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w $size -h $size icons/snapwell.svg -o icons/snapwell-$size.png
done
cp icons/snapwell-128.png snapwell.png

# Background: a calm blue field with the name and the icon, and a light strip at the bottom
# where the window puts the maker's notice and addresses.
convert -size 368x264 gradient:'#1d3b6f-#3f6fb5' \
  -fill '#f2efe6' -draw 'rectangle 0,178 368,264' \
  -fill '#c8a951' -draw 'rectangle 0,176 368,178' \
  \( snapwell.png -resize 88x88 \) -geometry +26+40 -composite \
  -font "$font" -pointsize 40 -fill '#ffffff' -annotate +128+92 'Snapwell' \
  -font "$light" -pointsize 13 -fill '#dbe6f7' -annotate +131+116 'Zwischenablage-Sammler' \
  -font "$light" -pointsize 11 -fill '#b9cbe8' -annotate +131+138 'Text und Bilder, sicher verwahrt' \
  -colors 256 -type Palette PNG8:background.png
