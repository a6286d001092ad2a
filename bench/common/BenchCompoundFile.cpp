// Costs of the compound-file engine, each timed in turns with its baseline in one loop:
//   - reading every stream of a 20 MiB asset file (44 streams of mixed sizes) against reading
//     the same number of bytes, in the same pieces, from one plain file;
//   - the whole-tree copy of that file into a new one (closed and flushed to disk) against a
//     plain copy of its bytes (also flushed);
//   - `wzassets extract` of a 1 MiB stream against `gsf cat` and olefile on the same file, as
//     processor time of the child processes.

#include "CfbStorage.h"
#include "ChildProcess.h"
#include "CompoundStorage.h"
#include "PairedTiming.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

using wz::bench::PairedClock;
using wz::bench::RunPaired;

// User and system time of every child process waited for so far.
double ChildSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           1e-6 * static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

std::vector<std::uint8_t> Bytes(std::size_t size, std::uint32_t seed) {
    std::vector<std::uint8_t> bytes(size);
    std::uint32_t x = seed;
    for (auto& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(x >> 16);
    }
    return bytes;
}

using StreamList = std::vector<std::pair<std::string, std::size_t>>; // "Storage/Name", size

// Walks the streams in order: enter(storage) each time the walk reaches another storage, then
// visit(stream, size) for each stream in it.
template <typename Enter, typename Visit>
void WalkStreams(const StreamList& streams, Enter enter, Visit visit) {
    std::string open;
    for (const auto& [path, size] : streams) {
        const std::string name = path.substr(0, path.find('/'));
        if (name != open) {
            enter(std::u16string(name.begin(), name.end()));
            open = name;
        }
        const std::string leaf = path.substr(path.find('/') + 1);
        visit(std::u16string(leaf.begin(), leaf.end()), size);
    }
}

// The asset file: 22 pictures of 600 to 1150 KB, 21 tracks of 4 to 60 KB and a knock of
// 30 KB; 44 streams, 20 MiB in all. The plain file holds the same bytes end to end.
struct Fixture {
    fs::path dir;
    fs::path assets;
    fs::path plain;
    StreamList streams;
    std::size_t total = 0;

    Fixture() {
        dir = fs::temp_directory_path() / ("cfb-bench-" + std::to_string(getpid()));
        fs::create_directories(dir);
        assets = dir / "WinData.stg";
        plain = dir / "plain.bin";
        for (int i = 0; i < 22; ++i) {
            streams.push_back({"Images/P" + std::to_string(i), 600000 + 25000 * i});
        }
        for (int i = 0; i < 21; ++i) {
            streams.push_back({"Music/M" + std::to_string(i), 4000 + 2800 * i});
        }
        streams.push_back({"Sound/Knock", 30000});
        std::shared_ptr<cfb::Storage> root;
        constexpr std::uint32_t rw = cfb::kModeReadWrite | cfb::kShareExclusive;
        cfb::OpenCompoundFile(assets, cfb::kModeCreate | rw, root);
        FILE* out = std::fopen(plain.c_str(), "wb");
        std::uint32_t seed = 1;
        std::shared_ptr<cfb::Storage> storage;
        WalkStreams(
            streams,
            [&](const std::u16string& name) {
                storage.reset();
                root->CreateStorage(name, rw, storage);
            },
            [&](const std::u16string& leaf, std::size_t size) {
                std::shared_ptr<cfb::Stream> stream;
                storage->CreateStream(leaf, cfb::kModeCreate | rw, stream);
                const auto bytes = Bytes(size, seed++);
                stream->Write(bytes.data(), static_cast<std::uint32_t>(size), nullptr);
                std::fwrite(bytes.data(), 1, size, out);
                total += size;
            });
        std::fclose(out);
        storage.reset();
        root.reset();
        // A 1 MiB stream for the extract comparison.
        wz::CompoundStorage one;
        one.Open(dir / "one.stg", false, true);
        one.Root()->CreateStorage(u"Images", rw, storage);
        std::shared_ptr<cfb::Stream> stream;
        storage->CreateStream(u"Love1", cfb::kModeCreate | rw, stream);
        const auto bytes = Bytes(1 << 20, 99);
        stream->Write(bytes.data(), 1 << 20, nullptr);
    }
    ~Fixture() { fs::remove_all(dir); }
};

