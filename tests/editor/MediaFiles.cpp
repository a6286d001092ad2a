#include "MediaFiles.h"

#include "Canvas.h"
#include "JpegWriter.h"
#include "MidiWriter.h"

namespace wztest {

Bytes JpegPicture(int width, int height) {
    wz::content::Canvas canvas(width, height, wz::content::Rgb{40, 90, 160});
    canvas.FillRect(width / 4, height / 4, width / 2, height / 2, wz::content::Rgb{230, 200, 60});
    return wz::content::EncodeJpeg(canvas, 85, wz::content::ChromaSampling::Halved);
}

Bytes MidiTrack(int notes) {
    wz::content::MidiTrack track;
    track.Tempo(0, 120);
    for (int i = 0; i < notes; ++i) {
        track.Note(static_cast<std::uint32_t>(i) * 480, 0, 60 + i % 12, 90, 400);
    }
    track.End(static_cast<std::uint32_t>(notes + 1) * 480);
    return wz::content::EncodeMidiFile({track});
}

} // namespace wztest
