#include "CfbCheck.h"

#include "CfbErrors.h"
#include "CfbFileIo.h"
#include "CfbFormat.h"
#include "ElementNames.h"

#include <algorithm>
#include <map>
#include <new>
#include <string_view>

namespace cfb {

namespace {

std::string Num(std::uint64_t v) {
    return std::to_string(v);
}

// A read of the file that failed while the check ran.
struct ReadFailure {
    int code;
};

// The checker reads the header and the sectors of the tables and the directory, never the
// streams' data: from a whole file in memory, or sector by sector from the file itself.
class Checker {
public:
    explicit Checker(std::span<const std::uint8_t> bytes) : size_(bytes.size()), memory_(bytes) {}
    Checker(const FileIo& io, std::uint64_t size) : size_(size), io_(&io) {}
    CheckReport Run();

private:
    void Problem(std::string line) {
        // A hostile file could yield a problem per sector; the first thousand say enough.
        if (report_.problems.size() < 1000) {
            report_.problems.push_back(std::move(line));
        }
    }
    void Note(std::string line) {
        if (report_.notes.size() < 1000) {
            report_.notes.push_back(std::move(line));
        }
    }
    // A problem of one chain's owner (a stream's path, or "the directory"): also remembered
    // against the owner, so that extract can refuse a stream whose chain is at fault.
    void Fault(const std::string& owner, std::string line) {
        faults_.emplace(owner, line);
        Problem(std::move(line));
    }
    void ListStreamChains();
    const std::uint8_t* Bytes(std::uint64_t offset, std::size_t length);
    const std::uint8_t* Sector(std::uint32_t id) {
        return Bytes((static_cast<std::uint64_t>(id) + 1) * sectorSize_, sectorSize_);
    }
    bool CheckHeader();
    bool ReadFatSectors();
    void ClaimSector(std::uint32_t id, const std::string& owner);
    std::int32_t OwnerIndex(const std::string& owner);
    // Walks a FAT or MiniFAT chain; needed is the number of sectors the size asks for, or 0
    // when the chain runs to its end marker. Returns false when it stopped at a fault.
    bool WalkChain(const std::vector<std::uint32_t>& table, std::uint32_t limit,
                   std::uint32_t start, std::uint64_t needed, const std::string& owner, bool mini,
                   std::vector<std::uint32_t>& chain);
    void CheckDirectory();
    void CheckTree(std::uint32_t storage, std::vector<std::uint32_t>& storages);
    void CheckMini();
    void CheckStreams();
    std::string PathOf(std::uint32_t id) const { return id == 0 ? "the root" : paths_[id]; }

