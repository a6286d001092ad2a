#pragma once

// On-disk layout of a compound file: markers, the 512-byte header, 128-byte directory
// entries, and the ordering of element names. Everything here is plain data with no I/O.

#include "ByteOrder.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace cfb {

// Sector chain markers.
inline constexpr std::uint32_t kFreeSect = 0xFFFFFFFF;
inline constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
inline constexpr std::uint32_t kFatSect = 0xFFFFFFFD;
inline constexpr std::uint32_t kDifSect = 0xFFFFFFFC;
inline constexpr std::uint32_t kMaxRegSect = 0xFFFFFFFA;
inline constexpr std::uint32_t kNoStream = 0xFFFFFFFF;

inline constexpr std::uint32_t kHeaderSize = 512;
inline constexpr std::uint32_t kHeaderDifatCount = 109;
inline constexpr std::uint32_t kDirEntrySize = 128;
inline constexpr std::uint32_t kMiniSectorSize = 64;
inline constexpr std::uint32_t kMiniStreamCutoff = 4096;
inline constexpr std::uint32_t kMaxNameUnits = 31;

// How many units of b it takes to hold a: sectors for a stream's bytes, table sectors for
// their entries.
constexpr std::uint64_t CeilDiv(std::uint64_t a, std::uint64_t b) {
    return (a + b - 1) / b;
}

inline constexpr std::array<std::uint8_t, 8> kSignature = {0xD0, 0xCF, 0x11, 0xE0,
                                                           0xA1, 0xB1, 0x1A, 0xE1};

enum class EntryType : std::uint8_t { Unused = 0, Storage = 1, Stream = 2, Root = 5 };
inline constexpr std::uint8_t kRed = 0;
inline constexpr std::uint8_t kBlack = 1;

// The file's integers are little-endian.
using wz::Load16;
using wz::Load32;
using wz::Load64;
using wz::Store16;
using wz::Store32;
using wz::Store64;

struct Header {
    std::array<std::uint8_t, 16> clsid{};
    std::uint16_t minorVersion = 0x3E;
    std::uint16_t majorVersion = 3;
    std::uint16_t byteOrder = 0xFFFE;
    std::uint16_t sectorShift = 9;
    std::uint16_t miniSectorShift = 6;
    std::uint32_t dirSectorCount = 0;
    std::uint32_t fatSectorCount = 0;
    std::uint32_t firstDirSector = kEndOfChain;
    std::uint32_t transactionSignature = 0;
    std::uint32_t miniStreamCutoff = kMiniStreamCutoff;
    std::uint32_t firstMiniFatSector = kEndOfChain;
    std::uint32_t miniFatSectorCount = 0;
    std::uint32_t firstDifatSector = kEndOfChain;
    std::uint32_t difatSectorCount = 0;
    std::array<std::uint32_t, kHeaderDifatCount> difat{};

    Header() { difat.fill(kFreeSect); }
    std::uint32_t SectorSize() const { return 1u << sectorShift; }
};

// Reads the header from its first 512 bytes. Returns kErrNotCompoundFile without the signature
// and kErrCorrupt for fields no reader could work with (sector sizes, cutoff, byte order).
int ParseHeader(const std::uint8_t* bytes, Header& out);
// Writes the 512 header bytes.
void WriteHeader(const Header& header, std::uint8_t* bytes);

struct DirEntry {
    std::u16string name;
    std::uint16_t nameBytes = 0; // the stored name length field, kept for the checker
    EntryType type = EntryType::Unused;
    std::uint8_t color = kBlack;
    std::uint32_t left = kNoStream;
    std::uint32_t right = kNoStream;
    std::uint32_t child = kNoStream;
    std::array<std::uint8_t, 16> clsid{};
    std::uint32_t stateBits = 0;
    std::uint64_t creationTime = 0;
    std::uint64_t modifiedTime = 0;
    std::uint32_t start = kEndOfChain;
    std::uint64_t size = 0;

    bool IsStorage() const { return type == EntryType::Storage || type == EntryType::Root; }
    bool IsStream() const { return type == EntryType::Stream; }
};

// Decodes one 128-byte entry; sizeHighBits false drops the upper 32 size bits, which version 3
// writers may leave uninitialised.
void ParseDirEntry(const std::uint8_t* bytes, bool sizeHighBits, DirEntry& out);
void WriteDirEntry(const DirEntry& entry, std::uint8_t* bytes);
// An unused entry: all zero except the three links.
DirEntry UnusedEntry();

// Whether the stored name length field is one a reader can trust: even, with the terminator,
// at most 32 units.
bool NameLengthValid(std::uint16_t nameBytes);
// Names are 1 to 31 UTF-16 units without '/', '\\', ':', '!' or NUL.
bool IsValidName(std::u16string_view name);
// Sibling order: shorter names first, then unit by unit after simple upper-casing.
int CompareNames(std::u16string_view a, std::u16string_view b);
char16_t UpperUnit(char16_t c);

} // namespace cfb
