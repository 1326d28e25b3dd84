// embEd: the particle-effect editor.
#include <QApplication>
#include <cstdio>

#include "uMain.h"

int main(int argc, char *argv[])
{
    // The renderer draws into X windows: ask for xcb unless the user chose a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) {
            std::fprintf(stderr,
                         "embEd needs an X display, and DISPLAY is not set.\n"
                         "Start it from a desktop session, or without one under a virtual display:\n"
                         "  xvfb-run -a -s \"-screen 0 1280x1024x24\" embEd [file.nbs]\n");
            return 1;
        }
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QApplication app(argc, argv);
    auto *window = new TfrmMain;
    window->CommandLine = QCoreApplication::arguments().mid(1);
    window->show();
    const int result = app.exec();
    delete window;
    return result;
}
