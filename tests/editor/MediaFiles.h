#pragma once

// Real media for the slot checks, made by the asset tool's own encoders: JPEG pictures of any
// size and Standard MIDI Files with or without notes.

#include "AssetFixture.h"

namespace wztest {

Bytes JpegPicture(int width, int height);

// A background the game draws: 296 x 432.
inline Bytes Background() {
    return JpegPicture(296, 432);
}

// A one-track file of the given number of notes; with none, it still parses.
Bytes MidiTrack(int notes);

} // namespace wztest
