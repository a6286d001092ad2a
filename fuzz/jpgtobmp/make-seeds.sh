#!/usr/bin/env bash
# Writes the seed JPEG files of the decoder's fuzz target into corpus/ with ImageMagick.
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p corpus
src="gradient:red-blue"
convert -size 16x16 "$src" -quality 80 corpus/baseline-420.jpg
convert -size 23x17 "$src" -quality 90 -sampling-factor 1x1 corpus/baseline-444-odd.jpg
convert -size 32x8 "$src" -quality 70 -sampling-factor 2x1 corpus/baseline-422.jpg
convert -size 24x24 "$src" -interlace JPEG corpus/progressive.jpg
convert -size 20x12 "$src" -colorspace Gray corpus/grayscale.jpg
# corpus/restart.jpg, with restart markers, comes from the tests' own JPEG writer
# (tests/jpgtobmp/JpegSamples.cpp, JpegKind::RestartIntervals), since convert writes none.
convert -size 8x8 xc:black -colorspace CMYK corpus/cmyk.jpg
convert -size 1x1 xc:white corpus/one-pixel.jpg
head -c 200 corpus/progressive.jpg > corpus/progressive-truncated.jpg
