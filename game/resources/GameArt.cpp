#include "GameArt.h"

#include <QFont>
#include <QIcon>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>

namespace wz {
namespace {

// The six cell colours of the game's pieces.
const QColor kCellColours[] = {QColor(0xE0, 0x3A, 0x3A), QColor(0x3A, 0x7B, 0xE0),
                               QColor(0x4C, 0xC2, 0x4C), QColor(0xE8, 0xC8, 0x30),
                               QColor(0x9A, 0x4C, 0xD8), QColor(0x30, 0xC8, 0xC8)};

// One block: a bevelled square, lighter at the top-left, darker at the bottom-right.
void DrawBlock(QPainter& painter, const QRectF& cell, const QColor& colour) {
    const qreal edge = std::max<qreal>(1.0, cell.width() / 6);
    painter.fillRect(cell, colour);
    painter.fillRect(QRectF(cell.left(), cell.top(), cell.width(), edge), colour.lighter(150));
    painter.fillRect(QRectF(cell.left(), cell.top(), edge, cell.height()), colour.lighter(130));
    painter.fillRect(QRectF(cell.left(), cell.bottom() - edge, cell.width(), edge),
                     colour.darker(160));
    painter.fillRect(QRectF(cell.right() - edge, cell.top(), edge, cell.height()),
                     colour.darker(140));
}

} // namespace

QImage GameIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    // A well four cells wide: two full rows at the bottom and a T piece coming down.
    const qreal cell = size / 4.0;
    QLinearGradient sky(0, 0, 0, size);
    sky.setColorAt(0, QColor(0x1A, 0x1F, 0x4A));
    sky.setColorAt(1, QColor(0x06, 0x08, 0x18));
    painter.fillRect(QRectF(0, 0, size, size), sky);
    const int rows[2][4] = {{2, 0, 5, 1}, {3, 4, 1, 2}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c)
            if (!(r == 0 && c == 1))
                DrawBlock(painter, QRectF(c * cell, (2 + r) * cell, cell, cell),
                          kCellColours[rows[r][c]]);
    for (int c = 0; c < 3; ++c)
        DrawBlock(painter, QRectF(c * cell, 0, cell, cell), kCellColours[4]);
    DrawBlock(painter, QRectF(cell, cell, cell, cell), kCellColours[4]);
    return image;
}

QIcon GameIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(QPixmap::fromImage(GameIconImage(size)));
    return icon;
}

QImage AboutPicture() {
    QImage image(kAboutPictureWidth, kAboutPictureHeight, QImage::Format_RGB888);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QRadialGradient glow(125, 80, 190);
    glow.setColorAt(0, QColor(0x3B, 0x2A, 0x7A));
    glow.setColorAt(1, QColor(0x08, 0x06, 0x1C));
    painter.fillRect(image.rect(), glow);

    // A heap of blocks along the bottom and a piece on its way down.
    const int cell = 18;
    for (int c = 0; c < 14; ++c) {
        const int height = 1 + (c * 7 + 3) % 4;
        for (int r = 0; r < height; ++r)
            DrawBlock(painter, QRectF(c * cell - 1, 224 - (r + 1) * cell, cell, cell),
                      kCellColours[(c + r * 2) % 6]);
    }
    for (const QPoint at : {QPoint(9, 4), QPoint(10, 4), QPoint(10, 5), QPoint(11, 5)})
        DrawBlock(painter, QRectF(at.x() * cell - 1, at.y() * cell - 10, cell, cell),
                  kCellColours[0]);

    QFont title(QStringLiteral("DejaVu Sans"), 26, QFont::Bold);
    painter.setFont(title);
    painter.setPen(QColor(0x10, 0x08, 0x30));
    painter.drawText(QRect(2, 22, 250, 44), Qt::AlignHCenter | Qt::AlignVCenter,
                     QStringLiteral("WinZolvik"));
    painter.setPen(QColor(0xFF, 0xC8, 0x40));
    painter.drawText(QRect(0, 20, 250, 44), Qt::AlignHCenter | Qt::AlignVCenter,
                     QStringLiteral("WinZolvik"));
    QFont line(QStringLiteral("DejaVu Sans"), 9);
    painter.setFont(line);
    painter.setPen(QColor(0xD8, 0xD8, 0xF0));
    painter.drawText(QRect(0, 64, 250, 20), Qt::AlignHCenter,
                     QStringLiteral("a falling-block puzzle"));
    painter.end();
    return image;
}

} // namespace wz
