// WZolvikCreator: replaces the pictures and music of the asset file "WinData.stg" in the
// current folder.

#include "CWZolvikCreatorApp.h"
#include "TerminationSignals.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    int code = 0;
    int signal = 0;
    {
        QApplication application(argc, argv);
        // A terminal, a session ending or a launcher ends the editor as closing it would, so
        // that the fitted pictures it keeps in the temporary folder go with it.
        const wz::TerminationSignals stopSignals([](int) { QApplication::exit(0); });
        CWZolvikCreatorApp theApp;
        if (!theApp.InitInstance(QApplication::arguments())) {
            return 1;
        }
        code = stopSignals.Received() != 0 ? 0 : QApplication::exec();
        signal = stopSignals.Received();
    }
    if (signal != 0) {
        wz::EndBySignal(signal);
    }
    return code;
}
