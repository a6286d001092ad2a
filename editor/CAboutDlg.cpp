#include "CAboutDlg.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

namespace {

// The box is laid out in dialog units: a quarter of the average character width across and
// an eighth of the character height down.
QRect Units(const QFontMetrics& m, int x, int y, int w, int h) {
    const double ux = m.averageCharWidth() / 4.0;
    const double uy = m.height() / 8.0;
    return QRect(qRound(x * ux), qRound(y * uy), qRound(w * ux), qRound(h * uy));
}

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About WZolvikCreator"));
    QFont font = this->font();
    font.setPointSize(10);
    setFont(font);
    const QFontMetrics m(font);
    setFixedSize(Units(m, 0, 0, 217, 55).size());

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(QPixmap(QStringLiteral(":/editor/frame.png")));
    icon->setGeometry(QRect(Units(m, 11, 17, 0, 0).topLeft(), QSize(32, 32)));

    auto* name = new QLabel(QStringLiteral("WZolvikCreator Version 1.0"), this);
    name->setObjectName(QStringLiteral("version"));
    name->setGeometry(Units(m, 51, 10, 119, 8));

    auto* notice = new QLabel(QStringLiteral("Pictures and music of WinZolvik, your way."), this);
    notice->setObjectName(QStringLiteral("notice"));
    notice->setGeometry(Units(m, 40, 25, 135, 8));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    ok->setGeometry(Units(m, 178, 7, 32, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
