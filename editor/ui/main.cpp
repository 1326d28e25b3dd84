// embEd: the particle-effect editor.
#include <QApplication>
#include <cstdio>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "uMain.h"

int main(int argc, char *argv[])
{
#if defined(__GLIBC__)
    // A software GL driver frees and takes back megabytes every frame; with
    // the default thresholds each frame faults them in afresh. Up to 64 MiB of
    // freed memory stay with the process instead (5 to 12 MiB more resident in
    // the frame benchmark). The process is the editor's: plug-ins leave this alone.
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
#endif
    // The renderer draws into X windows: ask for xcb unless the user chose a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) {
            std::fprintf(stderr, "embEd needs an X display, and DISPLAY is not set.\n"
                                 "Start it from a desktop session, or without one under a virtual display:\n"
                                 "  xvfb-run -a -s \"-screen 0 1280x1024x24\" embEd [file.nbs]\n");
            return 1;
        }
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QApplication app(argc, argv);
    auto *window = new TfrmMain(nullptr, TStartup::LoadRenderersEarly);
    window->CommandLine = QCoreApplication::arguments().mid(1);
    window->show();
    const int result = app.exec();
    delete window;
    return result;
}
