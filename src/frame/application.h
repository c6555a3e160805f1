#pragma once

#include <QApplication>

// What every program of the suite does at start-up before it shows its main window:
// names the application, maps the design fonts to their Linux substitutes, and reads
// the user's settings into basBase.
namespace frame {

void startUp(QApplication &application);

// Chooses the window system platform before the application is made. The suite's
// programs place their own windows (CenterForm), which a program cannot do natively
// under Wayland: there, unless the user has chosen a platform (QT_QPA_PLATFORM), the
// program runs on X11 through XWayland when an X display is at hand.
void choosePlatform();

// The whole life of a program of the suite: starts up, loads and shows its main window
// (FmMain or a window derived from it), and runs until the window's Exit ends it.
template<typename MainWindow>
int runProgram(int &argc, char **argv, const QString &applicationName)
{
    choosePlatform();
    QApplication application(argc, argv);
    application.setApplicationName(applicationName);
    startUp(application);
    MainWindow window;
    window.show();
    return application.exec();
}

} // namespace frame
