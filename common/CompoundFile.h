#pragma once

// One open compound file: the header, both allocation tables, the directory and the file
// under them, kept in memory and written through on every change (direct mode).
//
// Every change follows one order so that the file on disk stays valid whatever write fails:
// new data goes into free or appended sectors first; then the table sectors that chain it;
// then the header; then the directory entries that point at it (a changed tree is written as
// a whole new directory chain, switched over by the header). Sectors given up by the change
// are marked free only after that. A write that fails leaves the file as it was before the
// change, apart from sectors that nothing points at; this object then refuses further work.
//
// The class is defined over several files, one step each: opening and the elements here
// (CompoundFile.cpp), loading and the check before the first change (CfbLoad.cpp), finding
// room (CfbAllocate.cpp), writing the tables back (CfbFlush.cpp), stream contents
// (CfbStreamIo.cpp) and the whole-tree copy (CfbCopy.cpp).

#include "CfbAllocationTable.h"
#include "CfbDirectory.h"
#include "CfbFileIo.h"
#include "CfbFormat.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace cfb {

class CompoundFile {
public:
    static int Open(const std::filesystem::path& path, FileAccess access,
                    std::shared_ptr<CompoundFile>& out);
    ~CompoundFile(); // flushes a writable file to disk, unless told not to

    // For a caller that flushes the file itself or is about to replace it with a copy that
    // is flushed: closing then leaves the written sectors to the system's own write-back.
    void SkipSyncOnClose() { syncOnClose_ = false; }

    CompoundFile(const CompoundFile&) = delete;
    CompoundFile& operator=(const CompoundFile&) = delete;

    bool Writable() const { return writable_; }
    bool Broken() const { return broken_; }
    const Directory& Dir() const { return dir_; }
    std::uint32_t SectorSize() const { return sectorSize_; }

    // One open handle per element: a second open of the same element fails.
    int Acquire(std::uint32_t id);
    void Release(std::uint32_t id);
    bool AnyOpenIn(std::uint32_t id) const; // the element or anything under it

    int CreateElement(std::uint32_t storage, std::u16string_view name, EntryType type, bool replace,
                      std::uint32_t& id);
    int DestroyElement(std::uint32_t storage, std::u16string_view name);
    int SetStorageClass(std::uint32_t id, const std::array<std::uint8_t, 16>& clsid,
                        std::uint32_t stateBits);

    // Walks a stream's chain once: kErrCorrupt when it is shorter than the stream's size says,
    // loops, or leaves the file. A size checked this way is bounded by the file.
    int CheckChain(std::uint32_t id);
    int ReadStream(std::uint32_t id, std::uint64_t position, void* buffer, std::size_t length,
                   std::size_t& done);
    int WriteStream(std::uint32_t id, std::uint64_t position, const void* bytes,
                    std::size_t length);

    // For the compact copy, which writes a whole new file image and then reloads.
    FileIo& Io() { return io_; }
    int Reload();
    void MarkBroken() { broken_ = true; }

    // The largest number of sectors a file we write may have (it stays under 2 GiB).
    static constexpr std::uint32_t kMaxSectors = 0x80000000u / 512 - 2;

private:
    CompoundFile() = default;
    int Load();
    int InitEmpty();
    int PrepareForWriting();
    std::uint64_t SectorOffset(std::uint32_t id) const {
        return (static_cast<std::uint64_t>(id) + 1) << header_.sectorShift;
    }

    // Chains of streams, walked once and kept while the element exists.
    int RegularChain(std::uint32_t id, std::vector<std::uint32_t>*& chain);
    int MiniChain(std::uint32_t id, std::vector<std::uint32_t>*& chain);
    int ReadRuns(const std::vector<std::uint32_t>& chain, bool mini, std::uint64_t position,
                 std::uint8_t* out, std::size_t length);
    int WriteRegular(const std::vector<std::uint32_t>& chain, std::size_t freshFrom,
                     std::uint64_t position, const std::uint8_t* bytes, std::size_t length);
    int WriteRegularZeros(const std::vector<std::uint32_t>& chain, std::size_t freshFrom,
                          std::uint64_t position, std::uint64_t length);
    int WriteMini(const std::vector<std::uint32_t>& chain, std::uint64_t position,
                  const std::uint8_t* bytes, std::size_t length);

    int AllocSector(std::uint32_t& id);
    int GrowFat();
    int ReserveFat(std::uint64_t moreSectors);
    int ReadTable(const std::vector<std::uint32_t>& sectors, std::vector<std::uint32_t>& entries);
    int AllocMiniSector(std::uint32_t& id);
    int ExtendRegular(std::vector<std::uint32_t>& chain, std::uint64_t sectors,
                      std::uint32_t& start);
    void FreeStreamLater(const DirEntry& entry);
    int RemoveElement(std::uint32_t storage, std::uint32_t id);
    int CheckRoom(std::uint64_t moreBytes) const;

    int Flush();
    int WriteFatSector(std::uint32_t index);
    int WriteMiniFatSector(std::uint32_t index);
    int WriteDifatSector(std::uint32_t index);
    int WriteDirSector(std::uint32_t index, const std::vector<std::uint32_t>& chain);
    int WriteHeaderNow();
    int Fail(int code);

    FileIo io_;
    bool writable_ = false;
    bool broken_ = false;
    bool syncOnClose_ = true;
    Header header_;
    std::uint32_t sectorSize_ = 512;
    std::uint32_t sectorCount_ = 0; // sectors the file holds after the header
    AllocationTable fat_;
    AllocationTable miniFat_;
    std::vector<std::uint32_t> fatSectors_;
    std::vector<std::uint32_t> difatSectors_;
    std::vector<std::uint32_t> miniFatChain_;
    std::vector<std::uint32_t> dirChain_;
    std::vector<std::uint32_t> miniStreamChain_;
    Directory dir_;
    std::set<std::uint32_t> open_;
    std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> chains_;

    // What the change in progress has to write, and what it gives up once it is in.
    std::set<std::uint32_t> dirtyEntries_;
    std::set<std::uint32_t> dirtyDifat_;
    bool headerDirty_ = false;
    bool newDirectory_ = false;
    std::vector<std::uint32_t> freeLater_;
    std::vector<std::uint32_t> freeMiniLater_;
};

} // namespace cfb
