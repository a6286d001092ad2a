#include "CfbFormat.h"

#include "CfbErrors.h"

#include <algorithm>
#include <cstring>

namespace cfb {

int ParseHeader(const std::uint8_t* p, Header& h) {
    if (!std::equal(kSignature.begin(), kSignature.end(), p)) {
        return kErrNotCompoundFile;
    }
    std::memcpy(h.clsid.data(), p + 0x08, 16);
    h.minorVersion = Load16(p + 0x18);
    h.majorVersion = Load16(p + 0x1A);
    h.byteOrder = Load16(p + 0x1C);
    h.sectorShift = Load16(p + 0x1E);
    h.miniSectorShift = Load16(p + 0x20);
    h.dirSectorCount = Load32(p + 0x28);
    h.fatSectorCount = Load32(p + 0x2C);
    h.firstDirSector = Load32(p + 0x30);
    h.transactionSignature = Load32(p + 0x34);
    h.miniStreamCutoff = Load32(p + 0x38);
    h.firstMiniFatSector = Load32(p + 0x3C);
    h.miniFatSectorCount = Load32(p + 0x40);
    h.firstDifatSector = Load32(p + 0x44);
    h.difatSectorCount = Load32(p + 0x48);
    for (std::uint32_t i = 0; i < kHeaderDifatCount; ++i) {
        h.difat[i] = Load32(p + 0x4C + 4 * i);
    }
    const bool v3 = h.majorVersion == 3 && h.sectorShift == 9;
    const bool v4 = h.majorVersion == 4 && h.sectorShift == 12;
    if (!v3 && !v4) {
        return kErrCorrupt;
    }
    if (h.byteOrder != 0xFFFE || h.miniSectorShift != 6 ||
        h.miniStreamCutoff != kMiniStreamCutoff) {
        return kErrCorrupt;
    }
    return kOk;
}

void WriteHeader(const Header& h, std::uint8_t* p) {
    std::memset(p, 0, kHeaderSize);
    std::copy(kSignature.begin(), kSignature.end(), p);
    std::memcpy(p + 0x08, h.clsid.data(), 16);
    Store16(p + 0x18, h.minorVersion);
    Store16(p + 0x1A, h.majorVersion);
    Store16(p + 0x1C, h.byteOrder);
    Store16(p + 0x1E, h.sectorShift);
    Store16(p + 0x20, h.miniSectorShift);
    Store32(p + 0x28, h.dirSectorCount);
    Store32(p + 0x2C, h.fatSectorCount);
    Store32(p + 0x30, h.firstDirSector);
    Store32(p + 0x34, h.transactionSignature);
    Store32(p + 0x38, h.miniStreamCutoff);
    Store32(p + 0x3C, h.firstMiniFatSector);
    Store32(p + 0x40, h.miniFatSectorCount);
    Store32(p + 0x44, h.firstDifatSector);
    Store32(p + 0x48, h.difatSectorCount);
    for (std::uint32_t i = 0; i < kHeaderDifatCount; ++i) {
        Store32(p + 0x4C + 4 * i, h.difat[i]);
    }
}

bool NameLengthValid(std::uint16_t nameBytes) {
    return nameBytes >= 2 && nameBytes <= 64 && nameBytes % 2 == 0;
}

void ParseDirEntry(const std::uint8_t* p, bool sizeHighBits, DirEntry& e) {
    e.nameBytes = Load16(p + 0x40);
    e.name.clear();
    if (NameLengthValid(e.nameBytes)) {
        const std::uint32_t units = e.nameBytes / 2 - 1;
        for (std::uint32_t i = 0; i < units; ++i) {
            e.name.push_back(static_cast<char16_t>(Load16(p + 2 * i)));
        }
    }
    e.type = static_cast<EntryType>(p[0x42]);
    e.color = p[0x43];
    e.left = Load32(p + 0x44);
    e.right = Load32(p + 0x48);
    e.child = Load32(p + 0x4C);
    std::memcpy(e.clsid.data(), p + 0x50, 16);
    e.stateBits = Load32(p + 0x60);
    e.creationTime = Load64(p + 0x64);
    e.modifiedTime = Load64(p + 0x6C);
    e.start = Load32(p + 0x74);
    e.size = sizeHighBits ? Load64(p + 0x78) : Load32(p + 0x78);
}

void WriteDirEntry(const DirEntry& e, std::uint8_t* p) {
    std::memset(p, 0, kDirEntrySize);
    if (e.type != EntryType::Unused) {
        const std::size_t units = std::min<std::size_t>(e.name.size(), kMaxNameUnits);
        for (std::size_t i = 0; i < units; ++i) {
            Store16(p + 2 * i, e.name[i]);
        }
        Store16(p + 0x40, static_cast<std::uint16_t>((units + 1) * 2));
    }
    p[0x42] = static_cast<std::uint8_t>(e.type);
    p[0x43] = e.type == EntryType::Unused ? 0 : e.color;
    Store32(p + 0x44, e.left);
    Store32(p + 0x48, e.right);
    Store32(p + 0x4C, e.child);
    std::memcpy(p + 0x50, e.clsid.data(), 16);
    Store32(p + 0x60, e.stateBits);
    Store64(p + 0x64, e.creationTime);
    Store64(p + 0x6C, e.modifiedTime);
    Store32(p + 0x74, e.start);
    Store64(p + 0x78, e.size);
}

DirEntry UnusedEntry() {
    DirEntry e;
    e.type = EntryType::Unused;
    e.color = kRed;
    e.start = 0;
    return e;
}

bool IsValidName(std::u16string_view name) {
    if (name.empty() || name.size() > kMaxNameUnits) {
        return false;
    }
    for (char16_t c : name) {
        if (c == u'/' || c == u'\\' || c == u':' || c == u'!' || c == 0) {
            return false;
        }
    }
    return true;
}

// Simple per-unit upper-casing for the scripts names are likely to use: ASCII, Latin-1,
// Latin Extended-A pairs, Greek and Cyrillic. Sibling order only needs to agree with other
// writers on the names we store, which are ASCII.
char16_t UpperUnit(char16_t c) {
    if (c >= u'a' && c <= u'z') {
        return static_cast<char16_t>(c - 0x20);
    }
    if (c < 0x80) {
        return c;
    }
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
        return static_cast<char16_t>(c - 0x20);
    }
    if (c == 0xFF) {
        return 0x178;
    }
    if (c >= 0x100 && c <= 0x17F && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
        const bool oddPairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (oddPairs ? (c % 2 == 0) : (c % 2 == 1)) {
            return static_cast<char16_t>(c - 1);
        }
        return c;
    }
    if (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) {
        return static_cast<char16_t>(c - 0x20);
    }
    if (c >= 0x430 && c <= 0x44F) {
        return static_cast<char16_t>(c - 0x20);
    }
    if (c >= 0x450 && c <= 0x45F) {
        return static_cast<char16_t>(c - 0x50);
    }
    return c;
}

int CompareNames(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char16_t x = UpperUnit(a[i]);
        const char16_t y = UpperUnit(b[i]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return 0;
}

} // namespace cfb
