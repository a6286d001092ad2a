#include "CAboutDlg.h"

#include "DialogLayout.h"
#include "DialogUnits.h"

#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About WZolvikCreator"));
    QFont font = this->font();
    font.setPointSize(10);
    setFont(font);
    const wz::DialogUnits units(font);

    // The icon is left of everything that can grow, so it never moves.
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(QPixmap(QStringLiteral(":/editor/frame.png")));
    icon->setGeometry(QRect(QPoint(units.X(11), units.Y(17)), QSize(32, 32)));

    auto* name = new QLabel(QStringLiteral("WZolvikCreator Version 1.0"), this);
    name->setObjectName(QStringLiteral("version"));

    auto* notice = new QLabel(QStringLiteral("Pictures and music of WinZolvik, your way."), this);
    notice->setObjectName(QStringLiteral("notice"));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    // Where the font needs more room than the layout gives, the lines grow to the right, and
    // the button and the box's edge move right by as much as the wider of them grew.
    const wz::GrowingControl controls[] = {
        {name, 51, 10, 119, 8, wz::LabelTextWidth(*name, {name->text()})},
        {notice, 40, 25, 135, 8, wz::LabelTextWidth(*notice, {notice->text()})},
        {ok, 178, 7, 32, 14, wz::ButtonTextWidth(*ok)},
    };
    setFixedSize(wz::LayOutGrowing(units, 217, 55, controls));
}
