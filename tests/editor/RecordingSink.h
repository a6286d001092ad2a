#pragma once

// Stands in for the user: records every message box the editor asks for.

#include "AssetUpdate.h"
#include "MessageBox.h"

#include <vector>

namespace wztest {

struct RecordingSink : wz::MessageBoxSink {
    std::vector<wz::MessageBoxRequest> shown;
    void ShowMessage(const wz::MessageBoxRequest& request) override { shown.push_back(request); }
};

// Counts the tree rebuilds the model asks for.
struct CountingHost : wz::TreeHost {
    int rebuilds = 0;
    void RebuildTree() override { ++rebuilds; }
};

} // namespace wztest
