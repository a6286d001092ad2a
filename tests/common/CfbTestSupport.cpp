#include "CfbTestSupport.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace cfbtest {

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint32_t seed) {
    std::vector<std::uint8_t> bytes(size);
    std::uint32_t x = seed * 2654435761u + 12345u;
    for (std::size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        bytes[i] = static_cast<std::uint8_t>(x >> 16);
    }
    return bytes;
}

std::vector<std::uint32_t> Layout::Chain(std::uint32_t start) const {
    std::vector<std::uint32_t> chain;
    for (std::uint32_t id = start; id < cfb::kMaxRegSect && chain.size() < 100000; id = Fat(id)) {
        chain.push_back(id);
    }
    return chain;
}

std::size_t Layout::EntryAt(std::uint32_t index) const {
    const auto chain = Chain(Get32(0x30));
    return SectorAt(chain.at(index / 4)) + 128 * (index % 4);
}

std::uint32_t Layout::Find(const std::u16string& name) const {
    for (std::uint32_t i = 0; i < Chain(Get32(0x30)).size() * 4; ++i) {
        const std::size_t at = EntryAt(i);
        std::u16string n;
        for (std::size_t k = 0; k < 31 && cfb::Load16(bytes.data() + at + 2 * k) != 0; ++k) {
            n.push_back(static_cast<char16_t>(cfb::Load16(bytes.data() + at + 2 * k)));
        }
        if (n == name && bytes[at + 0x42] != 0) {
            return i;
        }
    }
    return cfb::kNoStream;
}

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::u16string U16(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

std::string Narrow(const std::u16string& name) {
    std::string out;
    for (char16_t c : name) {
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    return out;
}

int BuildFile(const std::filesystem::path& path, const Tree& tree) {
    std::shared_ptr<cfb::Storage> root;
    if (int r = cfb::OpenCompoundFile(
            path, cfb::kModeCreate | cfb::kModeReadWrite | cfb::kShareExclusive, root);
        r != cfb::kOk) {
        return r;
    }
    const std::uint32_t rw = cfb::kModeReadWrite | cfb::kShareExclusive;
    for (const auto& [name, bytes] : tree) {
        const auto slash = name.find('/');
        std::shared_ptr<cfb::Storage> parent = root;
        std::string leaf = name;
        if (slash != std::string::npos) {
            const std::u16string storage = U16(name.substr(0, slash));
            leaf = name.substr(slash + 1);
            int r = root->OpenStorage(storage, rw, parent);
            if (r == cfb::kErrNotFound) {
                r = root->CreateStorage(storage, rw, parent);
            }
            if (r != cfb::kOk) {
                return r;
            }
        }
        std::shared_ptr<cfb::Stream> stream;
        if (int r = parent->CreateStream(U16(leaf), cfb::kModeCreate | rw, stream); r != cfb::kOk) {
            return r;
        }
        if (int r = stream->Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()), nullptr);
            r != cfb::kOk) {
            return r;
        }
    }
    return cfb::kOk;
}

int ReadTree(const std::filesystem::path& path, Tree& out) {
    out.clear();
    std::shared_ptr<cfb::Storage> root;
    if (int r = cfb::OpenCompoundFile(path, cfb::kModeRead | cfb::kShareDenyWrite, root);
        r != cfb::kOk) {
        return r;
    }
    const std::uint32_t ro = cfb::kModeRead | cfb::kShareExclusive;
    std::vector<cfb::ElementInfo> top;
    if (int r = root->List(top); r != cfb::kOk) {
        return r;
    }
    auto readStream = [&](cfb::Storage& parent, const std::u16string& name,
                          const std::string& key) {
        std::shared_ptr<cfb::Stream> stream;
        if (int r = parent.OpenStream(name, ro, stream); r != cfb::kOk) {
            return r;
        }
        std::uint64_t size = 0;
        stream->GetSize(size);
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
        std::uint32_t got = 0;
        if (int r = stream->Read(bytes.data(), static_cast<std::uint32_t>(size), &got);
            r != cfb::kOk) {
            return r;
        }
        if (got != size) {
            return cfb::kErrCorrupt;
        }
        out[key] = std::move(bytes);
        return cfb::kOk;
    };
    for (const cfb::ElementInfo& info : top) {
        if (!info.isStorage) {
            if (int r = readStream(*root, info.name, Narrow(info.name)); r != cfb::kOk) {
                return r;
            }
            continue;
        }
        std::shared_ptr<cfb::Storage> storage;
        if (int r = root->OpenStorage(info.name, ro, storage); r != cfb::kOk) {
            return r;
        }
        std::vector<cfb::ElementInfo> children;
        storage->List(children);
        for (const cfb::ElementInfo& child : children) {
            if (child.isStorage) {
                continue;
            }
            const std::string key = Narrow(info.name) + "/" + Narrow(child.name);
            if (int r = readStream(*storage, child.name, key); r != cfb::kOk) {
                return r;
            }
        }
    }
    return cfb::kOk;
}

} // namespace cfbtest
