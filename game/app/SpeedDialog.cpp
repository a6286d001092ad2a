#include "SpeedDialog.h"

#include "DialogLayout.h"
#include "DialogUnits.h"
#include "DialogWindow.h"
#include "GameState.h"
#include "SpeedChooser.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QScrollBar>

#include <vector>

namespace wz {
namespace {

// The scroll bar's actions as the requests the speed rules know.
SpeedScroll RequestOf(int action) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        return SpeedScroll::LineLeft;
    case QAbstractSlider::SliderSingleStepAdd:
        return SpeedScroll::LineRight;
    case QAbstractSlider::SliderPageStepSub:
        return SpeedScroll::PageLeft;
    case QAbstractSlider::SliderPageStepAdd:
        return SpeedScroll::PageRight;
    case QAbstractSlider::SliderToMinimum:
        return SpeedScroll::LeftEnd;
    case QAbstractSlider::SliderToMaximum:
        return SpeedScroll::RightEnd;
    case QAbstractSlider::SliderMove:
        return SpeedScroll::ThumbTrack;
    default:
        return SpeedScroll::EndScroll;
    }
}

// The scroll bar's keys, as a scroll bar with the focus takes them: the arrows move by a line,
// Page Up and Page Down by a page, Home and End to the ends, whatever way Qt would turn them.
int ActionOfKey(int key) {
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        return QAbstractSlider::SliderSingleStepSub;
    case Qt::Key_Right:
    case Qt::Key_Down:
        return QAbstractSlider::SliderSingleStepAdd;
    case Qt::Key_PageUp:
        return QAbstractSlider::SliderPageStepSub;
    case Qt::Key_PageDown:
        return QAbstractSlider::SliderPageStepAdd;
    case Qt::Key_Home:
        return QAbstractSlider::SliderToMinimum;
    case Qt::Key_End:
        return QAbstractSlider::SliderToMaximum;
    default:
        return QAbstractSlider::SliderNoAction;
    }
}

// The top-left corner of the owner's client area, below its menu bar, where the dialog's own
// position is counted from.
QPoint ClientOrigin(const QWidget* owner) {
    if (owner == nullptr) {
        return {};
    }
    const auto* window = qobject_cast<const QMainWindow*>(owner);
    const QWidget* client =
        window != nullptr && window->centralWidget() != nullptr ? window->centralWidget() : owner;
    return client->mapToGlobal(QPoint(0, 0));
}

} // namespace

SpeedDialog::SpeedDialog(QWidget* owner, GameState& state)
    : QDialog(owner, kDialogWindowFlags), state_(state) {
    SetUpDialogWindow(*this, "Choose speed for play");

    QLabel* caption = MakeLabel(*this, "Speed", 0, {});
    number_ = MakeLabel(*this, "##", kSpeedNumberId, {});
    scrollBar_ = new QScrollBar(Qt::Horizontal, this);
    SetControlId(*scrollBar_, kSpeedScrollBarId);
    // The scroll bar takes the keys first, so L, the arrows and Enter choose a speed.
    scrollBar_->setFocusPolicy(Qt::StrongFocus);
    scrollBar_->installEventFilter(this);
    scrollBar_->setFocus();
    auto* ok = MakeButton(*this, "OK", kOkButtonId, {});
    ok->setDefault(true);

    std::vector<QString> numbers{number_->text()};
    for (int shown = 1; shown <= kSpeedCount; ++shown) {
        numbers.push_back(QString::number(shown));
    }
    const GrowingControl layout[] = {
        {caption, 2, 0, 22, 8, LabelTextWidth(*caption, {caption->text()})},
        {number_, 25, 0, 8, 8, LabelTextWidth(*number_, numbers)},
        {scrollBar_, 39, 0, 91, 8},
        {ok, 131, 0, 50, 8, ButtonTextWidth(*ok)},
    };
    const DialogUnits units(font());
    setFixedSize(LayOutGrowing(units, 181, 8, layout));

    scrollBar_->setRange(0, kSpeedCount - 1);
    scrollBar_->setSingleStep(1);
    // The rules below move a page by the whole range; the step only sizes the thumb.
    scrollBar_->setPageStep(1);
    scrollBar_->setValue(state_.speed);
    OnPositionChanged(scrollBar_->value());

    connect(scrollBar_, &QScrollBar::actionTriggered, this, &SpeedDialog::OnScrollAction);
    connect(scrollBar_, &QScrollBar::valueChanged, this, &SpeedDialog::OnPositionChanged);
    connect(ok, &QPushButton::clicked, this, &SpeedDialog::accept);

    move(ClientOrigin(owner) + QPoint(units.X(10), units.Y(0)));
}

bool SpeedDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scrollBar_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        const int action = ActionOfKey(key->key());
        if (action != QAbstractSlider::SliderNoAction) {
            scrollBar_->triggerAction(static_cast<QAbstractSlider::SliderAction>(action));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SpeedDialog::OnScrollAction(int action) {
    // The scroll bar has moved its slider for the action but not yet taken the new position:
    // value() still holds the old one, and the position set here is the one it takes.
    const std::int32_t position =
        ScrollSpeed(scrollBar_->value(), RequestOf(action), scrollBar_->sliderPosition());
    scrollBar_->setSliderPosition(position);
}

void SpeedDialog::OnPositionChanged(int position) {
    speedChoice_ = position;
    number_->setText(QString::asprintf("%d", position + 1));
}

void SpeedDialog::accept() {
    state_.speed = speedChoice_;
    QDialog::accept();
}

} // namespace wz
