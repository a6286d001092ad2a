// WZolvikCreator: replaces the pictures and music of the asset file "WinData.stg" in the
// current folder.

#include "CWZolvikCreatorApp.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    CWZolvikCreatorApp theApp;
    if (!theApp.InitInstance(QApplication::arguments())) {
        return 1;
    }
    return QApplication::exec();
}
