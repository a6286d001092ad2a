// Writes the compound-file fixture corpus: sound files, files other readers take but our
// checker objects to, and damaged files, each damaged in one way.
//   cfb_make_corpus OUTDIR
// good-*  read and check clean;  odd-*  read, but the check reports notes or errors;
// bad-*   refused by the reader somewhere (open, a stream, or a read-write open) and reported
//         by the check.

#include "CfbFormat.h"
#include "CfbStorage.h"
#include "CfbTestSupport.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>

namespace {

using Bytes = std::vector<std::uint8_t>;
using cfbtest::Pattern;

using cfbtest::Layout;

Bytes Build(const cfbtest::Tree& tree, const std::filesystem::path& scratch) {
    if (cfbtest::BuildFile(scratch, tree) != 0) {
        std::fprintf(stderr, "cannot build the base file\n");
        std::exit(1);
    }
    return cfbtest::ReadFileBytes(scratch);
}

// A small version 4 file written by hand: 4096-byte sectors, a storage holding one regular
// and one mini stream.
Bytes VersionFour() {
    constexpr std::uint32_t ss = 4096;
    Bytes file(ss * 7, 0);
    cfb::Header h;
    h.majorVersion = 4;
    h.sectorShift = 12;
    h.fatSectorCount = 1;
    h.difat[0] = 0;
    h.firstDirSector = 1;
    h.dirSectorCount = 1;
    h.firstMiniFatSector = 4;
    h.miniFatSectorCount = 1;
    cfb::WriteHeader(h, file.data());
    auto sector = [&](std::uint32_t id) { return file.data() + (id + 1) * ss; };
    const std::uint32_t fat[] = {cfb::kFatSect, cfb::kEndOfChain, 3, cfb::kEndOfChain,
                                 cfb::kEndOfChain};
    for (std::uint32_t i = 0; i < ss / 4; ++i) {
        cfb::Store32(sector(0) + 4 * i, i < 5 ? fat[i] : cfb::kFreeSect);
    }
    // Sector 5 is the mini stream, but the FAT above gives it no entry: fix that.
    cfb::Store32(sector(0) + 4 * 5, cfb::kEndOfChain);
    for (std::uint32_t i = 0; i < ss / 4; ++i) {
        cfb::Store32(sector(4) + 4 * i, i < 2 ? (i == 0 ? 1 : cfb::kEndOfChain) : cfb::kFreeSect);
    }
    // The directory by entry number: the root, the regular stream, the mini stream (red, to the
    // regular one's left) and the storage that holds both.
    const cfb::DirEntry entries[] = {
        {.name = u"Root Entry", .type = cfb::EntryType::Root, .child = 3, .start = 5, .size = 128},
        {.name = u"Big", .type = cfb::EntryType::Stream, .left = 2, .start = 2, .size = 5000},
        {.name = u"A", .type = cfb::EntryType::Stream, .color = cfb::kRed, .start = 0, .size = 100},
        {.name = u"Images", .type = cfb::EntryType::Storage, .child = 1, .start = 0},
    };
    for (std::uint32_t i = 0; i < ss / 128; ++i) {
        const cfb::DirEntry e = i < std::size(entries) ? entries[i] : cfb::UnusedEntry();
        cfb::WriteDirEntry(e, sector(1) + 128 * i);
    }
    const Bytes b = Pattern(5000, 77);
    std::memcpy(sector(2), b.data(), b.size());
    const Bytes a = Pattern(100, 78);
    std::memcpy(sector(5), a.data(), a.size());
    return file;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: cfb_make_corpus OUTDIR\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    std::filesystem::create_directories(out);
    const auto scratch = out / "scratch.tmp";
    const cfbtest::Tree tree = {
        {"Images/Love1", Pattern(5000, 1)}, {"Images/Jacket", Pattern(300, 2)},
        {"Images/Titles", Pattern(70, 3)},  {"Sound/Knock", Pattern(100, 4)},
        {"Music/Titles", Pattern(9000, 5)}, {"Music/Love1", {}}};
    const Bytes base = Build(tree, scratch);
    auto save = [&](const std::string& name, const Bytes& bytes) {
        cfbtest::WriteFileBytes(out / (name + ".stg"), bytes);
    };
    save("good-assets", base);
    save("good-empty", Build({}, scratch));
    save("good-version4", VersionFour());

    // Damage to the base file, one fault each.
    using Edit = std::function<void(Layout&)>;
    const std::vector<std::pair<std::string, Edit>> damaged = {
        {"bad-truncated-header", [](Layout& f) { f.bytes.resize(300); }},
        {"bad-truncated-half", [](Layout& f) { f.bytes.resize(f.bytes.size() / 2); }},
        {"bad-signature", [](Layout& f) { f.bytes[3] = 0; }},
        {"bad-version", [](Layout& f) { f.bytes[0x1A] = 5; }},
        {"bad-sector-shift", [](Layout& f) { f.bytes[0x1E] = 12; }},
        {"bad-mini-shift", [](Layout& f) { f.bytes[0x20] = 7; }},
        {"bad-cutoff", [](Layout& f) { f.Set32(0x38, 0x800); }},
        {"bad-byte-order", [](Layout& f) { f.bytes[0x1C] = 0xFF; }},
        {"bad-fat-count-huge", [](Layout& f) { f.Set32(0x2C, 0xFFFFFF00); }},
        {"bad-fat-count-zero", [](Layout& f) { f.Set32(0x2C, 0); }},
        {"bad-difat-beyond",
         [](Layout& f) {
             f.Set32(0x2C, 200);
             f.Set32(0x44, 0x00FFFFFF);
             f.Set32(0x48, 1);
         }},
        {"bad-fat-sector-beyond", [](Layout& f) { f.Set32(0x4C, 0x00FFFFFF); }},
        {"bad-fat-sector-twice",
         [](Layout& f) {
             f.Set32(0x2C, 2);
             f.Set32(0x50, f.Get32(0x4C));
         }},
        {"bad-dir-start-beyond", [](Layout& f) { f.Set32(0x30, 0x00FFFFFF); }},
        {"bad-dir-chain-self",
         [](Layout& f) {
             const auto dir = f.Get32(0x30);
             f.Set32(f.FatAt(dir), dir);
         }},
        {"bad-dir-chain-cycle",
         [](Layout& f) {
             const auto chain = f.Chain(f.Get32(0x30));
             f.Set32(f.FatAt(chain.back()), chain.front());
         }},
        {"bad-stream-chain-cycle",
         [](Layout& f) {
             const auto e = f.EntryAt(f.Find(u"Music"));
             (void)e;
             const auto start = f.Get32(f.EntryAt(f.Find(u"Titles")) + 0x74);
             const auto chain = f.Chain(start);
             f.Set32(f.FatAt(chain[2]), chain[0]);
         }},
        {"bad-stream-chain-beyond",
         [](Layout& f) {
             const auto start = f.Get32(f.EntryAt(f.Find(u"Love1")) + 0x74);
             f.Set32(f.FatAt(start), 0x7FFFFFF0);
         }},
        {"bad-stream-chain-past-end",
         [](Layout& f) {
             // The last link names the first sector past the end of the file.
             const auto chain = f.Chain(f.StartOf(u"Love1"));
             const auto sectors = static_cast<std::uint32_t>(f.bytes.size() / 512 - 1);
             f.Set32(f.FatAt(chain[chain.size() - 2]), sectors);
         }},
        {"bad-stream-chain-free",
         [](Layout& f) {
             const auto start = f.Get32(f.EntryAt(f.Find(u"Love1")) + 0x74);
             f.Set32(f.FatAt(start), cfb::kFreeSect);
         }},
        {"bad-streams-share-sectors",
         [](Layout& f) {
             // Images/Love1 and Music/Titles start at the same sector.
             const auto love = f.EntryAt(f.Find(u"Love1"));
             const auto titles = f.EntryAt(f.Find(u"Titles"));
             f.Set32(titles + 0x74, f.Get32(love + 0x74));
             f.Set32(titles + 0x78, 5000);
         }},
        {"bad-minifat-cycle",
         [](Layout& f) {
             const auto start = f.Get32(f.EntryAt(f.Find(u"Jacket")) + 0x74);
             const auto next = f.Get32(f.MiniFatAt(start));
             f.Set32(f.MiniFatAt(next), start);
         }},
        {"bad-minifat-beyond",
         [](Layout& f) {
             const auto start = f.Get32(f.EntryAt(f.Find(u"Jacket")) + 0x74);
             f.Set32(f.MiniFatAt(start), 0x0FFFFFFF);
         }},
        {"bad-minifat-start-beyond", [](Layout& f) { f.Set32(0x3C, 0x00FFFFFF); }},
        {"bad-root-size-huge", [](Layout& f) { f.Set32(f.EntryAt(0) + 0x78, 0xFFFFFFF0); }},
        {"bad-stream-size-beyond",
         [](Layout& f) { f.Set32(f.EntryAt(f.Find(u"Love1")) + 0x78, 0x7FFFFFF0); }},
        {"bad-mini-size-beyond",
         [](Layout& f) { f.Set32(f.EntryAt(f.Find(u"Knock")) + 0x78, 4000); }},
        {"bad-tree-self",
         [](Layout& f) {
             const auto child = f.Get32(f.EntryAt(0) + 0x4C);
             f.Set32(f.EntryAt(child) + 0x44, child);
         }},
        {"bad-tree-to-root",
         [](Layout& f) {
             const auto child = f.Get32(f.EntryAt(0) + 0x4C);
             f.Set32(f.EntryAt(child) + 0x48, 0);
         }},
        {"bad-tree-link-beyond",
         [](Layout& f) {
             const auto child = f.Get32(f.EntryAt(0) + 0x4C);
             f.Set32(f.EntryAt(child) + 0x48, 0x00FFFFFF);
         }},
        {"bad-tree-twice",
         [](Layout& f) {
             const auto images = f.Find(u"Images");
             const auto top = f.Get32(f.EntryAt(images) + 0x4C);
             const auto left = f.Get32(f.EntryAt(top) + 0x44);
             f.Set32(f.EntryAt(top) + 0x48, left);
         }},
        {"bad-tree-unused-entry",
         [](Layout& f) {
             const auto knock = f.Find(u"Knock");
             f.Set32(f.EntryAt(knock) + 0x44,
                     static_cast<std::uint32_t>(f.Chain(f.Get32(0x30)).size() * 4 - 1));
         }},
        {"bad-name-length-odd",
         [](Layout& f) { cfb::Store16(f.bytes.data() + f.EntryAt(f.Find(u"Knock")) + 0x40, 3); }},
        {"bad-name-length-long",
         [](Layout& f) { cfb::Store16(f.bytes.data() + f.EntryAt(f.Find(u"Knock")) + 0x40, 100); }},
        {"bad-entry-type", [](Layout& f) { f.bytes[f.EntryAt(f.Find(u"Knock")) + 0x42] = 7; }},
        {"bad-root-type", [](Layout& f) { f.bytes[f.EntryAt(0) + 0x42] = 1; }},
        {"bad-duplicate-names",
         [](Layout& f) {
             const auto jacket = f.EntryAt(f.Find(u"Jacket"));
             const auto titles = f.EntryAt(f.Find(u"Titles"));
             std::memcpy(f.bytes.data() + titles, f.bytes.data() + jacket, 0x42);
         }},
        {"odd-high-size-bits", [](Layout& f) { f.Set32(f.EntryAt(f.Find(u"Knock")) + 0x7C, 1); }},
        {"odd-names-out-of-order",
         [](Layout& f) {
             // Swap two siblings' names: the tree order breaks, the elements stay readable.
             const auto a = f.EntryAt(f.Find(u"Sound"));
             const auto b = f.EntryAt(f.Find(u"Music"));
             for (std::size_t k = 0; k < 0x42; ++k) {
                 std::swap(f.bytes[a + k], f.bytes[b + k]);
             }
             std::swap(f.bytes[a + 0x42], f.bytes[a + 0x42]);
         }},
        {"odd-red-under-red",
         [](Layout& f) {
             for (std::uint32_t i = 1; i < 4; ++i) {
                 f.bytes[f.EntryAt(i) + 0x43] = cfb::kRed;
             }
         }},
    };
    for (const auto& [name, edit] : damaged) {
        Layout f{base};
        edit(f);
        save(name, f.bytes);
    }

    // A storage of 1500 streams linked as one long list: deep, but valid order.
    cfbtest::Tree many;
    for (int i = 0; i < 1500; ++i) {
        many['S' + std::to_string(10000 + i)] = {};
    }
    Layout deep{Build(many, scratch)};
    std::vector<std::uint32_t> order(1500);
    for (int i = 0; i < 1500; ++i) {
        order[i] = deep.Find(cfbtest::U16('S' + std::to_string(10000 + i)));
    }
    deep.Set32(deep.EntryAt(0) + 0x4C, order.back());
    for (int i = 0; i < 1500; ++i) {
        const auto at = deep.EntryAt(order[i]);
        deep.Set32(at + 0x44, i > 0 ? order[i - 1] : cfb::kNoStream);
        deep.Set32(at + 0x48, cfb::kNoStream);
        deep.bytes[at + 0x43] = cfb::kBlack;
    }
    save("odd-deep-list", deep.bytes);
    deep.Set32(deep.EntryAt(order[0]) + 0x44, order.back());
    save("bad-deep-cycle", deep.bytes);

    // A DIFAT chain that loops: the header claims enough FAT sectors to need two DIFAT sectors.
    Layout difat{Build(many, scratch)};
    const auto dirStart = difat.Get32(0x30);
    difat.Set32(0x2C, 109 + 127 + 5);
    difat.Set32(0x44, dirStart);
    difat.Set32(0x48, 2);
    difat.Set32(difat.SectorAt(dirStart) + 508, dirStart);
    save("bad-difat-cycle", difat.bytes);

    std::filesystem::remove(scratch);
    return 0;
}
