#pragma once

// Stands in for the user: records every message box the editor asks for.

#include "AssetUpdate.h"
#include "MessageBox.h"

#include <vector>

namespace wztest {

// Questions are recorded apart from the messages and answered from answers in turn, then Yes:
// most tests save files that are test patterns rather than media, and save them anyway.
struct RecordingSink : wz::MessageBoxSink {
    std::vector<wz::MessageBoxRequest> shown;
    std::vector<wz::MessageBoxRequest> asked;
    std::vector<wz::MessageAnswer> answers;
    void ShowMessage(const wz::MessageBoxRequest& request) override { shown.push_back(request); }
    wz::MessageAnswer Ask(const wz::MessageBoxRequest& request) override {
        asked.push_back(request);
        return asked.size() <= answers.size() ? answers[asked.size() - 1] : wz::MessageAnswer::Yes;
    }
};

// Counts the tree rebuilds the model asks for.
struct CountingHost : wz::TreeHost {
    int rebuilds = 0;
    void RebuildTree() override { ++rebuilds; }
};

} // namespace wztest