Fixture& TheFixture() {
    static Fixture fixture;
    return fixture;
}

// The baseline's side: the plain file read in the pieces that the streams have, each piece by
// read(fd, size, offset), which returns what pread returned.
template <typename Read> void ReadPlainPieces(const Fixture& f, Read read) {
    const int fd = ::open(f.plain.c_str(), O_RDONLY);
    std::size_t at = 0;
    for (const auto& [path, size] : f.streams) {
        at += static_cast<std::size_t>(read(fd, size, static_cast<off_t>(at)));
    }
    ::close(fd);
}

constexpr PairedClock kThreadMilliseconds{wz::bench::ThreadSeconds, "_ms", 1e3};

void RegisterPaired(benchmark::internal::Benchmark* b) {
    b->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);
}

// Every stream through the engine (open read-only, each storage, each stream read whole) into
// one buffer, against the same sizes read from the plain file into the same buffer. The
// buffer starts on a cache line: the kernel's copy out of the page cache runs at half speed
// when the destination sits 16 bytes off a line and the source on one, as sectors always are.
void BM_ReadAllStreamsAgainstPlainFile(benchmark::State& state) {
    Fixture& f = TheFixture();
    std::vector<std::uint8_t> storage(f.total + 64);
    std::uint8_t* buffer =
        storage.data() + (64 - reinterpret_cast<std::uintptr_t>(storage.data()) % 64) % 64;
    constexpr std::uint32_t ro = cfb::kModeRead | cfb::kShareExclusive;
    const auto compound = [&] {
        std::shared_ptr<cfb::Storage> root, child;
        if (cfb::OpenCompoundFile(f.assets, cfb::kModeRead | cfb::kShareDenyWrite, root) !=
            cfb::kOk) {
            state.SkipWithError("open failed");
            return false;
        }
        std::size_t read = 0;
        WalkStreams(
            f.streams,
            [&](const std::u16string& name) {
                child.reset();
                root->OpenStorage(name, ro, child);
            },
            [&](const std::u16string& leaf, std::size_t) {
                std::shared_ptr<cfb::Stream> stream;
                child->OpenStream(leaf, ro, stream);
                std::uint64_t streamSize = 0;
                stream->GetSize(streamSize);
                std::uint32_t got = 0;
                stream->Read(buffer, static_cast<std::uint32_t>(streamSize), &got);
                read += got;
                benchmark::DoNotOptimize(buffer);
            });
        if (read != f.total) {
            state.SkipWithError("short read");
            return false;
        }
        return true;
    };
    const auto plain = [&] {
        ReadPlainPieces(f, [&](int fd, std::size_t size, off_t at) {
            const ssize_t got = ::pread(fd, buffer, size, at);
            benchmark::DoNotOptimize(buffer);
            return got;
        });
        return true;
    };
    RunPaired(state, "compound", "plain", compound, plain, kThreadMilliseconds);
}
BENCHMARK(BM_ReadAllStreamsAgainstPlainFile)->Apply(RegisterPaired);

