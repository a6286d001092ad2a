// Holds an asset file open the way the running game does, three read-only opens with writers
// denied, until its standard input closes. Prints "held" once all three are open, or
// "refused" and exits 1 when an open fails.

#include "CompoundStorage.h"
#include "LevelNames.h"

#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: editor_hold_asset FILE\n");
        return 2;
    }
    wz::CompoundStorage pictures;
    wz::CompoundStorage sound;
    wz::CompoundStorage music;
    const bool held =
        pictures.Open(argv[1], true, false) && pictures.OpenStorage(wz::kImagesStorage, true) &&
        sound.Open(argv[1], true, false) && sound.OpenStorage(wz::kSoundStorage, true) &&
        music.Open(argv[1], true, false) && music.OpenStorage(wz::kMusicStorage, true);
    std::printf("%s\n", held ? "held" : "refused");
    std::fflush(stdout);
    if (!held) {
        return 1;
    }
    char c = 0;
    while (::read(STDIN_FILENO, &c, 1) > 0) {
    }
    return 0;
}
