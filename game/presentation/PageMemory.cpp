#include "PageMemory.h"

#include <utility>

#include <sys/mman.h>
#include <unistd.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define WZ_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define WZ_ASAN 1
#endif
#ifdef WZ_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace wz {

namespace {

std::size_t RoundToPages(std::size_t bytes) {
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return (bytes + page - 1) / page * page;
}

// Null when bytes is 0 or the system refuses.
void* AllocatePages(std::size_t bytes) {
    if (bytes == 0)
        return nullptr;
    const std::size_t mapped = RoundToPages(bytes);
    if (mapped < bytes)
        return nullptr;
    // The whole array is written at once by the decoder; committing the pages in the one call
    // spares a fault per page.
    int flags = MAP_PRIVATE | MAP_ANONYMOUS;
#ifdef MAP_POPULATE
    flags |= MAP_POPULATE;
#endif
    void* pages = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, flags, -1, 0);
    if (pages == MAP_FAILED)
        return nullptr;
#ifdef WZ_ASAN
    // The sanitizer does not watch mapped memory; mark the slack after the array so that a
    // read or write past its end is still caught in the sanitizer builds.
    ASAN_POISON_MEMORY_REGION(static_cast<char*>(pages) + bytes, mapped - bytes);
#endif
    return pages;
}

// bytes is the size that was asked for; null is ignored.
void FreePages(void* pages, std::size_t bytes) {
    if (pages == nullptr)
        return;
    const std::size_t mapped = RoundToPages(bytes);
#ifdef WZ_ASAN
    ASAN_UNPOISON_MEMORY_REGION(pages, mapped);
#endif
    munmap(pages, mapped);
}

} // namespace

PageBuffer PageBuffer::Allocate(std::size_t bytes) {
    PageBuffer buffer;
    buffer.data_ = static_cast<std::uint8_t*>(AllocatePages(bytes));
    buffer.size_ = buffer.data_ != nullptr ? bytes : 0;
    return buffer;
}

PageBuffer::PageBuffer(PageBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

PageBuffer& PageBuffer::operator=(PageBuffer&& other) noexcept {
    if (this != &other) {
        Reset();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

void PageBuffer::Reset() {
    FreePages(data_, size_);
    data_ = nullptr;
    size_ = 0;
}

} // namespace wz