    std::uint64_t size_;
    std::span<const std::uint8_t> memory_;
    const FileIo* io_ = nullptr;
    std::map<std::uint64_t, std::vector<std::uint8_t>> read_; // by offset
    CheckReport report_;
    Header header_;
    std::uint32_t sectorSize_ = 512;
    std::uint32_t sectors_ = 0;
    std::vector<std::uint32_t> fat_;
    std::vector<std::uint32_t> fatSectors_;
    std::vector<std::uint32_t> difatSectors_;
    std::vector<std::int32_t> owner_;
    std::vector<std::string> ownerNames_;
    std::vector<DirEntry> entries_;
    std::vector<bool> reached_;
    std::vector<std::string> paths_;
    std::vector<std::uint32_t> acceptedLeft_;
    std::vector<std::uint32_t> acceptedRight_;
    bool miniUsable_ = false;
    std::vector<std::uint32_t> miniFat_;
    std::vector<std::uint32_t> miniStream_;
    std::vector<std::int32_t> miniOwner_;
    std::map<std::string, std::string> faults_; // by owner, the first
};

const std::uint8_t* Checker::Bytes(std::uint64_t offset, std::size_t length) {
    if (io_ == nullptr) {
        return memory_.data() + offset;
    }
    auto [it, added] = read_.try_emplace(offset);
    if (added) {
        it->second.resize(length);
        if (int r = io_->ReadAt(offset, it->second.data(), length); r != kOk) {
            read_.erase(it);
            throw ReadFailure{r};
        }
    }
    return it->second.data();
}

bool Checker::CheckHeader() {
    if (size_ < kHeaderSize) {
        Problem("the file is too short for a compound-file header (" + Num(size_) + " bytes)");
        return false;
    }
    const std::uint8_t* p = Bytes(0, kHeaderSize);
    const int parsed = ParseHeader(p, header_);
    if (parsed == kErrNotCompoundFile) {
        Problem("not a compound file: the signature is missing");
        return false;
    }
    if (!std::all_of(p + 0x08, p + 0x18, [](std::uint8_t b) { return b == 0; })) {
        Note("header: the class id is not zero");
    }
    if (header_.byteOrder != 0xFFFE) {
        Problem("header: byte order mark " + Num(header_.byteOrder) + ", expected 65534");
    }
    if (!std::all_of(p + 0x22, p + 0x28, [](std::uint8_t b) { return b == 0; })) {
        Note("header: reserved bytes are not zero");
    }
    if (header_.transactionSignature != 0) {
        Note("header: the transaction signature is not zero");
    }
    const bool v3 = header_.majorVersion == 3 && header_.sectorShift == 9;
    const bool v4 = header_.majorVersion == 4 && header_.sectorShift == 12;
    if (!v3 && !v4) {
        Problem("header: version " + Num(header_.majorVersion) + " with sector shift " +
                Num(header_.sectorShift) + " is not a valid combination");
        return false;
    }
    if (header_.miniSectorShift != 6) {
        Problem("header: mini sector shift " + Num(header_.miniSectorShift) + ", expected 6");
        return false;
    }
    if (header_.miniStreamCutoff != kMiniStreamCutoff) {
        Problem("header: mini stream cutoff " + Num(header_.miniStreamCutoff) + ", expected 4096");
        return false;
    }
    if (v3 && header_.dirSectorCount != 0) {
        Note("header: directory sector count must be 0 in version 3");
    }
    sectorSize_ = header_.SectorSize();
    if (size_ < sectorSize_) {
        Problem("the file is shorter than its header sector");
        return false;
    }
    const std::uint64_t body = size_ - sectorSize_;
    if (body % sectorSize_ != 0) {
        Note("the file size " + Num(size_) + " is not a whole number of sectors");
    }
    if (body / sectorSize_ >= kMaxRegSect) {
        Problem("the file has more sectors than the format can number");
        return false;
    }
    sectors_ = static_cast<std::uint32_t>(body / sectorSize_);
    report_.sectors = sectors_;
    return true;
}

bool Checker::ReadFatSectors() {
    const std::uint32_t count = header_.fatSectorCount;
    const std::uint32_t perSector = sectorSize_ / 4;
    if (count == 0 || count > sectors_) {
        Problem("header: FAT sector count " + Num(count) + " does not fit a file of " +
                Num(sectors_) + " sectors");
        return false;
    }
    const std::uint64_t expectedDifat =
        count > kHeaderDifatCount ? CeilDiv(count - kHeaderDifatCount, perSector - 1) : 0;
    if (header_.difatSectorCount != expectedDifat) {
        Problem("header: DIFAT sector count " + Num(header_.difatSectorCount) + ", expected " +
                Num(expectedDifat) + " for " + Num(count) + " FAT sectors");
    }
    if (header_.difatSectorCount == 0 && header_.firstDifatSector != kEndOfChain) {
        Note("header: first DIFAT sector is set although there are no DIFAT sectors");
    }
    for (std::uint32_t i = 0; i < kHeaderDifatCount; ++i) {
        if (i < count) {
            fatSectors_.push_back(header_.difat[i]);
        } else if (header_.difat[i] != kFreeSect) {
            Note("header: DIFAT entry " + Num(i) + " past the FAT sector count is not free");
            break;
        }
    }
    std::uint32_t next = header_.firstDifatSector;
    std::vector<bool> seen(sectors_, false);
    for (std::uint32_t i = 0; i < header_.difatSectorCount && fatSectors_.size() < count; ++i) {
        if (next >= sectors_) {
            Problem("DIFAT: sector id " + Num(next) + " is beyond the end of the file");
            return false;
        }
        if (seen[next]) {
            Problem("DIFAT: the chain loops back to sector " + Num(next));
            return false;
        }
        seen[next] = true;
        difatSectors_.push_back(next);
        const std::uint8_t* s = Sector(next);
        for (std::uint32_t j = 0; j + 1 < perSector; ++j) {
            const std::uint32_t id = Load32(s + 4 * j);
            if (fatSectors_.size() < count) {
                fatSectors_.push_back(id);
            } else if (id != kFreeSect) {
                Note("DIFAT: entry past the FAT sector count in sector " + Num(next) +
                     " is not free");
                break;
            }
        }
        next = Load32(s + 4 * (perSector - 1));
    }
    if (fatSectors_.size() < count) {
        Problem("DIFAT: lists only " + Num(fatSectors_.size()) + " of " + Num(count) +
                " FAT sectors");
        return false;
    }
    if (!difatSectors_.empty() && next != kEndOfChain && next != kFreeSect) {
        Note("DIFAT: the last DIFAT sector does not end the chain");
    }
    bool usable = true;
    for (std::uint32_t id : fatSectors_) {
        if (id >= sectors_) {
            Problem("FAT: sector id " + Num(id) + " is beyond the end of the file");
            usable = false;
        }
    }
    if (!usable) {
        return false;
    }
    fat_.resize(static_cast<std::size_t>(count) * perSector);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* s = Sector(fatSectors_[i]);
        for (std::uint32_t j = 0; j < perSector; ++j) {
            fat_[static_cast<std::size_t>(i) * perSector + j] = Load32(s + 4 * j);
        }
    }
    owner_.assign(sectors_, -1);
    // A table sector with another mark still reads; one marked free would be handed out again
    // by the next writer, over the table.
    for (std::uint32_t id : fatSectors_) {
        ClaimSector(id, "the FAT");
        if (fat_[id] != kFatSect) {
            const std::string line =
                "FAT: sector " + Num(id) + " holds the FAT but is not marked as a FAT sector";
            fat_[id] == kFreeSect ? Problem(line + ", it is marked free") : Note(line);
        }
    }
    for (std::uint32_t id : difatSectors_) {
        ClaimSector(id, "the DIFAT");
        if (id < fat_.size() && fat_[id] != kDifSect) {
            const std::string line =
                "FAT: sector " + Num(id) + " holds the DIFAT but is not marked as a DIFAT sector";
            fat_[id] == kFreeSect ? Problem(line + ", it is marked free") : Note(line);
        }
    }
    if (fat_.size() < sectors_) {
        // Sectors the FAT does not reach are unused bytes at the end, not a fault.
        report_.strayedSectors += static_cast<std::uint32_t>(sectors_ - fat_.size());
    }
    std::uint64_t pastEnd = 0;
    for (std::size_t i = sectors_; i < fat_.size(); ++i) {
        pastEnd += fat_[i] != kFreeSect ? 1 : 0;
    }
    if (pastEnd != 0) {
        Note("FAT: " + Num(pastEnd) + " entries past the end of the file are not free");
    }
    return true;
}

void Checker::ClaimSector(std::uint32_t id, const std::string& owner) {
    if (id >= owner_.size()) {
        return;
    }
    if (owner_[id] >= 0) {
        const std::string line =
            "sector " + Num(id) + " belongs to both " + ownerNames_[owner_[id]] + " and " + owner;
        faults_.emplace(ownerNames_[owner_[id]], line);
        Fault(owner, line);
        return;
    }
    owner_[id] = OwnerIndex(owner);
}

std::int32_t Checker::OwnerIndex(const std::string& owner) {
    if (ownerNames_.empty() || ownerNames_.back() != owner) {
        ownerNames_.push_back(owner);
    }
    return static_cast<std::int32_t>(ownerNames_.size() - 1);
}

bool Checker::WalkChain(const std::vector<std::uint32_t>& table, std::uint32_t limit,
                        std::uint32_t start, std::uint64_t needed, const std::string& owner,
                        bool mini, std::vector<std::uint32_t>& chain) {
    chain.clear();
    const char* unit = mini ? "mini sector " : "sector ";
    std::vector<bool> inChain(limit, false);
    std::uint32_t id = start;
    while (needed == 0 || chain.size() < needed) {
        if (id == kEndOfChain && needed == 0) {
            return true;
        }
        if (id == kEndOfChain) {
            Fault(owner, owner + ": the chain has " + Num(chain.size()) +
                             " sectors, its size needs " + Num(needed));
            return false;
        }
        if (id >= limit || id >= table.size()) {
            Fault(owner, owner + ": " + unit + Num(id) + " in its chain is beyond the end of " +
                             (mini ? "the mini stream" : "the file"));
            return false;
        }
        if (inChain[id]) {
            Fault(owner, owner + ": the chain loops back to " + unit + Num(id));
            return false;
        }
        inChain[id] = true;
        chain.push_back(id);
        if (mini) {
            if (miniOwner_[id] >= 0) {
                const std::string line = "mini sector " + Num(id) + " belongs to both " +
                                         ownerNames_[miniOwner_[id]] + " and " + owner;
                faults_.emplace(ownerNames_[miniOwner_[id]], line);
                Fault(owner, line);
            } else {
                miniOwner_[id] = OwnerIndex(owner);
            }
        } else {
            ClaimSector(id, owner);
        }
        const std::uint32_t next = table[id];
        if (next == kFreeSect || next == kFatSect || next == kDifSect) {
            if (needed != 0 && chain.size() == needed) {
                break;
            }
            Fault(owner,
                  owner + ": the chain runs into " + unit + Num(id) + " whose entry is not a link");
            return false;
        }
        id = next;
    }
    return true;
}

void Checker::CheckDirectory() {
    std::vector<std::uint32_t> chain;
    WalkChain(fat_, sectors_, header_.firstDirSector, 0, "the directory", false, chain);
    if (chain.empty()) {
        Problem("directory: the chain is empty");
        return;
    }
    if (header_.majorVersion == 4 && header_.dirSectorCount != chain.size()) {
        Note("header: directory sector count " + Num(header_.dirSectorCount) + ", the chain has " +
             Num(chain.size()));
    }
    const std::uint32_t perSector = sectorSize_ / kDirEntrySize;
    entries_.resize(chain.size() * perSector);
    for (std::size_t i = 0; i < chain.size(); ++i) {
        for (std::uint32_t j = 0; j < perSector; ++j) {
            const std::size_t index = i * perSector + j;
            DirEntry& e = entries_[index];
            ParseDirEntry(Sector(chain[i]) + j * kDirEntrySize, true, e);
            if (header_.majorVersion == 3 && e.type == EntryType::Stream && (e.size >> 32) != 0) {
                Note("entry " + Num(index) +
                     ": the high 32 bits of its size are not zero in a version 3 file");
                e.size &= 0xFFFFFFFFu;
            }
        }
    }
    if (entries_[0].type != EntryType::Root) {
        Problem("directory: entry 0 is not the root");
        return;
    }
    if (entries_[0].color != kBlack) {
        Note("directory: the root entry is not black");
    }
    reached_.assign(entries_.size(), false);
    paths_.assign(entries_.size(), std::string());
    acceptedLeft_.assign(entries_.size(), kNoStream);
    acceptedRight_.assign(entries_.size(), kNoStream);
    reached_[0] = true;
    std::vector<std::uint32_t> storages = {0};
    while (!storages.empty()) {
        const std::uint32_t s = storages.back();
        storages.pop_back();
        CheckTree(s, storages);
    }
    for (std::size_t id = 1; id < entries_.size(); ++id) {
        if (!reached_[id] && entries_[id].type != EntryType::Unused) {
            Note("entry " + Num(id) + " (\"" + NameToUtf8(entries_[id].name) +
                 "\") is in use but not reachable from the root");
        }
    }
}

// One storage's sibling tree: every link, every entry reached once, names in order, and the
// red-black rules (no red entry under a red one, the same number of black entries on every
// path down to an empty link).
void Checker::CheckTree(std::uint32_t storage, std::vector<std::uint32_t>& storages) {
    const std::string where = "the tree of " + PathOf(storage);
    const std::string prefix = storage == 0 ? std::string() : paths_[storage] + "/";
    struct Item {
        std::uint32_t id;
        std::uint32_t parent; // kNoStream for the top
        bool left;
        int blacks;
        bool parentRed;
    };
    std::vector<Item> work = {{entries_[storage].child, kNoStream, false, 0, false}};
    std::uint32_t top = kNoStream;
    int nilBlacks = -1;
    bool blackMismatch = false;
    while (!work.empty()) {
        const Item item = work.back();
        work.pop_back();
        if (item.id == kNoStream) {
            if (nilBlacks < 0) {
                nilBlacks = item.blacks;
            } else if (nilBlacks != item.blacks) {
                blackMismatch = true;
            }
            continue;
        }
        if (item.id >= entries_.size()) {
            Problem(where + ": a link points at entry " + Num(item.id) + ", beyond the directory");
            continue;
        }
        if (reached_[item.id]) {
            Problem(where + ": entry " + Num(item.id) + " is reached a second time");
            continue;
        }
        const DirEntry& e = entries_[item.id];
        if (e.type != EntryType::Storage && e.type != EntryType::Stream) {
            Problem(where + ": entry " + Num(item.id) + " has type " +
                    Num(static_cast<unsigned>(e.type)) + ", not a storage or stream");
            continue;
        }
        reached_[item.id] = true;
        ++report_.elements;
        if (item.parent == kNoStream) {
            top = item.id;
        } else if (item.left) {
            acceptedLeft_[item.parent] = item.id;
        } else {
            acceptedRight_[item.parent] = item.id;
        }
        paths_[item.id] = prefix + NameToUtf8(e.name);
        const std::string& path = paths_[item.id];
        if (!NameLengthValid(e.nameBytes)) {
            Problem(path + ": name length field " + Num(e.nameBytes) + " is not valid");
        } else if (!IsValidName(e.name)) {
            Problem(path + ": the name is empty or holds a character names may not hold");
        }
        if (e.color != kRed && e.color != kBlack) {
            Note(path + ": colour " + Num(e.color) + " is neither red nor black");
        }
        const bool red = e.color == kRed;
        if (red && item.parentRed) {
            Note(where + ": red entry " + path + " sits under a red entry");
        }
        const int blacks = item.blacks + (red ? 0 : 1);
        work.push_back({e.right, item.id, false, blacks, red});
        work.push_back({e.left, item.id, true, blacks, red});
        if (e.type == EntryType::Storage) {
            storages.push_back(item.id);
        }
    }
    if (blackMismatch) {
        Note(where + ": paths down the tree pass different numbers of black entries");
    }
    // In order, over the links that were taken, names must rise strictly.
    std::vector<std::uint32_t> stack;
    std::uint32_t current = top;
    std::uint32_t previous = kNoStream;
    while (current != kNoStream || !stack.empty()) {
        while (current != kNoStream) {
            stack.push_back(current);
            current = acceptedLeft_[current];
        }
        current = stack.back();
        stack.pop_back();
        if (previous != kNoStream) {
            const int order = CompareNames(entries_[previous].name, entries_[current].name);
            if (order >= 0) {
                Problem(where + ": \"" + NameToUtf8(entries_[previous].name) + "\" and \"" +
                        NameToUtf8(entries_[current].name) + "\" are " +
                        (order == 0 ? "the same name" : "out of order"));
            }
        }
        previous = current;
        current = acceptedRight_[current];
    }
}

void Checker::CheckMini() {
    std::vector<std::uint32_t> miniFatChain;
    const bool hasMiniFat =
        header_.firstMiniFatSector != kEndOfChain && header_.firstMiniFatSector != kFreeSect;
    if (hasMiniFat && !WalkChain(fat_, sectors_, header_.firstMiniFatSector, 0, "the MiniFAT",
                                 false, miniFatChain)) {
        return;
    }
    if (header_.miniFatSectorCount != miniFatChain.size()) {
        Note("header: MiniFAT sector count " + Num(header_.miniFatSectorCount) +
             ", the chain has " + Num(miniFatChain.size()));
    }
    const std::uint32_t perSector = sectorSize_ / 4;
    miniFat_.resize(miniFatChain.size() * perSector);
    for (std::size_t i = 0; i < miniFatChain.size(); ++i) {
        for (std::uint32_t j = 0; j < perSector; ++j) {
            miniFat_[i * perSector + j] = Load32(Sector(miniFatChain[i]) + 4 * j);
        }
    }
    const DirEntry& root = entries_[0];
    if (root.size > static_cast<std::uint64_t>(sectors_) * sectorSize_) {
        Problem("the root: mini stream size " + Num(root.size) + " is larger than the file");
        return;
    }
    if (root.size > 0 && !WalkChain(fat_, sectors_, root.start, CeilDiv(root.size, sectorSize_),
                                    "the mini stream", false, miniStream_)) {
        return;
    }
    if (CeilDiv(root.size, kMiniSectorSize) > miniFat_.size()) {
        Note("the root: the mini stream holds more mini sectors than the MiniFAT describes");
    }
    miniOwner_.assign(miniFat_.size(), -1);
    miniUsable_ = true;
}

void Checker::CheckStreams() {
    std::vector<std::uint32_t> chain;
    const std::uint64_t fileBytes = static_cast<std::uint64_t>(sectors_) * sectorSize_;
    const std::uint64_t miniSectors = CeilDiv(entries_[0].size, kMiniSectorSize);
    for (std::size_t id = 1; id < entries_.size(); ++id) {
        const DirEntry& e = entries_[id];
        if (!reached_[id] || e.type != EntryType::Stream || e.size == 0) {
            continue;
        }
        const std::string& path = paths_[id];
        if (e.size >= kMiniStreamCutoff) {
            if (e.size > fileBytes) {
                Fault(path, path + ": size " + Num(e.size) + " is larger than the file");
                continue;
            }
            WalkChain(fat_, sectors_, e.start, CeilDiv(e.size, sectorSize_), path, false, chain);
            continue;
        }
        if (!miniUsable_) {
            Fault(path, path + ": a small stream, but the mini stream is not usable");
            continue;
        }
        if (e.size > entries_[0].size) {
            Fault(path, path + ": size " + Num(e.size) + " is larger than the mini stream");
            continue;
        }
        const auto limit =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(miniSectors, miniFat_.size()));
        WalkChain(miniFat_, limit, e.start, CeilDiv(e.size, kMiniSectorSize), path, true, chain);
    }
}

