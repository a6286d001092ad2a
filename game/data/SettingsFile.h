#pragma once

// The settings file "WinZolvik.cfg": the control keys, the high-score table and the Sound and
// Music options, 358 bytes with no header. The size alone decides whether a file is taken.
//
// Layout (integers little-endian, no gaps):
//   0    5 bytes   control keys: Down, Drop, Left, Right, Rotate
//   5   60 bytes   15 high scores, signed 32-bit, best first
//  65    4 bytes   music option (1 on, 0 off)
//  69    4 bytes   sound option (1 on, 0 off)
//  73  285 bytes   15 high-score lines of 19 bytes: 18 characters and a NUL

#include "GameState.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

namespace wz {

class MessageBoxSink;

inline constexpr std::string_view kSettingsFileName = "WinZolvik.cfg";
inline constexpr std::size_t kSettingsFileSize = 358;
// Each high-score line is stored as its 18 characters and the NUL; the spare byte of the line
// buffer in memory is not stored.
inline constexpr std::size_t kStoredLineLength = 19;

using SettingsBytes = std::array<std::uint8_t, kSettingsFileSize>;

// The stored values of the state in file order.
SettingsBytes EncodeSettings(const GameState& state);
// Takes every value as stored into the state; nothing is validated.
void DecodeSettings(const SettingsBytes& bytes, GameState& state);

// Where a damaged settings file is kept before the defaults take its place.
inline constexpr std::string_view kDamagedSettingsSuffix = ".bad";

// NotAFile: a folder, FIFO, device or socket by that name, which is never opened for reading
// (a FIFO would block the game before its window appears).
enum class SettingsRead { Loaded, Missing, NotAFile, WrongSize };

// Reads the file into the state when it is a regular file exactly 358 bytes long; otherwise the
// state is left as it was.
SettingsRead ReadSettingsFile(const std::filesystem::path& file, GameState& state);

// Moves a damaged settings file to its name with ".bad" added, replacing an older regular file
// of that name but nothing else. False when it stays where it is.
bool KeepDamagedSettingsFile(const std::filesystem::path& file);

// Writes the whole file beside the old one and renames it over it, so a failed save keeps the
// old file. Returns false when nothing was replaced; no scratch file is left behind then.
bool WriteSettingsFile(const std::filesystem::path& file, const GameState& state);

// The game's two operations over the file in the current folder (or the given one).
// SaveSettings shows "Error: Can't open file: WinZolvik.cfg" when the file cannot be written.
bool SaveSettings(const GameState& state, MessageBoxSink& messages,
                  const std::filesystem::path& file = kSettingsFileName);
// Reads the file; a missing file, or anything by that name that is not a regular file, is
// replaced by the values held now. So is a file of the wrong size, once it has been kept as
// "WinZolvik.cfg.bad"; when it cannot be kept it stays, and the game runs on the values held now.
void LoadSettings(GameState& state, MessageBoxSink& messages,
                  const std::filesystem::path& file = kSettingsFileName);

} // namespace wz
