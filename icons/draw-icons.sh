#!/usr/bin/env bash
# Draws the program's own icons with ImageMagick and copies the rest from the
# Tango icon theme (Debian package tango-icon-theme, public domain).  The PNG
# files are kept in the repository; run this only to make them again.
set -euo pipefail
cd "$(dirname "$0")"
im=convert
command -v convert-im6.q16 >/dev/null && im=convert-im6.q16
tango=/usr/share/icons/Tango/32x32
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf

# ---- From Tango, 32 x 32 ------------------------------------------------------------
cp "$tango/actions/document-new.png" new.png
cp "$tango/actions/document-open.png" open.png
cp "$tango/apps/help-browser.png" book.png
cp "$tango/status/dialog-information.png" info.png
cp "$tango/actions/go-down.png" import.png
cp "$tango/actions/go-up.png" export.png
cp "$tango/actions/edit-cut.png" slice.png
cp "$tango/actions/list-add.png" addto.png
cp "$tango/actions/list-remove.png" delete.png

# ---- Drawn: ribbon buttons, 32 x 32 (Tango palette) -----------------------------------
# A road running into the distance, verges either side, dashed centre line.
$im -size 32x32 xc:none \
  -fill '#73d216' -draw "polygon 10,3 22,3 31,30 1,30" \
  -fill '#555753' -draw "polygon 12,3 20,3 28,30 4,30" \
  -stroke '#eeeeec' -strokewidth 1.5 -draw "line 16,5 16,9" -draw "line 16,13 16,18" -draw "line 16,22 16,28" \
  PNG32:road.png

# Four swatches, one per colour mode: RGB, intensity, height, classification.
$im -size 32x32 xc:none -stroke '#2e3436' \
  -fill '#cc0000' -draw "roundrectangle 2,2 14,14 2,2" \
  -fill '#babdb6' -draw "roundrectangle 17,2 29,14 2,2" \
  -fill '#edd400' -draw "roundrectangle 2,17 14,29 2,2" \
  -fill '#3465a4' -draw "roundrectangle 17,17 29,29 2,2" \
  PNG32:colors.png

# A cross section: measured ground line (blue) over the design line (red).
$im -size 32x32 xc:none \
  -fill '#eeeeec' -stroke '#555753' -draw "rectangle 1,4 30,27" \
  -fill none -stroke '#cc0000' -strokewidth 1.5 -draw "polyline 3,22 12,22 16,19 20,22 29,22" \
  -stroke '#3465a4' -strokewidth 2 -draw "polyline 3,18 8,15 13,16 17,11 22,13 29,9" \
  PNG32:section.png

# A vertical cut plane standing on the ground.
$im -size 32x32 xc:none \
  -fill '#8ae234' -stroke '#4e9a06' -draw "polygon 1,24 11,16 31,16 21,24" \
  -fill '#729fcfc0' -stroke '#204a87' -strokewidth 1.5 -draw "polygon 8,28 8,6 24,2 24,24" \
  PNG32:vertical_section.png

# A horizontal cut plane through a standing object.
$im -size 32x32 xc:none \
  -fill '#888a85' -stroke '#2e3436' -draw "rectangle 12,2 20,30" \
  -fill '#729fcfc0' -stroke '#204a87' -strokewidth 1.5 -draw "polygon 1,22 9,12 31,12 23,22" \
  PNG32:horizon_section.png

# ---- Drawn: workspace tree, 16 x 16 -------------------------------------------------------
$im -size 16x16 xc:none -fill none -stroke '#babdb6' -strokewidth 2 -draw "circle 8,8 8,3" PNG32:unselected.png
$im -size 16x16 xc:none -fill none -stroke '#babdb6' -strokewidth 2 -draw "circle 8,8 8,3" \
  -fill '#babdb6' -stroke none -draw "circle 8,8 8,6" PNG32:selected.png
$im -size 16x16 xc:none -fill none -stroke '#ef2929' -strokewidth 2 -draw "circle 8,8 8,3" PNG32:red_unselected.png
$im -size 16x16 xc:none -fill none -stroke '#ef2929' -strokewidth 2 -draw "circle 8,8 8,3" \
  -fill '#ef2929' -stroke none -draw "circle 8,8 8,6" PNG32:red_selected.png
$im -size 16x16 xc:none -fill none -stroke '#888a85' -strokewidth 2 -draw "circle 8,8 8,3" \
  -draw "line 4,12 12,4" PNG32:disable.png

# ---- Drawn: program icon, logo and About picture ----------------------------------------
$im -size 48x48 xc:none \
  -fill '#204a87' -draw "roundrectangle 1,1 46,46 8,8" \
  -fill '#4e9a06' -draw "polygon 19,6 29,6 44,44 4,44" \
  -fill '#555753' -draw "polygon 21,6 27,6 40,44 8,44" \
  -stroke '#fce94f' -strokewidth 2 -draw "line 24,9 24,15" -draw "line 24,20 24,28" -draw "line 24,33 24,43" \
  PNG32:corvane.png

$im -size 168x48 xc:none \
  \( corvane.png -resize 40x40 \) -geometry +2+4 -composite \
  -font "$font" -pointsize 24 -fill '#3465a4' -annotate +48+33 'Corvane' \
  PNG32:logo.png

$im -size 360x160 gradient:'#2e3436-#000000' \
  -fill '#4e9a06' -draw "polygon 150,40 210,40 340,160 20,160" \
  -fill '#555753' -draw "polygon 165,40 195,40 300,160 60,160" \
  -stroke '#fce94f' -strokewidth 3 -draw "line 180,50 180,70" -draw "line 180,90 180,115" -draw "line 180,135 180,160" \
  -stroke none -fill '#eeeeec' -font "$font" -pointsize 30 -annotate +18+36 'Corvane' \
  -fill '#babdb6' -pointsize 13 -annotate +20+56 'Road survey on point clouds' \
  PNG32:about.png

# ---- Drawn: section tool window, 32 x 32 ------------------------------------------------
# An eye: where the section is seen from.
$im -size 32x32 xc:none \
  -fill '#eeeeec' -stroke '#2e3436' -strokewidth 1.5 -draw "ellipse 16,16 14,8 0,360" \
  -fill '#3465a4' -stroke none -draw "circle 16,16 16,10" \
  -fill '#2e3436' -draw "circle 16,16 16,13" \
  PNG32:view.png

# Three dots in three colours: the colour of the section points.
$im -size 32x32 xc:none -stroke '#2e3436' \
  -fill '#cc0000' -draw "circle 10,10 10,4" \
  -fill '#73d216' -draw "circle 22,12 22,6" \
  -fill '#3465a4' -draw "circle 15,23 15,17" \
  PNG32:color.png

# A ruler with its ticks: measuring a distance.
$im -size 32x32 xc:none \
  -fill '#fce94f' -stroke '#c4a000' -strokewidth 1.5 -draw "polygon 2,22 22,2 30,10 10,30" \
  -stroke '#2e3436' -strokewidth 1 \
  -draw "line 7,17 10,20" -draw "line 11,13 13,15" -draw "line 15,9 18,12" -draw "line 19,5 21,7" \
  PNG32:measure.png

# A green tick: measuring finished.
$im -size 32x32 xc:none \
  -fill none -stroke '#4e9a06' -strokewidth 5 -draw "polyline 5,17 13,25 27,7" \
  PNG32:ok.png
