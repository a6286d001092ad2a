#pragma once

// Whole pages of read/write memory straight from the operating system, for pixel arrays and
// bitmap file buffers. They arrive zero-filled.

#include <cstddef>
#include <cstdint>

namespace wz {

// One page allocation, given back when the buffer goes. Moving hands the pages over; the
// bytes themselves never move, so pointers into them stay valid.
class PageBuffer {
public:
    PageBuffer() = default;
    // An empty buffer when bytes is 0 or the system refuses.
    static PageBuffer Allocate(std::size_t bytes);

    ~PageBuffer() { Reset(); }
    PageBuffer(PageBuffer&& other) noexcept;
    PageBuffer& operator=(PageBuffer&& other) noexcept;
    PageBuffer(const PageBuffer&) = delete;
    PageBuffer& operator=(const PageBuffer&) = delete;

    // Gives the pages back; the buffer is empty afterwards.
    void Reset();

    std::uint8_t* Data() const { return data_; }
    // The size that was asked for (the pages behind it may be longer).
    std::size_t Size() const { return size_; }
    bool IsEmpty() const { return data_ == nullptr; }

private:
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace wz
