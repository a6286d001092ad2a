// wzassets unpack FILE DIR: every element of the game's tree as the file `build --from DIR`
// takes it back from, so that unpack, edit and build make a round trip. Elements the game
// does not read are named and left out. Every chain is checked before anything is written.

#include "CfbStorage.h"
#include "CheckedStreams.h"
#include "DefaultContent.h"
#include "LevelNames.h"
#include "OutputFile.h"
#include "WzAssets.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <set>
#include <system_error>

namespace wz::assets {

namespace {

namespace fs = std::filesystem;

const char* ExtensionOf(std::u16string_view storage) {
    if (storage == kImagesStorage) {
        return ".jpg";
    }
    return storage == kSoundStorage ? ".wav" : ".mid";
}

// Where the element's file goes below DIR.
fs::path TargetOf(const fs::path& folder, const content::AssetElement& e) {
    return folder / cfb::NameToUtf8(e.storage) / (cfb::NameToUtf8(e.name) + ExtensionOf(e.storage));
}

// A name fit for a message: control characters (such as the 0x01 that some writers start the
// names of their own streams with) as \xNN.
std::string Shown(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
            out += hex;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// The elements of the file that are not in the game's tree, sorted: a storage left out is
// named once, with a slash, for everything under it.
int FindLeftOut(cfb::Storage& root, std::vector<std::string>& leftOut) {
    std::set<std::string> wanted;
    for (const content::AssetElement& e : content::AssetElements()) {
        wanted.insert(cfb::NameToUtf8(e.storage) + "/");
        wanted.insert(cfb::NameToUtf8(e.storage) + "/" + cfb::NameToUtf8(e.name));
    }
    std::vector<cfb::ElementInfo> top;
    if (int r = root.List(top); r != cfb::kOk) {
        return r;
    }
    for (const cfb::ElementInfo& element : top) {
        const std::string path = cfb::NameToUtf8(element.name) + (element.isStorage ? "/" : "");
        if (!wanted.count(path)) {
            leftOut.push_back(path);
            continue;
        }
        std::shared_ptr<cfb::Storage> storage;
        std::vector<cfb::ElementInfo> children;
        if (int r = root.OpenStorage(element.name, cfb::kModeRead | cfb::kShareExclusive, storage);
            r != cfb::kOk) {
            return r;
        }
        if (int r = storage->List(children); r != cfb::kOk) {
            return r;
        }
        for (const cfb::ElementInfo& child : children) {
            const std::string inner =
                path + cfb::NameToUtf8(child.name) + (child.isStorage ? "/" : "");
            if (!wanted.count(inner)) {
                leftOut.push_back(inner);
            }
        }
    }
    std::sort(leftOut.begin(), leftOut.end());
    return cfb::kOk;
}

} // namespace

int RunUnpack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 2 || args[0].empty() || args[0][0] == '-' || args[1].empty() ||
        args[1][0] == '-') {
        return UsageError(err, "unpack");
    }
    const std::string& file = args[0];
    const fs::path folder = args[1];
    std::shared_ptr<cfb::Storage> root;
    if (int r = cfb::OpenCompoundFile(file, cfb::kModeRead | cfb::kShareDenyWrite, root);
        r != cfb::kOk) {
        return Fail(err, file, cfb::ErrorText(r));
    }
    cfb::CheckReport report;
    if (int r = cfb::CheckFile(file, report); r != cfb::kOk) {
        return Fail(err, file, cfb::ErrorText(r));
    }
    // Every element is checked before the first file is written: a damaged file leaves DIR
    // as it was.
    std::vector<const content::AssetElement*> present;
    std::vector<std::string> missing;
    for (const content::AssetElement& e : content::AssetElements()) {
        const std::string path = cfb::NameToUtf8(e.storage) + "/" + cfb::NameToUtf8(e.name);
        std::shared_ptr<cfb::Stream> stream;
        const int r = OpenStreamAt(*root, path, stream);
        if (r == cfb::kErrNotFound) {
            missing.push_back(path);
            continue;
        }
        // The check's verdict before the open's: it says how a chain is damaged, where the
        // open that refuses such a stream only says that it is.
        if (std::string fault = ChainFault(report, path); !fault.empty()) {
            return Fail(err, file + ": " + path, fault + "; nothing written");
        }
        if (r != cfb::kOk) {
            return Fail(err, file + ": " + path,
                        cfb::ErrorText(r) + std::string("; nothing written"));
        }
        // Written over, the asset file would be lost halfway through its own unpacking.
        if (const fs::path target = TargetOf(folder, e); IsSameFile(file, target)) {
            err << "wzassets: " << SameFileText(file, target) << "; nothing written\n";
            return 1;
        }
        present.push_back(&e);
    }
    std::vector<std::string> leftOut;
    if (int r = FindLeftOut(*root, leftOut); r != cfb::kOk) {
        return Fail(err, file, cfb::ErrorText(r));
    }
    std::uintmax_t total = 0;
    for (const content::AssetElement* e : present) {
        const fs::path sub = folder / cfb::NameToUtf8(e->storage);
        std::error_code ec;
        fs::create_directories(sub, ec);
        if (ec) {
            return Fail(err, sub.string(), "cannot be created: " + ec.message());
        }
        const std::string path = cfb::NameToUtf8(e->storage) + "/" + cfb::NameToUtf8(e->name);
        const fs::path target = TargetOf(folder, *e);
        std::shared_ptr<cfb::Stream> stream;
        std::string what;
        std::string why;
        if (int r = OpenStreamAt(*root, path, stream); r != cfb::kOk) {
            return Fail(err, file + ": " + path, cfb::ErrorText(r));
        }
        if (!WriteStreamFile(*stream, file + ": " + path, target, what, why)) {
            return Fail(err, what, why);
        }
        total += fs::file_size(target, ec);
    }
    for (const std::string& path : leftOut) {
        err << "wzassets: left out " << Shown(path) << ": not an element of the game's tree\n";
    }
    for (const std::string& path : missing) {
        err << "wzassets: " << file << ": " << path
            << ": missing; build --from generates the default\n";
    }
    out << "unpacked " << file << " into " << folder.string() << ": " << present.size()
        << " streams, " << total << " bytes; " << leftOut.size() << " left out, " << missing.size()
        << " missing\n";
    return missing.empty() ? 0 : 1;
}

} // namespace wz::assets
