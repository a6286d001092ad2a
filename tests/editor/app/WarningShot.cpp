// Takes the user guide's picture of a warned slot: the editor started in FOLDER (which holds
// WinData.stg), a background dropped on slot 2 and a picture of the wrong size on slot 3, as a
// file manager drops them, then the main window captured into OUT.
//   editor_warning_shot FOLDER OUT.png
// Runs on the platform the environment names, so that scripts/screenshots.sh can take the
// picture on its virtual display with the same fonts as the others.

#include "CMainFrame.h"
#include "CWZolvikCreatorApp.h"
#include "CWZolvikCreatorDoc.h"
#include "CWZolvikCreatorView.h"
#include "MediaFiles.h"

#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QThread>
#include <QTreeWidgetItem>
#include <QUrl>

#include <cstdio>
#include <filesystem>

namespace {

// No box may wait for a user here: messages go to the error output.
struct PrintingSink : wz::MessageBoxSink {
    void ShowMessage(const wz::MessageBoxRequest& request) override {
        std::fprintf(stderr, "%s\n", request.text.c_str());
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: editor_warning_shot FOLDER OUT.png\n");
        return 2;
    }
    QApplication application(argc, argv);
    const std::filesystem::path folder = std::filesystem::absolute(argv[1]);
    const QString out = QFile::decodeName(std::filesystem::absolute(argv[2]).c_str());
    std::filesystem::current_path(folder);
    std::filesystem::create_directories(folder / "Pictures");
    wztest::WriteFile(folder / "Pictures" / "harbour.jpg", wztest::Background());
    wztest::WriteFile(folder / "Pictures" / "holiday-640x480.jpg", wztest::JpegPicture(640, 480));

    PrintingSink messages;
    CWZolvikCreatorApp app(&messages);
    if (!app.InitInstance({QStringLiteral("WZolvikCreator")})) {
        return 1;
    }
    CWZolvikCreatorView* view = app.view();
    // Slot 2 selected, as a click on it does.
    app.document()->SelectSlot(1);
    view->setCurrentItem(view->topLevelItem(0)->child(1));
    QMimeData data;
    data.setUrls(
        {QUrl::fromLocalFile(QFile::decodeName((folder / "Pictures" / "harbour.jpg").c_str())),
         QUrl::fromLocalFile(
             QFile::decodeName((folder / "Pictures" / "holiday-640x480.jpg").c_str()))});
    const QPoint at = view->viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drop);
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(50);
    }
    return app.frame()->grab().save(out) ? 0 : 1;
}
