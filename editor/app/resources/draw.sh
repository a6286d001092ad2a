#!/usr/bin/env bash
# Draws the editor's pictures with ImageMagick: the eight toolbar buttons (16 x 15), the five
# tree icons and the frame icon (32 x 32). The PNG files are kept in the repository; run this
# again only to change a picture.
set -euo pipefail
cd "$(dirname "$0")"
tb() { convert -size 16x15 xc:none "$@"; }
ic() { convert -size 32x32 xc:none "$@"; }

# Toolbar, in button order.
tb -fill '#2050a0' -stroke black -draw 'rectangle 1,1 14,13' \
   -fill white -stroke none -draw 'rectangle 4,1 11,5' \
   -fill '#c0c0c0' -draw 'rectangle 4,9 11,13' -fill black -draw 'rectangle 9,2 10,4' \
   tb_save.png                                                    # a floppy disk
tb -fill '#e0c040' -stroke black -draw 'polygon 1,4 5,4 6,5 11,5 11,13 1,13' \
   -fill '#f8e080' -draw 'polygon 3,8 15,8 12,13 1,13' tb_restore.png   # an opening folder
tb -fill '#f0d000' -stroke '#806000' -draw 'circle 7,7 7,1' \
   -fill white -stroke '#806000' -draw 'circle 7,7 7,5' tb_pictures.png # a yellow disc
tb -fill black -stroke black -draw 'line 9,1 9,11' -draw 'line 9,1 13,3' \
   -draw 'ellipse 6,11 3,2 0,360' tb_music.png                    # a musical note
tb -fill white -stroke black -draw 'polygon 3,1 10,1 13,4 13,13 3,13' \
   -draw 'line 10,1 10,4' -draw 'line 10,4 13,4' tb_revert.png    # a blank page
tb -fill '#102080' -stroke none -draw 'rectangle 3,1 12,3' -draw 'rectangle 3,1 6,13' \
   -draw 'rectangle 3,6 10,8' -draw 'rectangle 3,11 12,13' tb_explorer.png # a bold E
tb -fill none -stroke '#a01010' -strokewidth 2 \
   -draw 'polyline 1,1 4,13 7,5 10,13 14,1' tb_game.png      # a bold W
tb -fill none -stroke '#000080' -strokewidth 2 -draw 'arc 4,1 11,8 180,90' \
   -draw 'line 8,8 8,10' -fill '#000080' -stroke none -draw 'rectangle 7,12 8,13' \
   tb_about.png                                                   # a question mark

# Tree icons.
ic -fill '#101848' -draw 'rectangle 0,0 31,31' -fill '#f8f0c0' -draw 'circle 23,7 23,3' \
   -fill '#101848' -draw 'circle 21,6 21,3' -fill '#303040' \
   -draw 'rectangle 1,18 7,31' -draw 'rectangle 8,13 14,31' -draw 'rectangle 15,21 21,31' \
   -draw 'rectangle 22,15 29,31' -fill '#f0e060' -draw 'point 3,21' -draw 'point 5,25' \
   -draw 'point 10,16' -draw 'point 12,20' -draw 'point 10,25' -draw 'point 17,24' \
   -draw 'point 24,18' -draw 'point 27,22' -draw 'point 25,27' icon_pictures.png # night city
ic -fill '#d0a830' -stroke black -draw 'polygon 2,6 11,6 13,9 25,9 25,27 2,27' \
   -fill '#f8e080' -draw 'polygon 6,14 31,14 26,27 2,27' icon_selected.png      # open folder
ic -fill '#404040' -stroke black -draw 'rectangle 3,11 9,21' \
   -fill '#808080' -draw 'polygon 9,11 18,3 18,29 9,21' -fill none -stroke '#2060c0' \
   -strokewidth 2 -draw 'arc 14,9 26,23 -60,60' -draw 'arc 14,4 31,28 -60,60' \
   icon_music.png                                                 # a loudspeaker
ic -fill '#202020' -stroke '#202020' -strokewidth 3 -draw 'line 20,4 20,24' \
   -draw 'line 20,4 28,9' -strokewidth 1 -draw 'ellipse 15,24 6,4 0,360' \
   icon_track.png                                                 # a musical note
ic -fill '#d0a830' -stroke black -draw 'polygon 2,6 11,6 13,9 29,9 29,27 2,27' \
   -fill '#e8c050' -draw 'rectangle 2,12 29,27' icon_picture.png  # a closed folder

# Frame icon: a falling piece over the well.
ic -fill '#203060' -draw 'rectangle 0,0 31,31' -fill '#e03030' -stroke black \
   -draw 'rectangle 4,4 13,13' -draw 'rectangle 13,4 22,13' -draw 'rectangle 13,13 22,22' \
   -draw 'rectangle 22,13 31,22' -fill '#30a0e0' -draw 'rectangle 0,24 31,31' frame.png
