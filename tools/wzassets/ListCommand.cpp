// wzassets list FILE: every element, one line each, sorted by path.

#include "CfbStorage.h"
#include "WzAssets.h"

#include <algorithm>
#include <ostream>

namespace wz::assets {

int RunList(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) {
        return UsageError(err, "list");
    }
    const std::string& file = args[0];
    std::shared_ptr<cfb::Storage> root;
    if (int r = cfb::OpenCompoundFile(file, cfb::kModeRead | cfb::kShareDenyWrite, root);
        r != cfb::kOk) {
        return Fail(err, file, cfb::ErrorText(r));
    }
    struct Pending {
        std::shared_ptr<cfb::Storage> storage;
        std::string prefix;
    };
    std::vector<Pending> work = {{root, ""}};
    std::vector<std::string> lines;
    while (!work.empty()) {
        Pending p = std::move(work.back());
        work.pop_back();
        std::vector<cfb::ElementInfo> children;
        if (int r = p.storage->List(children); r != cfb::kOk) {
            return Fail(err, file, cfb::ErrorText(r));
        }
        for (const cfb::ElementInfo& child : children) {
            const std::string path = p.prefix + cfb::NameToUtf8(child.name);
            if (!child.isStorage) {
                lines.push_back(path + "\t" + std::to_string(child.size));
                continue;
            }
            lines.push_back(path + "/");
            std::shared_ptr<cfb::Storage> sub;
            const int r =
                p.storage->OpenStorage(child.name, cfb::kModeRead | cfb::kShareExclusive, sub);
            if (r != cfb::kOk) {
                return Fail(err, file + ": " + path, cfb::ErrorText(r));
            }
            work.push_back({std::move(sub), path + "/"});
        }
    }
    std::sort(lines.begin(), lines.end());
    for (const std::string& line : lines) {
        out << line << "\n";
    }
    return out.good() ? 0 : Fail(err, "standard output", "write failed");
}

} // namespace wz::assets
