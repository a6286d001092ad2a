// Takes the user guide's pictures of fitting: the editor started in FOLDER (which holds
// WinData.stg) with three pictures of other sizes and kinds dropped on slots 2 to 4, then
//   FRAME.png  the main window with the preview pane framing the landscape photo on slot 3;
//   ALL.png    the main window after Fit All Pictures.
//   editor_fit_shot FOLDER FRAME.png ALL.png
// Runs on the platform the environment names, as editor_warning_shot does.

#include "CMainFrame.h"
#include "CWZolvikCreatorApp.h"
#include "CWZolvikCreatorDoc.h"
#include "CWZolvikCreatorView.h"
#include "Canvas.h"
#include "EditorCommands.h"
#include "JpegWriter.h"
#include "MediaFiles.h"
#include "PreviewDock.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QThread>
#include <QTreeWidgetItem>

#include <cmath>
#include <cstdio>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

struct PrintingSink : wz::MessageBoxSink {
    void ShowMessage(const wz::MessageBoxRequest& request) override {
        std::fprintf(stderr, "%s\n", request.text.c_str());
    }
};

// A landscape photo of sorts: sky, hills and a balloon right of the middle, where the crop
// frame should find it.
wz::content::Canvas Landscape(int width, int height) {
    wz::content::Canvas canvas(width, height);
    const double cx = width * 0.7;
    const double cy = height * 0.36;
    const double r = height * 0.15;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double t = double(y) / height;
            wz::content::Rgb c{static_cast<std::uint8_t>(90 + 110 * t),
                               static_cast<std::uint8_t>(150 + 75 * t), 235};
            const double hill = height * (0.68 + 0.06 * std::sin(x * 6.0 / width));
            if (y > hill) {
                c = {static_cast<std::uint8_t>(50 + (x * 13 % 20)),
                     static_cast<std::uint8_t>(120 + 40 * (1 - t)), 50};
            }
            const double dx = x - cx;
            const double dy = y - cy;
            if (dx * dx + dy * dy < r * r) {
                const bool stripe = static_cast<int>((dx + r) / (r / 3)) % 2 == 0;
                c = stripe ? wz::content::Rgb{230, 60, 40} : wz::content::Rgb{250, 200, 40};
            } else if (std::abs(dx) < r * 0.18 && dy > r * 1.25 && dy < r * 1.55) {
                c = {110, 70, 30}; // the basket
            }
            canvas.Set(x, y, c);
        }
    }
    return canvas;
}

void Settle() {
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(50);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: editor_fit_shot FOLDER FRAME.png ALL.png\n");
        return 2;
    }
    QApplication application(argc, argv);
    const fs::path folder = fs::absolute(argv[1]);
    const QString frameOut = QFile::decodeName(fs::absolute(argv[2]).c_str());
    const QString allOut = QFile::decodeName(fs::absolute(argv[3]).c_str());
    fs::current_path(folder);
    const fs::path pictures = folder / "Pictures";
    fs::create_directories(pictures);
    wztest::WriteFile(pictures / "holiday.jpg", wztest::JpegPicture(640, 480));
    wztest::WriteFile(
        pictures / "balloon.jpg",
        wz::content::EncodeJpeg(Landscape(1600, 1000), 92, wz::content::ChromaSampling::Halved));
    const wz::content::Canvas shot = Landscape(900, 700);
    QImage(shot.Data(), shot.Width(), shot.Height(), shot.Width() * 3, QImage::Format_RGB888)
        .save(QFile::decodeName((pictures / "screenshot.png").c_str()));

    PrintingSink messages;
    CWZolvikCreatorApp app(&messages);
    if (!app.InitInstance({QStringLiteral("WZolvikCreator")})) {
        return 1;
    }
    app.preview()->SetPreviewShown(true);
    app.document()->DropFiles(1, {(pictures / "holiday.jpg").string(),
                                  (pictures / "balloon.jpg").string(),
                                  (pictures / "screenshot.png").string()});
    CWZolvikCreatorView* view = app.view();
    app.document()->SelectSlot(2);
    view->setCurrentItem(view->topLevelItem(0)->child(2));
    Settle();
    app.frame()->action(wz::ID_FILE_FIT)->trigger();
    Settle();
    if (!app.preview()->fitting() || !app.frame()->grab().save(frameOut)) {
        return 1;
    }
    app.preview()->CancelFit();
    app.frame()->action(wz::ID_FILE_FIT_ALL)->trigger();
    Settle();
    return app.frame()->grab().save(allOut) ? 0 : 1;
}
