#include "WholeFile.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

void WriteBytes(const fs::path& path, std::size_t size) {
    std::ofstream out(path, std::ios::binary);
    for (std::size_t i = 0; i < size; ++i) {
        out.put(static_cast<char>(i * 7));
    }
}

// Every way the read can end, and what the buffer holds then: the whole file, or nothing.
// A pipe is refused at once rather than waited on.
TEST(WholeFile, ReadsAFileWithinTheLimitAndRefusesTheRest) {
    struct Row {
        const char* what;
        std::function<void(const fs::path&)> make;
        std::uint64_t limit;
        wz::WholeFileFault fault;
        std::size_t size;
    };
    const Row rows[] = {
        {"a file at the limit", [](const fs::path& p) { WriteBytes(p, 4096); }, 4096,
         wz::WholeFileFault::None, 4096},
        {"an empty file", [](const fs::path& p) { WriteBytes(p, 0); }, 4096,
         wz::WholeFileFault::None, 0},
        {"a byte over the limit", [](const fs::path& p) { WriteBytes(p, 4097); }, 4096,
         wz::WholeFileFault::TooLarge, 0},
        {"a missing file", [](const fs::path&) {}, 4096, wz::WholeFileFault::Open, 0},
        {"a folder", [](const fs::path& p) { fs::create_directory(p); }, 4096,
         wz::WholeFileFault::NotRegular, 0},
        {"a pipe", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, 4096,
         wz::WholeFileFault::NotRegular, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        wz::testkit::ScratchFolder folder("wholefile");
        const fs::path path = folder / "file";
        row.make(path);
        std::vector<std::uint8_t> bytes(3, 0xAA); // what a caller held before is replaced
        const wz::WholeFileRead read = wz::ReadWholeFile(path, row.limit, bytes);
        EXPECT_EQ(read.fault, row.fault);
        EXPECT_EQ(static_cast<bool>(read), row.fault == wz::WholeFileFault::None);
        EXPECT_EQ(read.Reason().empty(), row.fault == wz::WholeFileFault::None);
        ASSERT_EQ(bytes.size(), row.size);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            ASSERT_EQ(bytes[i], static_cast<std::uint8_t>(i * 7)) << "byte " << i;
        }
    }
}

} // namespace
