// The Qt message boxes behind the model's message seam, as both programs show them.

#include "QtMessageBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace wz::test {
namespace {

// The Qt boxes: caption, text, icon and one OK button, owned by the active window when asked.
TEST(QtMessageBoxes, ShowsTheRequest) {
    struct Case {
        MessageBoxRequest request;
        QMessageBox::Icon icon;
    };
    const Case cases[] = {
        {{"WinZolvik", "Fatal Error: line one\nline two", MessageIcon::Stop,
          MessageOwner::ActiveWindow},
         QMessageBox::Critical},
        {{"Error initialize display", "Error: display", MessageIcon::Exclamation,
          MessageOwner::None},
         QMessageBox::Warning},
        {{"Plain", "Notice", MessageIcon::None, MessageOwner::None}, QMessageBox::NoIcon},
    };
    QWidget owner;
    owner.show();
    owner.activateWindow();
    QApplication::setActiveWindow(&owner);
    for (const Case& c : cases) {
        QString caption, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QWidget* parent = reinterpret_cast<QWidget*>(1);
        int buttons = 0;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            caption = box->windowTitle();
            text = box->text();
            icon = box->icon();
            parent = box->parentWidget();
            buttons = static_cast<int>(box->buttons().size());
            box->button(QMessageBox::Ok)->click();
        });
        QtMessageBoxes().ShowMessage(c.request);
        EXPECT_EQ(caption.toStdString(), c.request.caption);
        EXPECT_EQ(text.toStdString(), c.request.text);
        EXPECT_EQ(icon, c.icon);
        EXPECT_EQ(buttons, 1);
        EXPECT_EQ(parent, c.request.owner == MessageOwner::ActiveWindow ? &owner : nullptr);
    }
}

// A question has Yes and No, No the default: Enter and Escape both answer No.
TEST(QtMessageBoxes, AsksWithNoAsTheDefault) {
    const MessageBoxRequest question{"WZolvikCreator", "Save anyway?", MessageIcon::Exclamation,
                                     MessageOwner::None};
    struct Case {
        const char* what;
        std::function<void(QMessageBox&)> answer;
        MessageAnswer expected;
    };
    const Case cases[] = {
        {"Yes", [](QMessageBox& box) { box.button(QMessageBox::Yes)->click(); },
         MessageAnswer::Yes},
        {"No", [](QMessageBox& box) { box.button(QMessageBox::No)->click(); }, MessageAnswer::No},
        {"Enter", [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); },
         MessageAnswer::No},
        {"Escape", [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); },
         MessageAnswer::No},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int buttons = 0;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            buttons = static_cast<int>(box->buttons().size());
            c.answer(*box);
        });
        EXPECT_EQ(QtMessageBoxes().Ask(question), c.expected);
        EXPECT_EQ(buttons, 2);
    }
}

} // namespace
} // namespace wz::test
