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

#include <memory>

namespace wztest {

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
