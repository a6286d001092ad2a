#include "Pictures.h"
#include "SceneKit.h"
#include "Scenes.h"

namespace wz::content {

namespace {

// One scene per level. The order climbs from a quiet dawn through the seasons, fractals and
// the city at night into space, so that reaching a new level is also a change of place.
using Scene = void (*)(Canvas&);
constexpr Scene kLevelScenes[20] = {
    PaintDawnMeadow,   PaintOceanSunset, PaintMandelbrot,  PaintDesertDunes,  PaintPlasma,
    PaintMistyForest,  PaintJulia,       PaintAutumnHills, PaintStainedGlass, PaintUnderwater,
    PaintKaleidoscope, PaintNightCity,   PaintNewton,      PaintWinterNight,  PaintOpArt,
    PaintVolcano,      PaintGalaxy,      PaintAuroraPeaks, PaintRingedPlanet, PaintNebula,
};

} // namespace

Canvas MakeLevelPicture(int level) {
    Canvas canvas(kFrameWidth, kFrameHeight);
    if (level >= 1 && level <= 20) {
        kLevelScenes[level - 1](canvas);
    }
    return canvas;
}

} // namespace wz::content
