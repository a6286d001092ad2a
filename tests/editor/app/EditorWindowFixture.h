#pragma once

// The whole editor started on a fresh asset file in a temporary current folder, its messages
// recorded instead of shown.

#include "AssetFixture.h"
#include "CMainFrame.h"
#include "CWZolvikCreatorApp.h"
#include "CWZolvikCreatorDoc.h"
#include "CWZolvikCreatorView.h"
#include "RecordingSink.h"

#include <QApplication>
#include <QTreeWidgetItem>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace wztest {

// Waits for a file that a started process writes; the test never measures the time.
inline bool WaitForFile(const std::filesystem::path& file) {
    for (int i = 0; i < 200 && !std::filesystem::exists(file); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return std::filesystem::exists(file);
}

// A shell script that stands in for a program the editor starts.
inline void WriteScript(const std::filesystem::path& file, const std::string& body) {
    const std::string text = "#!/bin/sh\n" + body + "\n";
    WriteFile(file, Bytes(text.begin(), text.end()));
    std::filesystem::permissions(file, std::filesystem::perms::owner_all);
}

class EditorWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteAssetFile(folder / "WinData.stg", DefaultContent()));
        oldFolder_ = std::filesystem::current_path();
        std::filesystem::current_path(folder.path());
    }
    void TearDown() override {
        app.reset();
        std::filesystem::current_path(oldFolder_);
    }

    // Starts the editor as its program does; true when start-up went through.
    bool Start() {
        app = std::make_unique<CWZolvikCreatorApp>(&sink);
        const bool started = app->InitInstance({QStringLiteral("WZolvikCreator")});
        if (started) {
            frame = app->frame();
            document = app->document();
            view = app->view();
            QApplication::setActiveWindow(frame);
            QApplication::processEvents();
        }
        return started;
    }

    QTreeWidgetItem* Root() const { return view->topLevelItem(0); }
    QTreeWidgetItem* Slot(int index) const { return Root()->child(index); }
    QString SlotText(int index) const { return Slot(index)->text(0); }

    TempFolder folder;
    RecordingSink sink;
    std::unique_ptr<CWZolvikCreatorApp> app;
    CMainFrame* frame = nullptr;
    CWZolvikCreatorDoc* document = nullptr;
    CWZolvikCreatorView* view = nullptr;

private:
    std::filesystem::path oldFolder_;
};

} // namespace wztest
