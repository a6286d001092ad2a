// wzassets extract FILE PATH OUT: one stream's bytes into a file or standard output.

#include "CfbStorage.h"
#include "WzAssets.h"

#include <fstream>
#include <iostream>

namespace wz::assets {

int RunExtract(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 3) {
        return UsageError(err, "extract");
    }
    const std::string& file = args[0];
    const std::string& path = args[1];
    const std::string& target = args[2];
    std::shared_ptr<cfb::Storage> storage;
    if (int r = cfb::OpenCompoundFile(file, cfb::kModeRead | cfb::kShareDenyWrite, storage);
        r != cfb::kOk) {
        return Fail(err, file, cfb::ErrorText(r));
    }
    // Every part of the path but the last names a storage.
    std::vector<std::u16string> parts;
    for (std::size_t at = 0; at <= path.size();) {
        const std::size_t slash = std::min(path.find('/', at), path.size());
        parts.push_back(FromUtf8(std::string_view(path).substr(at, slash - at)));
        at = slash + 1;
    }
    constexpr std::uint32_t kReadOnly = cfb::kModeRead | cfb::kShareExclusive;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        std::shared_ptr<cfb::Storage> next;
        if (int r = storage->OpenStorage(parts[i], kReadOnly, next); r != cfb::kOk) {
            return Fail(err, file + ": " + path,
                        r == cfb::kErrNotFound ? "no such stream" : cfb::ErrorText(r));
        }
        storage = std::move(next);
    }
    std::shared_ptr<cfb::Stream> stream;
    if (int r = storage->OpenStream(parts.back(), kReadOnly, stream); r != cfb::kOk) {
        return Fail(err, file + ": " + path,
                    r == cfb::kErrNotFound ? "no such stream" : cfb::ErrorText(r));
    }
    std::ofstream fileOut;
    std::ostream* sink = &out;
    if (target != "-") {
        fileOut.open(target, std::ios::binary | std::ios::trunc);
        if (!fileOut) {
            return Fail(err, target, "cannot be created");
        }
        sink = &fileOut;
    }
    std::vector<char> buffer(1 << 20);
    for (;;) {
        std::uint32_t got = 0;
        if (int r = stream->Read(buffer.data(), static_cast<std::uint32_t>(buffer.size()), &got);
            r != cfb::kOk) {
            return Fail(err, file + ": " + path, cfb::ErrorText(r));
        }
        if (got == 0) {
            break;
        }
        sink->write(buffer.data(), got);
    }
    sink->flush();
    if (!*sink) {
        return Fail(err, target == "-" ? "standard output" : target, "write failed");
    }
    return 0;
}

} // namespace wz::assets
