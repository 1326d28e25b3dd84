#!/usr/bin/env bash
# Draws the main window's decorative side strip: a night-blue to green
# gradient roughened with a seeded plasma, saved as a JPEG.
set -euo pipefail
cd "$(dirname "$0")"
convert -size 24x512 gradient:'#06122b-#2a8a4e' \
        \( -size 24x512 -seed 229 plasma:grey50-grey50 -colorspace gray -blur 0x2 \) \
        -compose overlay -composite -strip -quality 88 sidestrip.jpg
