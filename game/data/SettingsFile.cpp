#include "SettingsFile.h"

#include "MessageBox.h"
#include "OutputFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace wz {
namespace {

constexpr std::size_t kKeysOffset = 0;
constexpr std::size_t kScoresOffset = 5;
constexpr std::size_t kMusicOffset = 65;
constexpr std::size_t kSoundOffset = 69;
constexpr std::size_t kLinesOffset = 73;
static_assert(kLinesOffset + kHighScoreCount * kStoredLineLength == kSettingsFileSize);

void PutInt32(std::uint8_t* at, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
}

std::int32_t GetInt32(const std::uint8_t* at) {
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) {
        bits |= static_cast<std::uint32_t>(at[i]) << (8 * i);
    }
    return static_cast<std::int32_t>(bits);
}

} // namespace

SettingsBytes EncodeSettings(const GameState& state) {
    SettingsBytes bytes{};
    std::memcpy(bytes.data() + kKeysOffset, state.controlKeys.data(), 5);
    for (int i = 0; i < kHighScoreCount; ++i) {
        PutInt32(bytes.data() + kScoresOffset + 4 * i, state.highScores[i]);
    }
    PutInt32(bytes.data() + kMusicOffset, state.musicOption);
    PutInt32(bytes.data() + kSoundOffset, state.soundOption);
    for (int i = 0; i < kHighScoreCount; ++i) {
        std::memcpy(bytes.data() + kLinesOffset + kStoredLineLength * i,
                    state.highScoreLines[i].data(), kStoredLineLength);
    }
    return bytes;
}

void DecodeSettings(const SettingsBytes& bytes, GameState& state) {
    std::memcpy(state.controlKeys.data(), bytes.data() + kKeysOffset, 5);
    for (int i = 0; i < kHighScoreCount; ++i) {
        state.highScores[i] = GetInt32(bytes.data() + kScoresOffset + 4 * i);
    }
    state.musicOption = GetInt32(bytes.data() + kMusicOffset);
    state.soundOption = GetInt32(bytes.data() + kSoundOffset);
    for (int i = 0; i < kHighScoreCount; ++i) {
        std::memcpy(state.highScoreLines[i].data(),
                    bytes.data() + kLinesOffset + kStoredLineLength * i, kStoredLineLength);
    }
}

SettingsRead ReadSettingsFile(const std::filesystem::path& file, GameState& state) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) {
        return SettingsRead::Missing;
    }
    if (!S_ISREG(info.st_mode)) {
        return SettingsRead::NotAFile;
    }
    // The name may have been given to a FIFO since: without O_NONBLOCK its open would wait for
    // a writer, and the kind is checked again on what was opened.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return SettingsRead::Missing;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return SettingsRead::NotAFile;
    }
    // One byte more than the layout tells a grown file from a good one without asking for the
    // size first, which a file being replaced could change in between.
    std::array<std::uint8_t, kSettingsFileSize + 1> buffer{};
    std::size_t total = 0;
    while (total < buffer.size()) {
        const ssize_t got = ::read(fd, buffer.data() + total, buffer.size() - total);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        total += static_cast<std::size_t>(got);
    }
    ::close(fd);
    if (total != kSettingsFileSize) {
        return SettingsRead::WrongSize;
    }
    SettingsBytes bytes;
    std::memcpy(bytes.data(), buffer.data(), kSettingsFileSize);
    DecodeSettings(bytes, state);
    return SettingsRead::Loaded;
}

bool KeepDamagedSettingsFile(const std::filesystem::path& file) {
    const std::string kept = file.string() + std::string(kDamagedSettingsSuffix);
    // An older damaged file goes, but a folder, link or anything else by that name is the
    // player's, not ours.
    struct stat info {};
    if (::lstat(kept.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        return false;
    }
    return ::rename(file.c_str(), kept.c_str()) == 0;
}

bool WriteSettingsFile(const std::filesystem::path& file, const GameState& state) {
    const SettingsBytes bytes = EncodeSettings(state);
    // The new file is written whole beside the old one and renamed over it in one step, so a
    // failure at any point leaves the old settings as they were. Whatever else holds the name
    // (a pipe, a link to a device) is the game's file to replace, not to write through.
    OutputOptions options;
    options.mode = std::filesystem::perms(0644);
    options.replaceName = true;
    std::string reason;
    return WriteOutputFile(file, bytes, reason, options);
}

bool SaveSettings(const GameState& state, MessageBoxSink& messages,
                  const std::filesystem::path& file) {
    if (WriteSettingsFile(file, state)) {
        return true;
    }
    messages.ShowMessage({"WinZolvik", "Error: Can't open file: " + file.filename().string(),
                          MessageIcon::Stop, MessageOwner::ActiveWindow});
    return false;
}

void LoadSettings(GameState& state, MessageBoxSink& messages, const std::filesystem::path& file) {
    switch (ReadSettingsFile(file, state)) {
    case SettingsRead::Loaded:
        return;
    case SettingsRead::WrongSize:
        // The player's keys and scores may still be read out of it; the defaults only take
        // its place once it is safe beside it.
        if (!KeepDamagedSettingsFile(file)) {
            return;
        }
        break;
    case SettingsRead::Missing:
    case SettingsRead::NotAFile:
        break;
    }
    SaveSettings(state, messages, file);
}

} // namespace wz
