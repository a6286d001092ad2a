#pragma once

// Result codes of the compound-file engine. Every operation returns one of these; only kOk
// (zero) is a success.

namespace cfb {

inline constexpr int kOk = 0;
inline constexpr int kErrFileNotFound = 1; // the file itself does not exist
inline constexpr int kErrAccessDenied = 2; // file permissions, or a write through a read-only open
inline constexpr int kErrShareViolation = 3;  // another open of the file excludes this one
inline constexpr int kErrNotCompoundFile = 4; // no compound-file header
inline constexpr int kErrCorrupt = 5;         // a structure of the file is damaged
inline constexpr int kErrNotFound = 6;        // no element of that name and kind
inline constexpr int kErrAlreadyOpen = 7;     // the element is open already in this file
inline constexpr int kErrInvalidName = 8;
inline constexpr int kErrInvalidFlag = 9; // an unsupported combination of mode flags
inline constexpr int kErrIo = 10;         // the file layer failed
inline constexpr int kErrDiskFull = 11;
inline constexpr int kErrTooLarge = 12; // the file would outgrow what the format allows
inline constexpr int kErrReverted = 13; // an earlier write failed; the open file is unusable
inline constexpr int kErrInvalidArgument = 14;
inline constexpr int kErrNoMemory = 15;
inline constexpr int kErrAlreadyExists = 16;

// A short English description of a result code, for messages and logs.
const char* ErrorText(int code);

} // namespace cfb
