// Writes the desktop icons of the game and the editor as PNG files, one per size, for the
// hicolor icon theme:
//   wz_icon_maker EDITOR_ICON OUT_DIR SIZE...
// makes OUT_DIR/SIZE/winzolvik.png from the icon the game draws for its own window, and
// OUT_DIR/SIZE/wzolvikcreator.png from the editor's frame icon (a PNG file).

#include "GameArt.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <cstdio>

namespace {

// The editor's icon is pixel art: whole multiples keep its pixels square and sharp, other
// sizes are smoothed.
QImage ScaleEditorIcon(const QImage& icon, int size) {
    const bool wholeMultiple = size >= icon.width() && size % icon.width() == 0;
    return icon.scaled(size, size, Qt::IgnoreAspectRatio,
                       wholeMultiple ? Qt::FastTransformation : Qt::SmoothTransformation);
}

bool Write(const QImage& image, const QString& path) {
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "wz_icon_maker: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication application(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "Usage: wz_icon_maker EDITOR_ICON OUT_DIR SIZE...\n");
        return 2;
    }
    const QImage editorIcon(QString::fromLocal8Bit(argv[1]));
    if (editorIcon.isNull() || editorIcon.width() != editorIcon.height()) {
        std::fprintf(stderr, "wz_icon_maker: %s is no square picture\n", argv[1]);
        return 1;
    }
    const QString outDir = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || size < 8 || size > 1024) {
            std::fprintf(stderr, "wz_icon_maker: bad size %s\n", argv[i]);
            return 2;
        }
        const QString folder = outDir + '/' + QString::number(size);
        if (!QDir().mkpath(folder)) {
            std::fprintf(stderr, "wz_icon_maker: cannot make %s\n", qPrintable(folder));
            return 1;
        }
        // PNG files with no time stamp or other varying text, so that every build writes
        // the same bytes.
        if (!Write(wz::GameIconImage(size).convertToFormat(QImage::Format_ARGB32),
                   folder + "/winzolvik.png") ||
            !Write(ScaleEditorIcon(editorIcon, size).convertToFormat(QImage::Format_ARGB32),
                   folder + "/wzolvikcreator.png")) {
            return 1;
        }
    }
    return 0;
}
