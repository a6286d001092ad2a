// wzassets check FILE: the structure first (every header field, chain, size and tree), then,
// when that is sound, the content checks.

#include "CfbCheck.h"
#include "CfbErrors.h"
#include "WzAssets.h"

#include <ostream>

namespace wz::assets {

int CheckWith(const std::vector<std::string>& args, const std::vector<ContentCheck>& checks,
              std::ostream& out, std::ostream& err) {
    if (args.size() != 1) {
        return UsageError(err, "check");
    }
    const std::string& file = args[0];
    cfb::CheckReport report;
    if (int r = cfb::CheckFile(file, report); r != cfb::kOk) {
        return Fail(err, file, cfb::ErrorText(r));
    }
    std::vector<std::string> problems = std::move(report.problems);
    if (problems.empty()) {
        for (const ContentCheck& check : checks) {
            check(file, problems);
        }
    }
    for (const std::string& line : problems) {
        out << line << "\n";
    }
    return problems.empty() ? 0 : 1;
}

int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return CheckWith(args, ContentChecks(), out, err);
}

} // namespace wz::assets
