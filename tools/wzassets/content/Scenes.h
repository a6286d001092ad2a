#pragma once

// The scenes of the level pictures. Each paints the whole of a 296 × 432 canvas; each level
// has its own scene, palette and mood (LevelPictures.cpp says which).

#include "Canvas.h"

namespace wz::content {

// Landscapes.cpp
void PaintDawnMeadow(Canvas& c);
void PaintOceanSunset(Canvas& c);
void PaintDesertDunes(Canvas& c);
void PaintAuroraPeaks(Canvas& c);
void PaintMistyForest(Canvas& c);
void PaintAutumnHills(Canvas& c);
void PaintVolcano(Canvas& c);
void PaintWinterNight(Canvas& c);

// Cityscapes and water, Waterworld.cpp
void PaintNightCity(Canvas& c);
void PaintUnderwater(Canvas& c);

// Fractals.cpp
void PaintMandelbrot(Canvas& c);
void PaintJulia(Canvas& c);
void PaintNewton(Canvas& c);

// Patterns.cpp
void PaintPlasma(Canvas& c);
void PaintStainedGlass(Canvas& c);
void PaintKaleidoscope(Canvas& c);
void PaintOpArt(Canvas& c);

// Space.cpp
void PaintRingedPlanet(Canvas& c);
void PaintGalaxy(Canvas& c);
void PaintNebula(Canvas& c);

} // namespace wz::content
