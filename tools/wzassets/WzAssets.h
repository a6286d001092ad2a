#pragma once

// The wzassets tool: one entry point that dispatches to a command by its first argument.
// Each command lives in a file of its own and is listed once in the table of WzAssets.cpp.

#include "ElementNames.h"

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace wz::assets {

// Arguments after the command name; returns the process exit code.
using CommandFunction = int (*)(const std::vector<std::string>& args, std::ostream& out,
                                std::ostream& err);

struct Command {
    std::string_view name;
    std::string_view usage;   // "list FILE"
    std::string_view summary; // one line for --help
    CommandFunction run;
};

// Runs the tool: args are the command line without the program name.
int RunWzAssets(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

int RunList(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunExtract(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunBuild(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunUnpack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunFit(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// A check of what an asset file holds, run by `check` once the structure is sound. It appends
// one line per problem it finds.
using ContentCheck =
    std::function<void(const std::filesystem::path& file, std::vector<std::string>& problems)>;
// The content checks `check` runs, in order (ContentChecks.cpp).
std::vector<ContentCheck> ContentChecks();
// The structural check followed by the given content checks: prints each error on a line,
// then each note ("note: ..."), then, when the file passes, one summary line.
int CheckWith(const std::vector<std::string>& args, const std::vector<ContentCheck>& checks,
              std::ostream& out, std::ostream& err);

// Helpers the commands share.
// Prints "wzassets: <what>: <reason>" on err and returns 1.
int Fail(std::ostream& err, const std::string& what, const std::string& reason);
// A usage error: prints the command's usage line on err and returns 2.
int UsageError(std::ostream& err, std::string_view command);

} // namespace wz::assets
