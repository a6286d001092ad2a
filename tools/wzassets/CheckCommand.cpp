// wzassets check [--strict] FILE: the structure first (every header field, chain, size and
// tree), then, when that is sound, the content checks. Errors fail the check; notes (what
// every reader takes but a careful writer would not leave) are printed and fail it only with
// --strict. A file that passes gets one summary line.

#include "CfbCheck.h"
#include "CfbErrors.h"
#include "WzAssets.h"

#include <optional>
#include <ostream>

namespace wz::assets {

namespace {

std::string Count(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

int CheckWith(const std::vector<std::string>& args, const std::vector<ContentCheck>& checks,
              std::ostream& out, std::ostream& err) {
    bool strict = false;
    std::optional<std::string> target;
    for (const std::string& arg : args) {
        if (arg == "--strict" && !strict) {
            strict = true;
        } else if (!arg.empty() && arg[0] != '-' && !target) {
            target = arg;
        } else {
            return UsageError(err, "check");
        }
    }
    if (!target) {
        return UsageError(err, "check");
    }
    const std::string& file = *target;
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
    for (const std::string& line : report.notes) {
        out << "note: " << line << "\n";
    }
    if (!problems.empty() || (strict && !report.notes.empty())) {
        return 1;
    }
    out << file << ": OK, " << Count(report.streams, "stream", "streams") << " in "
        << Count(report.storages, "storage", "storages");
    if (!report.notes.empty()) {
        out << ", " << Count(report.notes.size(), "note", "notes");
    }
    out << "\n";
    return 0;
}

int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return CheckWith(args, ContentChecks(), out, err);
}

} // namespace wz::assets
