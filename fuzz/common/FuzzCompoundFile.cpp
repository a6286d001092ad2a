// libFuzzer target for the compound-file reader and the structural checker: the input is a
// whole file. The reader opens it, walks every storage and reads every stream; a read-write
// open (which checks every chain before it would write) runs on the same bytes.

#include "CfbCheck.h"
#include "CfbStorage.h"

#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

int MemoryFile() {
    static const int fd = memfd_create("cfb-fuzz", 0);
    return fd;
}

void ReadAll(const std::string& path) {
    std::shared_ptr<cfb::Storage> root;
    if (cfb::OpenCompoundFile(path, cfb::kModeRead | cfb::kShareDenyWrite, root) != cfb::kOk) {
        return;
    }
    constexpr std::uint32_t ro = cfb::kModeRead | cfb::kShareExclusive;
    std::vector<std::shared_ptr<cfb::Storage>> work = {root};
    std::vector<std::uint8_t> buffer(4096);
    while (!work.empty()) {
        auto storage = work.back();
        work.pop_back();
        std::vector<cfb::ElementInfo> children;
        storage->List(children);
        for (const auto& child : children) {
            if (child.isStorage) {
                std::shared_ptr<cfb::Storage> sub;
                if (storage->OpenStorage(child.name, ro, sub) == cfb::kOk) {
                    work.push_back(sub);
                }
                continue;
            }
            std::shared_ptr<cfb::Stream> stream;
            if (storage->OpenStream(child.name, ro, stream) != cfb::kOk) {
                continue;
            }
            std::uint32_t got = 0;
            while (stream->Read(buffer.data(), static_cast<std::uint32_t>(buffer.size()), &got) ==
                       cfb::kOk &&
                   got > 0) {
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = MemoryFile();
    if (fd < 0 || ftruncate(fd, 0) != 0 ||
        (size > 0 && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))) {
        return 0;
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    ReadAll(path);
    {
        std::shared_ptr<cfb::Storage> root;
        cfb::OpenCompoundFile(path, cfb::kModeReadWrite | cfb::kShareExclusive, root);
    }
    cfb::CheckImage({data, size});
    return 0;
}
