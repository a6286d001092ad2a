#pragma once

// Runs the asset tool in process, as its main() does, and keeps what it said.

#include "WzAssets.h"

#include <sstream>
#include <string>
#include <vector>

namespace wztest {

struct ToolRun {
    int code;
    std::string out;
    std::string err;
};

inline ToolRun Tool(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = wz::assets::RunWzAssets(args, out, err);
    return {code, out.str(), err.str()};
}

} // namespace wztest
