#pragma once

// Whole pages of read/write memory straight from the operating system, for pixel arrays and
// bitmap file buffers. They arrive zero-filled.

#include <cstddef>

namespace wz {

// Returns null when bytes is 0 or the system refuses.
void* AllocatePages(std::size_t bytes);

// Gives back an allocation of AllocatePages; bytes is the size that was asked for. Null is
// ignored.
void FreePages(void* pages, std::size_t bytes);

} // namespace wz
