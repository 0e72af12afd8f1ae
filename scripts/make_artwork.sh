#!/usr/bin/env bash
# Draws the main window's background picture (368 x 264, 256 colours) and the program icon
# with ImageMagick. The results are kept in resources/; run this only to change them.
set -euo pipefail
cd "$(dirname "$0")/../resources"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
light=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

# Icon: a clipboard with a sheet and a green "caught" mark.
convert -size 128x128 xc:none \
  -fill '#2a5298' -draw 'roundrectangle 18,14 110,122 14,14' \
  -fill '#f4f1e8' -draw 'roundrectangle 28,30 100,114 6,6' \
  -fill '#8a8f99' -draw 'roundrectangle 44,6 84,26 6,6' \
  -fill '#c9ccd3' -draw 'rectangle 38,46 90,50' -draw 'rectangle 38,58 90,62' -draw 'rectangle 38,70 76,74' \
  -fill '#2e9e5b' -draw 'circle 82,94 82,76' \
  -stroke '#ffffff' -strokewidth 6 -fill none -draw 'polyline 73,94 80,101 92,87' \
  snapwell.png

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
