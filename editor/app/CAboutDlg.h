#pragma once

// The About box: the frame icon, the program's name and version and one line of notice.

#include <QDialog>

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