// The game's own path, CompoundStorage::ReadWholeStream into a vector per stream, against
// plain reads into a vector per stream (both buffers as the allocator places them).
void BM_ReadWholeStreamsAgainstPlainFile(benchmark::State& state) {
    Fixture& f = TheFixture();
    const auto compound = [&] {
        wz::CompoundStorage storage;
        storage.Open(f.assets, true, false);
        WalkStreams(
            f.streams, [&](const std::u16string& name) { storage.OpenStorage(name, true); },
            [&](const std::u16string& leaf, std::size_t) {
                std::vector<std::uint8_t> bytes;
                storage.ReadWholeStream(leaf, bytes);
                benchmark::DoNotOptimize(bytes.data());
            });
        return true;
    };
    const auto plain = [&] {
        ReadPlainPieces(f, [&](int fd, std::size_t size, off_t at) {
            std::vector<std::uint8_t> bytes(size);
            const ssize_t got = ::pread(fd, bytes.data(), size, at);
            benchmark::DoNotOptimize(bytes.data());
            return got;
        });
        return true;
    };
    RunPaired(state, "read_whole", "plain", compound, plain, kThreadMilliseconds);
}
BENCHMARK(BM_ReadWholeStreamsAgainstPlainFile)->Apply(RegisterPaired);

// The editor's compaction: the whole tree into a new file, closed (and so flushed to disk).
void BM_CopyTreeAgainstPlainCopy(benchmark::State& state) {
    Fixture& f = TheFixture();
    const fs::path copy = f.dir / "copy.stg";
    const fs::path plainCopy = f.dir / "copy.bin";
    std::vector<std::uint8_t> buffer(1 << 20);
    const auto copyTo = [&] {
        wz::CompoundStorage from, to;
        if (!from.Open(f.assets, true, false) || !to.Open(copy, false, true) ||
            from.Root()->CopyTo(*to.Root()) != cfb::kOk) {
            state.SkipWithError("copy failed");
            return false;
        }
        return true;
    };
    const auto plain = [&] {
        const int in = ::open(f.assets.c_str(), O_RDONLY);
        const int out = ::open(plainCopy.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ssize_t n = 0;
        while ((n = ::read(in, buffer.data(), buffer.size())) > 0) {
            benchmark::DoNotOptimize(::write(out, buffer.data(), static_cast<std::size_t>(n)));
        }
        ::fsync(out);
        ::close(out);
        ::close(in);
        return true;
    };
    RunPaired(state, "copy_to", "plain_copy", copyTo, plain, wz::bench::kWallMilliseconds);
}
BENCHMARK(BM_CopyTreeAgainstPlainCopy)->Apply(RegisterPaired);

// One 1 MiB stream out of a file by three programs, as their processes' processor time.
void BM_ExtractAgainstGsfAndOlefile(benchmark::State& state) {
    Fixture& f = TheFixture();
    const std::string file = (f.dir / "one.stg").string();
    const std::string out = (f.dir / "out.bin").string();
    const std::string tool = WZ_BINARY_DIR "/bin/wzassets";
    const std::string script = "import olefile,sys; f=olefile.OleFileIO(sys.argv[1]); "
                               "open(sys.argv[2],'wb').write(f.openstream('Images/Love1').read())";
    double ours = 0, gsf = 0, ole = 0;
    for (auto _ : state) {
        const double t0 = ChildSeconds();
        const bool a = wz::testkit::RunQuietly({tool, "extract", file, "Images/Love1", out}) == 0;
        const double t1 = ChildSeconds();
        const bool b = wz::testkit::RunQuietly({"gsf", "cat", file, "Images/Love1"}) == 0;
        const double t2 = ChildSeconds();
        const bool c = wz::testkit::RunQuietly({"/usr/bin/python3", "-c", script, file, out}) == 0;
        const double t3 = ChildSeconds();
        if (!a || !b || !c) {
            state.SkipWithError("a program failed");
            return;
        }
        ours += t1 - t0;
        gsf += t2 - t1;
        ole += t3 - t2;
        state.SetIterationTime(t1 - t0);
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["wzassets_ms"] = ours / n * 1e3;
    state.counters["gsf_cat_ms"] = gsf / n * 1e3;
    state.counters["olefile_ms"] = ole / n * 1e3;
    state.counters["ratio_to_gsf"] = ours / gsf;
    state.counters["ratio_to_olefile"] = ours / ole;
}
BENCHMARK(BM_ExtractAgainstGsfAndOlefile)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

} // namespace

BENCHMARK_MAIN();
