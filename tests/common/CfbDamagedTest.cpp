#include "CfbCheck.h"
#include "CfbStorage.h"
#include "CfbTestSupport.h"

#include <gtest/gtest.h>

namespace {

using cfbtest::kRO;

// Opens the file read-only and reads every stream of every storage; returns the first failure.
int ReadEverything(const std::filesystem::path& path, std::size_t& streams) {
    streams = 0;
    std::shared_ptr<cfb::Storage> root;
    if (int r = cfb::OpenCompoundFile(path, cfb::kModeRead | cfb::kShareDenyWrite, root); r != 0) {
        return r;
    }
    std::vector<std::shared_ptr<cfb::Storage>> work = {root};
    std::vector<std::uint8_t> buffer(1 << 16);
    while (!work.empty()) {
        auto storage = work.back();
        work.pop_back();
        std::vector<cfb::ElementInfo> children;
        if (int r = storage->List(children); r != 0) {
            return r;
        }
        for (const auto& child : children) {
            if (child.isStorage) {
                std::shared_ptr<cfb::Storage> sub;
                if (int r = storage->OpenStorage(child.name, kRO, sub); r != 0) {
                    return r;
                }
                work.push_back(sub);
                continue;
            }
            std::shared_ptr<cfb::Stream> stream;
            if (int r = storage->OpenStream(child.name, kRO, stream); r != 0) {
                return r;
            }
            std::uint32_t got = 0;
            std::uint64_t total = 0;
            do {
                if (int r = stream->Read(buffer.data(), static_cast<std::uint32_t>(buffer.size()),
                                         &got);
                    r != 0) {
                    return r;
                }
                total += got;
            } while (got > 0);
            if (total != child.size) {
                return cfb::kErrCorrupt;
            }
            ++streams;
        }
    }
    return 0;
}

int OpenForWriting(const std::filesystem::path& path) {
    std::shared_ptr<cfb::Storage> root;
    return cfb::OpenCompoundFile(path, cfb::kModeReadWrite | cfb::kShareExclusive, root);
}

// Every file of the corpus: a damaged file gives a failure result somewhere and the checker
// names a problem; a sound one reads whole; nothing crashes, hangs or allocates wildly (the
// sanitizer build runs this too).
TEST(CfbDamaged, Corpus) {
    const std::filesystem::path corpus = WZ_TEST_DATA_DIR "/cfb";
    cfbtest::ScratchDir dir;
    int files = 0;
    for (const auto& item : std::filesystem::directory_iterator(corpus)) {
        const std::string name = item.path().stem().string();
        const std::string kind = name.substr(0, name.find('-'));
        SCOPED_TRACE(name);
        ++files;
        std::size_t streams = 0;
        const int read = ReadEverything(item.path(), streams);
        const auto copy = dir / "copy.stg";
        std::filesystem::copy_file(item.path(), copy,
                                   std::filesystem::copy_options::overwrite_existing);
        const int write = OpenForWriting(copy);
        cfb::CheckReport report;
        ASSERT_EQ(cfb::CheckFile(item.path(), report), 0);
        // The file read sector by sector and the whole file in memory give the same report.
        const cfb::CheckReport inMemory = cfb::CheckImage(cfbtest::ReadFileBytes(item.path()));
        EXPECT_EQ(inMemory.problems, report.problems);
        EXPECT_EQ(inMemory.notes, report.notes);
        EXPECT_EQ(inMemory.streamChains, report.streamChains);
        if (kind == "good") {
            EXPECT_EQ(read, 0);
            EXPECT_EQ(write, 0);
            EXPECT_TRUE(report.problems.empty()) << report.problems.front();
            EXPECT_TRUE(report.notes.empty()) << report.notes.front();
        } else if (kind == "odd") {
            EXPECT_EQ(read, 0);
            EXPECT_GT(streams, 0u);
            EXPECT_FALSE(report.problems.empty() && report.notes.empty());
        } else {
            ASSERT_EQ(kind, "bad");
            EXPECT_TRUE(read != 0 || write != 0);
            EXPECT_FALSE(report.problems.empty());
        }
        // A read-write open that succeeded leaves a file that still reads.
        if (write == 0) {
            std::size_t after = 0;
            EXPECT_EQ(ReadEverything(copy, after), 0);
        }
    }
    EXPECT_GT(files, 40);
}

// Specific faults map to the results callers see.
TEST(CfbDamaged, ResultCodes) {
    const std::filesystem::path corpus = WZ_TEST_DATA_DIR "/cfb";
    const std::pair<const char*, int> cases[] = {
        {"bad-signature", cfb::kErrNotCompoundFile},
        {"bad-truncated-header", cfb::kErrNotCompoundFile},
        {"bad-version", cfb::kErrCorrupt},
        {"bad-fat-count-huge", cfb::kErrCorrupt},
        {"bad-dir-chain-cycle", cfb::kErrCorrupt},
        {"bad-difat-cycle", cfb::kErrCorrupt},
        {"bad-deep-cycle", cfb::kErrCorrupt},
        {"bad-root-size-huge", cfb::kErrCorrupt},
        {"bad-stream-chain-cycle", cfb::kOk},
        {"bad-streams-share-sectors", cfb::kOk},
        {"good-version4", cfb::kOk},
        {"odd-deep-list", cfb::kOk},
    };
    for (const auto& [name, expected] : cases) {
        std::shared_ptr<cfb::Storage> root;
        EXPECT_EQ(cfb::OpenCompoundFile(corpus / (std::string(name) + ".stg"),
                                        cfb::kModeRead | cfb::kShareDenyWrite, root),
                  expected)
            << name;
    }
    // Two streams sharing sectors read, but the file is not opened for writing.
    cfbtest::ScratchDir dir;
    std::filesystem::copy_file(corpus / "bad-streams-share-sectors.stg", dir / "s.stg");
    EXPECT_EQ(OpenForWriting(dir / "s.stg"), cfb::kErrCorrupt);
    EXPECT_EQ(cfbtest::ReadFileBytes(dir / "s.stg"),
              cfbtest::ReadFileBytes(corpus / "bad-streams-share-sectors.stg"));
    // A chain that loops or leads out of the file fails the open of that stream only, before
    // anyone reads by its size, and the check names the fault.
    const std::pair<const char*, const char*> brokenChains[] = {
        {"bad-stream-chain-cycle", "loops back"},
        {"bad-stream-chain-past-end", "beyond the end of the file"},
    };
    std::shared_ptr<cfb::Storage> root, music;
    std::shared_ptr<cfb::Stream> stream;
    for (const auto& [name, fault] : brokenChains) {
        SCOPED_TRACE(name);
        const auto file = corpus / (std::string(name) + ".stg");
        ASSERT_EQ(cfb::OpenCompoundFile(file, cfb::kModeRead | cfb::kShareDenyWrite, root), 0);
        ASSERT_EQ(root->OpenStorage(u"Images", kRO, music), 0);
        EXPECT_EQ(music->OpenStream(u"Love1", kRO, stream), cfb::kErrCorrupt);
        EXPECT_EQ(stream, nullptr);
        cfb::CheckReport report;
        ASSERT_EQ(cfb::CheckFile(file, report), 0);
        EXPECT_NE(report.streamChains["Images/Love1"].find(fault), std::string::npos)
            << report.streamChains["Images/Love1"];
    }
    ASSERT_EQ(cfb::OpenCompoundFile(corpus / "bad-stream-chain-cycle.stg",
                                    cfb::kModeRead | cfb::kShareDenyWrite, root),
              0);
    ASSERT_EQ(root->OpenStorage(u"Images", kRO, music), 0);
    std::vector<std::uint8_t> bytes(5000);
    std::uint32_t got = 0;
    ASSERT_EQ(music->OpenStream(u"Jacket", kRO, stream), 0);
    EXPECT_EQ(stream->Read(bytes.data(), 300, &got), 0);
    EXPECT_EQ(got, 300u);
}

} // namespace
