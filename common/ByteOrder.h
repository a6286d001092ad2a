#pragma once

// Integers stored in files byte by byte: little-endian in compound files, bitmaps, WAV files
// and the decoder's information record, big-endian in MIDI files. Reading them a byte at a
// time keeps the code free of alignment and host-order assumptions.

#include <cstdint>

namespace wz {

inline std::uint16_t Load16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t Load32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t Load64(const std::uint8_t* p) {
    return Load32(p) | (static_cast<std::uint64_t>(Load32(p + 4)) << 32);
}
inline void Store16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Store32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}
inline void Store64(std::uint8_t* p, std::uint64_t v) {
    Store32(p, static_cast<std::uint32_t>(v));
    Store32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

inline std::uint16_t LoadBig16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
inline std::uint32_t LoadBig24(const std::uint8_t* p) {
    return (static_cast<std::uint32_t>(p[0]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) |
           p[2];
}
inline std::uint32_t LoadBig32(const std::uint8_t* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | p[3];
}

} // namespace wz
