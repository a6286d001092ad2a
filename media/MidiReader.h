#pragma once

// Reading the events of one chunk of a Standard MIDI File. Every read stays inside the chunk
// and says when the chunk ran out, so no length or count in the file is trusted.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace wz {

class MidiChunkReader {
public:
    explicit MidiChunkReader(std::span<const std::uint8_t> chunk) : chunk_(chunk) {}

    bool AtEnd() const { return pos_ >= chunk_.size(); }

    std::optional<std::uint8_t> Byte() {
        if (AtEnd()) {
            return std::nullopt;
        }
        return chunk_[pos_++];
    }

    // A variable-length quantity: at most four bytes of seven bits, as players read it.
    std::optional<std::uint32_t> VarLen() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            auto c = Byte();
            if (!c) {
                return std::nullopt;
            }
            value = (value << 7) | (*c & 0x7Fu);
            if ((*c & 0x80u) == 0) {
                return value;
            }
        }
        return std::nullopt;
    }

    // Passes over count bytes; false, without moving, when fewer are left.
    bool Skip(std::uint32_t count) {
        if (count > chunk_.size() - pos_) {
            return false;
        }
        pos_ += count;
        return true;
    }

    // The bytes from the position on, to look at what a Skip is about to pass over.
    std::span<const std::uint8_t> Rest() const { return chunk_.subspan(pos_); }

private:
    std::span<const std::uint8_t> chunk_;
    std::size_t pos_ = 0;
};

} // namespace wz
