#include "CAboutDlg.h"

#include "DialogUnits.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace {

// How much wider than its rectangle a label must be to show its whole line.
int Shortfall(const QLabel& label) {
    const int needed = QFontMetrics(label.font()).size(0, label.text()).width();
    return std::max(0, needed - label.contentsRect().width());
}

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About WZolvikCreator"));
    QFont font = this->font();
    font.setPointSize(10);
    setFont(font);
    const wz::DialogUnits units(font);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(QPixmap(QStringLiteral(":/editor/frame.png")));
    icon->setGeometry(QRect(QPoint(units.X(11), units.Y(17)), QSize(32, 32)));

    auto* name = new QLabel(QStringLiteral("WZolvikCreator Version 1.0"), this);
    name->setObjectName(QStringLiteral("version"));
    name->setGeometry(units.Rect(51, 10, 119, 8));

    auto* notice = new QLabel(QStringLiteral("Pictures and music of WinZolvik, your way."), this);
    notice->setObjectName(QStringLiteral("notice"));
    notice->setGeometry(units.Rect(40, 25, 135, 8));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    ok->setGeometry(units.Rect(178, 7, 32, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    // Where the font needs more room than the layout gives, the lines grow to the right, and
    // the button and the box's edge move right by as much as the wider of them grew. The
    // button's two letters always fit its eight average characters.
    int moved = 0;
    for (QLabel* line : {name, notice}) {
        const int growth = Shortfall(*line);
        line->resize(line->width() + growth, line->height());
        moved = std::max(moved, growth);
    }
    ok->move(ok->x() + moved, ok->y());
    setFixedSize(units.Size(217, 55) + QSize(moved, 0));
}
