#include "CheckedStreams.h"

#include "CfbErrors.h"
#include "OutputFile.h"
#include "WzAssets.h"

#include <fstream>
#include <system_error>
#include <vector>

namespace wz::assets {

int OpenStreamAt(cfb::Storage& root, std::string_view path, std::shared_ptr<cfb::Stream>& stream) {
    constexpr std::uint32_t kReadOnly = cfb::kModeRead | cfb::kShareExclusive;
    std::vector<std::u16string> parts;
    for (std::size_t at = 0; at <= path.size();) {
        const std::size_t slash = std::min(path.find('/', at), path.size());
        parts.push_back(cfb::NameFromUtf8(path.substr(at, slash - at)));
        at = slash + 1;
    }
    std::shared_ptr<cfb::Storage> storage;
    cfb::Storage* current = &root;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        std::shared_ptr<cfb::Storage> next;
        if (int r = current->OpenStorage(parts[i], kReadOnly, next); r != cfb::kOk) {
            return r;
        }
        storage = std::move(next);
        current = storage.get();
    }
    return current->OpenStream(parts.back(), kReadOnly, stream);
}

std::string ChainFault(const cfb::CheckReport& report, const std::string& path) {
    if (report.streamChains.empty()) {
        return "the file is damaged: " + (report.problems.empty()
                                              ? std::string("its streams cannot be checked")
                                              : report.problems.front());
    }
    const auto it = report.streamChains.find(path);
    if (it == report.streamChains.end()) {
        return "damaged: the check does not reach this stream from the root";
    }
    return it->second.empty() ? std::string() : "damaged: " + it->second;
}

int CopyStream(cfb::Stream& stream, std::ostream& sink) {
    std::vector<char> buffer(1 << 20);
    for (;;) {
        std::uint32_t got = 0;
        if (int r = stream.Read(buffer.data(), static_cast<std::uint32_t>(buffer.size()), &got);
            r != cfb::kOk) {
            return r;
        }
        if (got == 0) {
            return cfb::kOk;
        }
        sink.write(buffer.data(), got);
        if (!sink) {
            return cfb::kOk;
        }
    }
}

bool WriteStreamFile(cfb::Stream& stream, const std::string& source,
                     const std::filesystem::path& target, std::string& what, std::string& why) {
    // An interrupted command takes its temporary file along; the target stays as it was.
    OutputFile output(target, {std::nullopt, true});
    std::ofstream file;
    if (!output.Open()) {
        file.open(output.path(), std::ios::binary | std::ios::trunc);
    }
    if (!file.is_open()) {
        what = target.string();
        why = "cannot be created";
        return false;
    }
    if (int r = CopyStream(stream, file); r != cfb::kOk) {
        what = source;
        why = cfb::ErrorText(r);
        return false;
    }
    file.close();
    if (!file) {
        what = target.string();
        why = "write failed";
        return false;
    }
    if (const std::error_code ec = output.Commit()) {
        what = target.string();
        why = "cannot be replaced: " + ec.message();
        return false;
    }
    return true;
}

} // namespace wz::assets
