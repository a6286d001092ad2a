#include "AssetFixture.h"

#include "CompoundStorage.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace wztest {

namespace fs = std::filesystem;

namespace {

std::u16string Wide(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

std::vector<std::string> StreamNames(const std::string& storage) {
    std::vector<std::string> names;
    for (int i = 1; i <= 20; ++i) {
        names.push_back("Love" + std::to_string(i));
    }
    names.push_back("Win");
    if (storage == "Images") {
        names.push_back("Jacket");
    }
    names.push_back("Titles");
    return names;
}

} // namespace

Bytes Pattern(std::size_t size, std::uint32_t seed) {
    Bytes bytes(size);
    std::uint32_t x = seed * 2654435761u + 12345u;
    for (auto& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(x >> 16);
    }
    return bytes;
}

AssetContent DefaultContent(std::size_t streamSize) {
    AssetContent content;
    std::uint32_t seed = 1;
    // With no size given, streams take turns below, at and above the mini-stream cutoff.
    const auto size = [&] {
        return streamSize != 0 ? streamSize : std::size_t{300 + (seed % 3) * 4400};
    };
    for (const std::string storage : {"Images", "Music"}) {
        for (const std::string& name : StreamNames(storage)) {
            content[storage + "/" + name] = Pattern(size(), seed);
            ++seed;
        }
    }
    content["Sound/Knock"] = Pattern(size(), seed);
    return content;
}

bool WriteAssetFile(const fs::path& file, const AssetContent& content) {
    // gsf builds the file from a folder tree of the same shape; our engine never creates
    // storages, as neither program does.
    const fs::path tree = fs::path(file.string() + ".tree");
    std::error_code ec;
    fs::remove_all(tree, ec);
    for (const auto& [path, bytes] : content) {
        fs::create_directories((tree / path).parent_path());
        WriteFile(tree / path, bytes);
    }
    fs::remove(file, ec);
    const CommandResult r = RunShell("cd '" + tree.string() + "' && gsf createole '" +
                                     fs::absolute(file).string() + "' Images Sound Music");
    fs::remove_all(tree, ec);
    return r.status == 0 && fs::exists(file);
}

AssetContent ReadAssetFile(const fs::path& file) {
    AssetContent content;
    wz::CompoundStorage storage;
    if (!storage.Open(file, true, false)) {
        return {};
    }
    for (const std::string dir : {"Images", "Sound", "Music"}) {
        if (!storage.OpenStorage(Wide(dir), true)) {
            return {};
        }
        const std::vector<std::string> names =
            dir == "Sound" ? std::vector<std::string>{"Knock"} : StreamNames(dir);
        for (const std::string& name : names) {
            std::vector<std::uint8_t> bytes;
            if (!storage.ReadWholeStream(Wide(name), bytes)) {
                return {};
            }
            content[dir + "/" + name] = std::move(bytes);
        }
    }
    return content;
}

void WriteFile(const fs::path& file, const Bytes& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

Bytes ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

CommandResult RunShell(const std::string& command) {
    CommandResult result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        result.output.append(buffer.data(), n);
    }
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string CheckWithOlefile(const fs::path& file, int* freeSectors) {
    const std::string script =
        "import olefile as o, sys\n"
        "f = o.OleFileIO(sys.argv[1], raise_defects=o.DEFECT_INCORRECT)\n"
        "f.listdir(streams=True, storages=True)\n"
        "print('free', sum(1 for i in range(f.nb_sect) if f.fat[i] == o.FREESECT))\n";
    const CommandResult r =
        RunShell("/usr/bin/python3 -c \"" + script + "\" '" + file.string() + "'");
    if (r.status != 0) {
        return r.output.empty() ? "olefile failed" : r.output;
    }
    if (freeSectors != nullptr) {
        *freeSectors = std::atoi(r.output.substr(r.output.rfind("free ") + 5).c_str());
    }
    return {};
}

} // namespace wztest
