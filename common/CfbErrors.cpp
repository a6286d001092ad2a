#include "CfbErrors.h"

namespace cfb {

const char* ErrorText(int code) {
    switch (code) {
    case kOk:
        return "success";
    case kErrFileNotFound:
        return "file not found";
    case kErrAccessDenied:
        return "access denied";
    case kErrShareViolation:
        return "the file is in use by another open";
    case kErrNotCompoundFile:
        return "not a compound file";
    case kErrCorrupt:
        return "the compound file is damaged";
    case kErrNotFound:
        return "no such element";
    case kErrAlreadyOpen:
        return "the element is already open";
    case kErrInvalidName:
        return "invalid element name";
    case kErrInvalidFlag:
        return "unsupported open mode";
    case kErrIo:
        return "input/output error";
    case kErrDiskFull:
        return "no space left on the device";
    case kErrTooLarge:
        return "the file would grow beyond the format's limit";
    case kErrReverted:
        return "the open file failed earlier and can no longer be used";
    case kErrInvalidArgument:
        return "invalid argument";
    case kErrNoMemory:
        return "out of memory";
    case kErrAlreadyExists:
        return "an element of that name exists";
    default:
        return "unknown error";
    }
}

} // namespace cfb
