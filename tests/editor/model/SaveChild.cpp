// Runs one editor Save in its own process, so that a test can kill it at any moment:
//   editor_save_child FOLDER STOP_AT PICTURE... [--music TRACK...]
// drops the files on the slots from 1 on and saves into FOLDER/WinData.stg. With STOP_AT n > 0
// the process ends abruptly just before the n-th write of the compound-file layer, as a
// power cut would. Prints "saving" just before the Save and each message text after it.

#include "AssetUpdate.h"
#include "CfbFileIo.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct PrintingSink : wz::MessageBoxSink {
    void ShowMessage(const wz::MessageBoxRequest& request) override {
        std::printf("%s\n", request.text.c_str());
    }
    // The files are test patterns, not media: save them anyway.
    wz::MessageAnswer Ask(const wz::MessageBoxRequest&) override { return wz::MessageAnswer::Yes; }
};

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: editor_save_child FOLDER STOP_AT FILE... [--music FILE...]\n");
        return 2;
    }
    const long stopAt = std::strtol(argv[2], nullptr, 10);
    std::vector<std::string> pictures;
    std::vector<std::string> music;
    bool inMusic = false;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--music") == 0) {
            inMusic = true;
        } else {
            (inMusic ? music : pictures).push_back(argv[i]);
        }
    }
    PrintingSink sink;
    wz::AssetUpdate update(sink, argv[1]);
    update.ShowMusic();
    update.DropFiles(0, music);
    update.ShowPictures();
    update.DropFiles(0, pictures);
    long writes = 0;
    cfb::SetFaultHook([&]() -> int {
        if (stopAt > 0 && ++writes == stopAt) {
            _exit(9);
        }
        return 0;
    });
    std::printf("saving\n");
    std::fflush(stdout);
    update.SaveChanges();
    std::fflush(stdout);
    return 0;
}