void Checker::ListStreamChains() {
    // A small stream lives inside the mini stream: a fault of that chain or of the MiniFAT is
    // a fault of every small stream.
    std::string miniFault;
    for (const char* owner : {"the mini stream", "the MiniFAT"}) {
        if (auto it = faults_.find(owner); it != faults_.end() && miniFault.empty()) {
            miniFault = it->second;
        }
    }
    for (std::size_t id = 1; id < entries_.size(); ++id) {
        const DirEntry& e = entries_[id];
        if (!reached_[id]) {
            continue;
        }
        if (e.type == EntryType::Storage) {
            ++report_.storages;
            continue;
        }
        ++report_.streams;
        std::string fault;
        if (auto it = faults_.find(paths_[id]); it != faults_.end()) {
            fault = it->second;
        } else if (e.size > 0 && e.size < kMiniStreamCutoff) {
            fault = miniFault;
        }
        report_.streamChains[paths_[id]] = std::move(fault);
    }
}

CheckReport Checker::Run() {
    if (!CheckHeader() || !ReadFatSectors()) {
        return std::move(report_);
    }
    CheckDirectory();
    if (!entries_.empty() && entries_[0].type == EntryType::Root) {
        CheckMini();
        CheckStreams();
        ListStreamChains();
    }
    for (std::uint32_t id = 0; id < sectors_ && id < fat_.size(); ++id) {
        if (fat_[id] == kFreeSect) {
            ++report_.freeSectors;
        } else if (owner_[id] < 0) {
            ++report_.strayedSectors;
        }
    }
    return std::move(report_);
}

} // namespace

CheckReport CheckImage(std::span<const std::uint8_t> bytes) {
    try {
        return Checker(bytes).Run();
    } catch (const std::bad_alloc&) {
        CheckReport report;
        report.problems.push_back("out of memory while checking the file");
        return report;
    }
}

int CheckFile(const std::filesystem::path& path, CheckReport& report) {
    report = CheckReport{};
    FileIo io;
    if (int r = io.Open(path, FileAccess::ReadShared); r != kOk) {
        return r;
    }
    std::uint64_t size = 0;
    if (int r = io.Size(size); r != kOk) {
        return r;
    }
    if (size > (std::uint64_t{1} << 32)) {
        return kErrTooLarge;
    }
    try {
        report = Checker(io, size).Run();
    } catch (const ReadFailure& failure) {
        report = CheckReport{};
        return failure.code;
    } catch (const std::bad_alloc&) {
        report = CheckReport{};
        return kErrNoMemory;
    }
    return kOk;
}

} // namespace cfb
