#include "BuildCommand.h"

#include "CfbErrors.h"
#include "CfbStorage.h"
#include "DefaultContent.h"
#include "FitCommand.h"
#include "OutputFile.h"
#include "WholeFile.h"
#include "WzAssets.h"

#include <algorithm>
#include <map>
#include <memory>
#include <ostream>
#include <system_error>
#include <thread>

namespace wz::assets {

namespace {

namespace fs = std::filesystem;

bool ReadFile(const fs::path& path, std::vector<std::uint8_t>& bytes, std::string& error) {
    const WholeFileRead read = ReadWholeFile(path, kMaxSourceBytes, bytes);
    if (read.fault == WholeFileFault::TooLarge) {
        error = "cannot use " + path.string() + ": larger than " +
                std::to_string(kMaxSourceBytes >> 20) + " MiB";
    } else if (!read) {
        error = "cannot read " + path.string() + ": " + read.Reason();
    }
    return static_cast<bool>(read);
}

// The files of DIR/<storage> by the name before their extension. Two files for one element
// (Love3.jpg and Love3.jpeg) would make the choice a guess, so that is an error.
bool FindSources(const fs::path& from,
                 std::map<std::pair<std::u16string, std::u16string>, fs::path>& found,
                 std::vector<fs::path>& ignored, std::string& error) {
    std::error_code ec;
    if (!fs::is_directory(from, ec)) {
        error = "cannot read " + from.string() + ": not a folder";
        return false;
    }
    std::map<std::pair<std::u16string, std::u16string>, bool> known;
    for (const auto& e : content::AssetElements()) {
        known[{std::u16string(e.storage), std::u16string(e.name)}] = true;
    }
    for (const auto& storage : {u"Images", u"Sound", u"Music"}) {
        const fs::path folder = from / cfb::NameToUtf8(storage);
        if (!fs::is_directory(folder, ec)) {
            continue;
        }
        std::vector<fs::path> files;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            files.push_back(it->path());
        }
        if (ec) {
            error = "cannot read " + folder.string() + ": " + ec.message();
            return false;
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            const auto key =
                std::pair{std::u16string(storage), cfb::NameFromUtf8(file.stem().string())};
            if (!file.has_extension() || !known.count(key)) {
                ignored.push_back(file);
                continue;
            }
            auto [it, inserted] = found.emplace(key, file);
            if (!inserted) {
                error = "two files for " + cfb::NameToUtf8(storage) + "/" +
                        cfb::NameToUtf8(key.second) + ": " + it->second.string() + " and " +
                        file.string();
                return false;
            }
        }
    }
    return true;
}

// Generates the given elements on every core; each element depends on its name alone, so the
// result is the same whatever the order.
void Generate(std::vector<BuiltElement>& elements, const std::vector<std::size_t>& wanted) {
    const unsigned workers = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
    std::vector<std::thread> threads;
    for (unsigned w = 0; w < workers; ++w) {
        threads.emplace_back([&, w] {
            for (std::size_t i = w; i < wanted.size(); i += workers) {
                BuiltElement& e = elements[wanted[i]];
                e.bytes = content::MakeDefaultElement({e.storage, e.name});
            }
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
}

std::string Describe(int code) {
    return cfb::ErrorText(code);
}

bool WriteTree(const fs::path& path, const std::vector<BuiltElement>& elements,
               std::string& error) {
    constexpr std::uint32_t kWrite = cfb::kModeReadWrite | cfb::kShareExclusive;
    std::shared_ptr<cfb::Storage> root;
    int rc = cfb::OpenCompoundFile(path, cfb::kModeCreate | kWrite, root);
    if (rc != cfb::kOk) {
        error = "cannot create " + path.string() + ": " + Describe(rc);
        return false;
    }
    std::shared_ptr<cfb::Storage> storage;
    std::u16string current;
    for (const BuiltElement& e : elements) {
        if (!storage || e.storage != current) {
            storage.reset();
            rc = root->CreateStorage(e.storage, kWrite, storage);
            if (rc != cfb::kOk) {
                error =
                    "cannot create the storage " + cfb::NameToUtf8(e.storage) + ": " + Describe(rc);
                return false;
            }
            current = e.storage;
        }
        std::shared_ptr<cfb::Stream> stream;
        rc = storage->CreateStream(e.name, kWrite, stream);
        if (rc == cfb::kOk) {
            std::uint32_t written = 0;
            rc =
                stream->Write(e.bytes.data(), static_cast<std::uint32_t>(e.bytes.size()), &written);
            if (rc == cfb::kOk && written != e.bytes.size()) {
                rc = cfb::kErrIo;
            }
        }
        if (rc != cfb::kOk) {
            error = "cannot write " + cfb::NameToUtf8(e.storage) + "/" + cfb::NameToUtf8(e.name) +
                    ": " + Describe(rc);
            return false;
        }
    }
    return true;
}

// The source file in from that is the file output, if any: the build would put itself in its
// place. A folder that cannot be read has none here; CollectElements says why it fails.
std::optional<fs::path> SourceThatIs(const fs::path& from, const fs::path& output) {
    std::map<std::pair<std::u16string, std::u16string>, fs::path> found;
    std::vector<fs::path> ignored;
    std::string error;
    FindSources(from, found, ignored, error);
    for (const auto& [element, source] : found) {
        if (IsSameFile(source, output)) {
            return source;
        }
    }
    return std::nullopt;
}

} // namespace

bool CollectElements(const std::optional<fs::path>& from, std::vector<BuiltElement>& elements,
                     std::vector<fs::path>& ignored, std::string& error) {
    std::map<std::pair<std::u16string, std::u16string>, fs::path> found;
    if (from && !FindSources(*from, found, ignored, error)) {
        return false;
    }
    elements.clear();
    std::vector<std::size_t> generated;
    for (const auto& e : content::AssetElements()) {
        BuiltElement built{std::u16string(e.storage), std::u16string(e.name), {}, {}};
        auto it = found.find({built.storage, built.name});
        if (it != found.end()) {
            built.source = it->second;
            if (!ReadFile(built.source, built.bytes, error)) {
                return false;
            }
        } else {
            generated.push_back(elements.size());
        }
        elements.push_back(std::move(built));
    }
    Generate(elements, generated);
    for (std::size_t i : generated) {
        if (elements[i].bytes.empty()) {
            error = "cannot generate " + cfb::NameToUtf8(elements[i].storage) + "/" +
                    cfb::NameToUtf8(elements[i].name);
            return false;
        }
    }
    return true;
}

bool WriteAssetFile(const fs::path& out, const std::vector<BuiltElement>& elements,
                    std::string& error) {
    // A build stopped from the terminal or by the session ending takes its scratch file along.
    OutputFile output(out, {std::nullopt, true});
    if (const std::error_code ec = output.Open()) {
        const fs::path folder = out.has_parent_path() ? out.parent_path() : fs::path(".");
        error = "cannot write in " + folder.string() + ": " + ec.message();
        return false;
    }
    if (!WriteTree(output.path(), elements, error)) {
        return false;
    }
    if (const std::error_code ec = output.Commit()) {
        error = "cannot replace " + out.string() + ": " + ec.message();
        return false;
    }
    return true;
}

int RunBuild(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::optional<fs::path> target;
    std::optional<fs::path> from;
    bool quiet = false;
    bool fit = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--from" && i + 1 < args.size() && !from) {
            from = args[++i];
        } else if (args[i] == "--fit") {
            fit = true;
        } else if (args[i] == "--quiet") {
            quiet = true;
        } else if (!args[i].empty() && args[i][0] != '-' && !target) {
            target = args[i];
        } else {
            return UsageError(err, "build");
        }
    }
    if (!target || (fit && !from)) {
        return UsageError(err, "build");
    }
    std::vector<BuiltElement> elements;
    std::vector<fs::path> ignored;
    std::string error;
    if (from) {
        if (const std::optional<fs::path> source = SourceThatIs(*from, *target)) {
            err << "wzassets: " << SameFileText(*source, *target) << "\n";
            return 1;
        }
    }
    if (!CollectElements(from, elements, ignored, error) ||
        (fit && !FitBackgrounds(elements, out, error))) {
        return Fail(err, target->string(), error + "; nothing written");
    }
    if (from && !fit) {
        NoteUnfitBackgrounds(elements, err);
    }
    for (const fs::path& file : ignored) {
        err << "wzassets: ignored " << file.string()
            << ": its name is not an element of the asset file\n";
    }
    if (!WriteAssetFile(*target, elements, error)) {
        return Fail(err, target->string(), error);
    }
    std::size_t total = 0;
    std::size_t taken = 0;
    for (const BuiltElement& e : elements) {
        if (!quiet) {
            out << cfb::NameToUtf8(e.storage) << "/" << cfb::NameToUtf8(e.name) << "\t"
                << e.bytes.size() << "\t"
                << (e.source.empty() ? std::string("generated") : e.source.string()) << "\n";
        }
        total += e.bytes.size();
        taken += e.source.empty() ? 0 : 1;
    }
    out << "wrote " << target->string() << ": " << elements.size() << " streams, " << total
        << " bytes of content, " << taken << " from files and " << elements.size() - taken
        << " generated\n";
    return 0;
}

} // namespace wz::assets
